// A combo box control, addressed through its window.
#pragma once

#include <windows.h>

#include <string>

class CComboBox {
  public:
    void Attach(HWND control) { window = control; }
    HWND GetSafeHwnd() const { return window; }

    int GetCurSel() const { return static_cast<int>(SendMessageA(window, CB_GETCURSEL, 0, 0)); }
    int SetCurSel(int position) {
        return static_cast<int>(SendMessageA(window, CB_SETCURSEL, position, 0));
    }
    // The text of the item at the position: its length first, then the text. An empty text and
    // CB_ERR when there is no such item.
    int GetLBText(int position, std::string& text) const;
    // Makes the dropped-down list wide enough for its longest item, so every item can be read
    // in full; never narrower than the control itself.
    void FitDroppedWidth() const;

  private:
    HWND window = nullptr;
};
