// The location dialog's own template (controls, font, icons), shown by the plainest program:
// no list items, no window menu entry, no icon messages, no platform check. Between it and the
// empty dialog lies what the template costs; between it and Velmora.exe, what the program adds.
#include <windows.h>

#include "app/resource.h"

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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_LOCATION), nullptr, DialogProc, 0);
    return 0;
}
