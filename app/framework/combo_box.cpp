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
