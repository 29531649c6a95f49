#include "app/framework/combo_box.h"

#include <vector>

int CComboBox::GetLBText(int position, std::string& text) const {
    text.clear();
    const LRESULT length = SendMessageA(window, CB_GETLBTEXTLEN, position, 0);
    if (length < 0) return CB_ERR;
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    const LRESULT copied =
        SendMessageA(window, CB_GETLBTEXT, position, reinterpret_cast<LPARAM>(buffer.data()));
    if (copied < 0) return CB_ERR;
    text = buffer.data();
    return static_cast<int>(text.size());
}

void CComboBox::FitDroppedWidth() const {
    HDC dc = GetDC(window);
    if (!dc) return;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    int widest = 0;
    const int count = static_cast<int>(SendMessageA(window, CB_GETCOUNT, 0, 0));
    std::string text;
    for (int position = 0; position < count; ++position) {
        SIZE size;
        if (GetLBText(position, text) > 0 &&
            GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size) &&
            size.cx > widest)
            widest = size.cx;
    }
    if (previous) SelectObject(dc, previous);
    ReleaseDC(window, dc);
    // Room for the scroll bar, the list's border and a little space either side of the text.
    const int width = widest + GetSystemMetrics(SM_CXVSCROLL) + 4 * GetSystemMetrics(SM_CXEDGE);
    SendMessageA(window, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
}
