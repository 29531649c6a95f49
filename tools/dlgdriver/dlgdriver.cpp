// Drives the utility's dialogs from another process, the way a person at the screen would, and
// prints what it saw: one line per observation, "what key=value ...", texts in double quotes
// with quote, backslash and line break escaped C-style, UTF-8. Timings, which vary from run to
// run, go to standard error, so the standard output of a run can be compared with an expected
// transcript.
//
//   dlgdriver [--timeout MS] COMMAND...
//
//   wait                   the location dialog is shown: top-level "#32770" titled "Velmora"
//                          with the list control, visible
//   list                   the list's count, selected position and its text
//   items                  every item, one line each
//   select TEXT            moves the selection to the item with exactly that text
//   dismiss HOW            button (BM_CLICK to id 2), enter or escape (WM_KEYDOWN to the
//                          focused control), close (WM_CLOSE to the dialog); then waits until
//                          the dialog is hidden and gone
//   about HOW              window-menu command 0x10, then closes the About box with its
//                          button (id 1), escape, or close; the location dialog must be back
//   msgbox                 reads the message box captioned "Velmora" and presses its OK
//   openabout              opens the About box and leaves it open
//   closeabout HOW         closes an open About box (HOW as for about)
//   rect WHICH             screen rectangle of "dialog" or "about" (for screenshots)
//   dropdown open|close    drops the list down (printing its rectangle) or folds it up
//   syscommand ID          posts the window-menu command ID; tells whether the About box
//                          came up (and closes it)
//
// Exits 0 when every command succeeded, 1 at the first that did not (after an "error" line).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kListId = 3003;
constexpr int kDismissButtonId = 2;
constexpr int kAboutOkId = 1;
constexpr int kMessageTextId = 0xFFFF;
constexpr UINT kAboutCommand = 0x10;
constexpr UINT kSendTimeoutMs = 5000;
const wchar_t kDialogClass[] = L"#32770";
const wchar_t kProgramTitle[] = L"Velmora";
const wchar_t kAboutTitle[] = L"About Quorvel";

DWORD timeoutMs = 15000;
DWORD startTick = 0;

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                        nullptr, nullptr);
    return out;
}

std::wstring Wide(const char* text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size > 0 ? size : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], size);
    out.resize(out.size() - 1);
    return out;
}

std::string Quoted(const std::wstring& text) {
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void Say(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);
}

void Time(const char* what) {
    std::fprintf(stderr, "dlgdriver: %s at %lu ms\n", what,
                 static_cast<unsigned long>(GetTickCount() - startTick));
}

bool Fail(const std::string& why) {
    Say("error " + why);
    return false;
}

std::wstring WindowText(HWND window) {
    wchar_t text[1024];
    const int length = GetWindowTextW(window, text, 1024);
    return std::wstring(text, static_cast<std::size_t>(length > 0 ? length : 0));
}

std::wstring ClassName(HWND window) {
    wchar_t name[256];
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

// A message to another process, bounded so a program that stops answering fails the command
// instead of holding the driver.
bool Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &answer))
        return false;
    *result = static_cast<LRESULT>(answer);
    return true;
}

enum class Kind { Location, MessageBox, About };

struct Search {
    Kind kind;
    HWND found;
};

bool Matches(HWND window, Kind kind) {
    if (ClassName(window) != kDialogClass) return false;
    const std::wstring title = WindowText(window);
    switch (kind) {
        case Kind::Location:
            return title == kProgramTitle && GetDlgItem(window, kListId) != nullptr;
        case Kind::MessageBox:
            // The location dialog exists, still hidden, while its start-up shows the box.
            return title == kProgramTitle && GetDlgItem(window, kListId) == nullptr &&
                   GetDlgItem(window, kMessageTextId) != nullptr;
        case Kind::About:
            return title == kAboutTitle;
    }
    return false;
}

BOOL CALLBACK Visit(HWND window, LPARAM context) {
    Search* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window) || !Matches(window, search->kind)) return TRUE;
    search->found = window;
    return FALSE;
}

HWND Find(Kind kind) {
    Search search{kind, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitFor(Kind kind) {
    const DWORD begin = GetTickCount();
    for (;;) {
        if (HWND window = Find(kind)) return window;
        if (GetTickCount() - begin > timeoutMs) return nullptr;
        Sleep(50);
    }
}

// Waits until the window is no longer visible (gone == false) or no longer exists.
bool WaitUntil(HWND window, bool gone) {
    const DWORD begin = GetTickCount();
    for (;;) {
        if (gone ? !IsWindow(window) : !IsWindowVisible(window)) return true;
        if (GetTickCount() - begin > timeoutMs) return false;
        Sleep(20);
    }
}

HWND LocationDialog() {
    HWND dialog = WaitFor(Kind::Location);
    if (!dialog) Fail("no location dialog");
    return dialog;
}

bool ReadItem(HWND list, int index, std::wstring* text) {
    LRESULT length = 0;
    if (!Ask(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0, &length) || length < 0)
        return false;
    // Wide on purpose: Wine 8 cuts the ANSI form to one character across processes.
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    LRESULT copied = 0;
    if (!Ask(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
             reinterpret_cast<LPARAM>(buffer.data()), &copied) ||
        copied < 0)
        return false;
    text->assign(buffer.data(), static_cast<std::size_t>(copied));
    return true;
}

bool ReadItems(HWND list, std::vector<std::wstring>* items) {
    LRESULT count = 0;
    if (!Ask(list, CB_GETCOUNT, 0, 0, &count) || count < 0) return false;
    items->clear();
    for (int i = 0; i < count; ++i) {
        std::wstring text;
        if (!ReadItem(list, i, &text)) return false;
        items->push_back(text);
    }
    return true;
}

int ControlId(HWND control) {
    return control ? static_cast<int>(GetWindowLongPtrW(control, GWLP_ID)) : 0;
}

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool CommandWait() {
    HWND dialog = LocationDialog();
    if (!dialog) return false;
    Time("location dialog shown");
    Say("dialog title=" + Quoted(WindowText(dialog)) +
        " visible=1 enabled=" + (IsWindowEnabled(dialog) ? "1" : "0") +
        " focus=" + std::to_string(ControlId(FocusOf(dialog))));
    return true;
}

bool CommandList() {
    HWND dialog = LocationDialog();
    if (!dialog) return false;
    HWND list = GetDlgItem(dialog, kListId);
    LRESULT count = 0;
    LRESULT selection = 0;
    std::wstring text;
    if (!Ask(list, CB_GETCOUNT, 0, 0, &count) || !Ask(list, CB_GETCURSEL, 0, 0, &selection))
        return Fail("list does not answer");
    if (selection >= 0 && !ReadItem(list, static_cast<int>(selection), &text))
        return Fail("cannot read the selected item");
    Say("list count=" + std::to_string(count) + " selection=" + std::to_string(selection) +
        " text=" + Quoted(text));
    return true;
}

bool CommandItems() {
    HWND dialog = LocationDialog();
    if (!dialog) return false;
    std::vector<std::wstring> items;
    if (!ReadItems(GetDlgItem(dialog, kListId), &items)) return Fail("cannot read the items");
    for (std::size_t i = 0; i < items.size(); ++i)
        Say("item " + std::to_string(i) + " " + Quoted(items[i]));
    return true;
}

bool CommandSelect(const char* wanted) {
    HWND dialog = LocationDialog();
    if (!dialog) return false;
    HWND list = GetDlgItem(dialog, kListId);
    std::vector<std::wstring> items;
    if (!ReadItems(list, &items)) return Fail("cannot read the items");
    const std::wstring text = Wide(wanted);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] != text) continue;
        LRESULT result = 0;
        LRESULT selection = 0;
        if (!Ask(list, CB_SETCURSEL, i, 0, &result) || !Ask(list, CB_GETCURSEL, 0, 0, &selection))
            return Fail("list does not answer");
        Say("select text=" + Quoted(text) + " index=" + std::to_string(selection));
        return static_cast<std::size_t>(selection) == i || Fail("selection did not move");
    }
    return Fail("no item " + Quoted(text));
}

bool CommandDismiss(const std::string& how) {
    HWND dialog = LocationDialog();
    if (!dialog) return false;
    bool posted = false;
    if (how == "button") {
        posted = PostMessageW(GetDlgItem(dialog, kDismissButtonId), BM_CLICK, 0, 0);
    } else if (how == "enter" || how == "escape") {
        HWND focus = FocusOf(dialog);
        if (!focus) return Fail("no focused control");
        posted = PostMessageW(focus, WM_KEYDOWN, how == "enter" ? VK_RETURN : VK_ESCAPE, 1);
    } else if (how == "close") {
        posted = PostMessageW(dialog, WM_CLOSE, 0, 0);
    } else {
        return Fail("unknown dismissal " + how);
    }
    if (!posted) return Fail("cannot post the dismissal");
    // The tick count is the clock of Wine's +timestamp traces, so a script can measure from
    // here to what the program logs.
    std::fprintf(stderr, "dlgdriver: dismissal %s posted at tick %lu\n", how.c_str(),
                 static_cast<unsigned long>(GetTickCount()));
    const bool hidden = WaitUntil(dialog, false);
    Time("dialog hidden");
    const bool gone = hidden && WaitUntil(dialog, true);
    Time("dialog gone");
    Say("dismiss by=" + how + " hidden=" + (hidden ? "1" : "0") + " gone=" + (gone ? "1" : "0"));
    return gone || Fail("dialog still there");
}

HWND OpenAbout(HWND dialog) {
    // Posted: a send would wait for the About box's whole modal run.
    if (!PostMessageW(dialog, WM_SYSCOMMAND, kAboutCommand, 0)) return nullptr;
    return WaitFor(Kind::About);
}

std::string DescribeAbout(HWND about, HWND dialog) {
    HWND button = GetDlgItem(about, kAboutOkId);
    return "about title=" + Quoted(WindowText(about)) + " button=" + std::to_string(kAboutOkId) +
           ":" + Quoted(button ? WindowText(button) : L"") +
           " owner-enabled=" + (IsWindowEnabled(dialog) ? "1" : "0");
}

bool CommandOpenAbout() {
    HWND dialog = LocationDialog();
    if (!dialog) return false;
    HWND about = OpenAbout(dialog);
    if (!about) return Fail("no About box");
    Time("About box shown");
    Say(DescribeAbout(about, dialog));
    return true;
}

bool CommandCloseAbout(const std::string& how) {
    HWND about = WaitFor(Kind::About);
    if (!about) return Fail("no About box");
    // The location dialog is disabled while the About box runs, so it is found by title here.
    HWND dialog = FindWindowW(kDialogClass, kProgramTitle);
    bool posted = false;
    if (how == "button") {
        posted = PostMessageW(GetDlgItem(about, kAboutOkId), BM_CLICK, 0, 0);
    } else if (how == "escape") {
        HWND focus = FocusOf(about);
        posted = PostMessageW(focus ? focus : about, WM_KEYDOWN, VK_ESCAPE, 1);
    } else if (how == "close") {
        posted = PostMessageW(about, WM_CLOSE, 0, 0);
    } else {
        return Fail("unknown way to close the About box: " + how);
    }
    if (!posted || !WaitUntil(about, true)) return Fail("About box still there");
    Time("About box gone");
    // Back in the location dialog, which the nested run had disabled.
    const DWORD begin = GetTickCount();
    while (dialog && !IsWindowEnabled(dialog) && GetTickCount() - begin < timeoutMs) Sleep(20);
    Say("about closed by=" + how +
        " dialog-visible=" + (dialog && IsWindowVisible(dialog) ? "1" : "0") +
        " dialog-enabled=" + (dialog && IsWindowEnabled(dialog) ? "1" : "0"));
    return true;
}

// Posts a window-menu command and tells whether the About box came up; closes it if it did.
bool CommandSysCommand(const char* idText) {
    HWND dialog = LocationDialog();
    if (!dialog) return false;
    const UINT id = static_cast<UINT>(std::strtoul(idText, nullptr, 0));
    if (!PostMessageW(dialog, WM_SYSCOMMAND, id, 0)) return Fail("cannot post the command");
    // A command the dialog does not take shows nothing, so this wait is all it gets.
    const DWORD saved = timeoutMs;
    timeoutMs = 1500;
    HWND about = WaitFor(Kind::About);
    timeoutMs = saved;
    char id16[16];
    std::snprintf(id16, sizeof id16, "0x%x", id);
    Say(std::string("syscommand ") + id16 + " about=" + (about ? "1" : "0"));
    if (!about) return true;
    if (!PostMessageW(about, WM_CLOSE, 0, 0) || !WaitUntil(about, true))
        return Fail("About box still there");
    return true;
}

struct DroppedList {
    DWORD thread;
    HWND found;
};

BOOL CALLBACK VisitDroppedList(HWND window, LPARAM context) {
    DroppedList* search = reinterpret_cast<DroppedList*>(context);
    if (!IsWindowVisible(window) || ClassName(window) != L"ComboLBox" ||
        GetWindowThreadProcessId(window, nullptr) != search->thread)
        return TRUE;
    search->found = window;
    return FALSE;
}

// Drops the list down or folds it up again; dropped, prints the list's screen rectangle.
bool CommandDropDown(const std::string& how) {
    HWND dialog = LocationDialog();
    if (!dialog) return false;
    HWND list = GetDlgItem(dialog, kListId);
    LRESULT result = 0;
    if (!Ask(list, CB_SHOWDROPDOWN, how == "open", 0, &result)) return Fail("list does not answer");
    if (how != "open") return true;
    // The dropped list is a top-level window of the dialog's thread (GetComboBoxInfo does not
    // answer across processes under Wine).
    DroppedList search{GetWindowThreadProcessId(dialog, nullptr), nullptr};
    const DWORD begin = GetTickCount();
    while (EnumWindows(VisitDroppedList, reinterpret_cast<LPARAM>(&search)) && !search.found &&
           GetTickCount() - begin < timeoutMs)
        Sleep(20);
    if (!search.found) return Fail("no dropped list");
    RECT rect;
    GetWindowRect(search.found, &rect);
    Say("rect list " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
        std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top));
    return true;
}

BOOL CALLBACK ListButton(HWND child, LPARAM context) {
    if (ClassName(child) == L"Button") {
        std::string* out = reinterpret_cast<std::string*>(context);
        *out += " button=" + std::to_string(ControlId(child)) + ":" + Quoted(WindowText(child));
    }
    return TRUE;
}

bool CommandMessageBox() {
    HWND box = WaitFor(Kind::MessageBox);
    if (!box) return Fail("no message box");
    Time("message box shown");
    std::string buttons;
    EnumChildWindows(box, ListButton, reinterpret_cast<LPARAM>(&buttons));
    Say("msgbox caption=" + Quoted(WindowText(box)) +
        " text=" + Quoted(WindowText(GetDlgItem(box, kMessageTextId))) + buttons);
    HWND ok = GetDlgItem(box, IDOK);
    if (!ok || !PostMessageW(ok, BM_CLICK, 0, 0)) return Fail("no OK button");
    const bool gone = WaitUntil(box, true);
    Time("message box gone");
    Say(std::string("msgbox pressed=OK gone=") + (gone ? "1" : "0"));
    return gone || Fail("message box still there");
}

bool CommandRect(const std::string& which) {
    HWND window = which == "about" ? WaitFor(Kind::About) : WaitFor(Kind::Location);
    if (!window) return Fail("no window " + which);
    RECT rect;
    GetWindowRect(window, &rect);
    Say("rect " + which + " " + std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
        std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top));
    return true;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: dlgdriver [--timeout MS] (wait | list | items | select TEXT |\n"
                 "       dismiss button|enter|escape|close | about button|escape|close |\n"
                 "       msgbox | openabout | closeabout HOW | rect dialog|about |\n"
                 "       dropdown open|close | syscommand ID)...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    startTick = GetTickCount();
    // Lines end in LF alone, so the transcript compares with a file of this repository.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    int i = 1;
    if (i + 1 < argc && std::strcmp(argv[i], "--timeout") == 0) {
        timeoutMs = static_cast<DWORD>(std::strtoul(argv[i + 1], nullptr, 10));
        i += 2;
    }
    if (i >= argc) return Usage();
    for (; i < argc; ++i) {
        const std::string command = argv[i];
        const bool hasArgument = i + 1 < argc;
        bool ok = false;
        if (command == "wait") {
            ok = CommandWait();
        } else if (command == "list") {
            ok = CommandList();
        } else if (command == "items") {
            ok = CommandItems();
        } else if (command == "msgbox") {
            ok = CommandMessageBox();
        } else if (command == "openabout") {
            ok = CommandOpenAbout();
        } else if (!hasArgument) {
            return Usage();
        } else if (command == "select") {
            ok = CommandSelect(argv[++i]);
        } else if (command == "dismiss") {
            ok = CommandDismiss(argv[++i]);
        } else if (command == "about") {
            ok = CommandOpenAbout() && CommandCloseAbout(argv[++i]);
        } else if (command == "closeabout") {
            ok = CommandCloseAbout(argv[++i]);
        } else if (command == "syscommand") {
            ok = CommandSysCommand(argv[++i]);
        } else if (command == "dropdown") {
            ok = CommandDropDown(argv[++i]);
        } else if (command == "rect") {
            ok = CommandRect(argv[++i]);
        } else {
            return Usage();
        }
        if (!ok) return 1;
    }
    return 0;
}
