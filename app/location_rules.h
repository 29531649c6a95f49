// The location dialog's rules that need no window: kept apart so they can be tested anywhere.
#pragma once

// The list position selected when the dialog opens: "Taiwan".
constexpr int kPreselectedPosition = 65;

constexpr char kRefusalMessage[] =
    "This software does not support Windows 95 or Windows 98 First Edition.\n"
    " Please upgrade your operating system to install.";

// Window-menu commands carry flags in their low four bits.
constexpr bool IsAboutCommand(unsigned id, unsigned aboutCommand) {
    return (id & 0xFFF0) == aboutCommand;
}

struct IconOrigin {
    int x;
    int y;
};

// Where the icon goes to sit in the middle of the minimized dialog's client area; the division
// truncates toward zero, also when the area is smaller than the icon.
constexpr IconOrigin CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth,
                                       int iconHeight) {
    return {(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
