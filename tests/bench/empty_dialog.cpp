// The least a Windows program does to show a dialog: an empty one from a template in memory,
// ended by a close request. Titled "Empty dialog".
#include <windows.h>

namespace {

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_CLOSE:
            EndDialog(window, IDCANCEL);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(window, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

// A template with no controls, no menu, the standard class and a title; the same size as the
// location dialog.
struct EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WCHAR title[13];
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    EmptyTemplate dialog = {};
    dialog.header.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    dialog.header.cx = 198;
    dialog.header.cy = 131;
    const WCHAR title[] = L"Empty dialog";
    for (int i = 0; i < 13; ++i) dialog.title[i] = title[i];
    DialogBoxIndirectParamA(instance, &dialog.header, nullptr, DialogProc, 0);
    return 0;
}
