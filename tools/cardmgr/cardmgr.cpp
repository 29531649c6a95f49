// Stands in for the wireless card manager that runs beside the utility: a top-level window
// with the card manager's title, which records the close request it receives and then exits.
//
//   cardmgr LOGFILE            answers: logs "close ..." for WM_CLOSE, then ends
//   cardmgr LOGFILE --hang     never answers: the thread sleeps once the window exists
//
// The log starts with "ready answer" or "ready hang" once the window can be found, so a script
// knows when to start the utility. A close request is logged as
//   close wParam=0x0 lParam=0x0 sent=1
// where sent tells a synchronous send (SendMessage and its kin) from a posted message.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

const char kTitle[] = "Vexa Wireless Card Manager";
const char* logPath = nullptr;

// Appends one line and closes the file again, so a script reading the log never sees half a
// line and nothing is lost when the process is killed.
void Log(const char* line) {
    FILE* log = std::fopen(logPath, "ab");
    if (!log) return;
    std::fputs(line, log);
    std::fputs("\n", log);
    std::fclose(log);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE: {
            const bool sent = (InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
            char line[96];
            std::snprintf(line, sizeof line, "close wParam=0x%lx lParam=0x%lx sent=%d",
                          static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam),
                          sent ? 1 : 0);
            Log(line);
            DestroyWindow(window);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 2 || (__argc == 3 && std::strcmp(__argv[2], "--hang") != 0) || __argc > 3) {
        std::fprintf(stderr, "usage: cardmgr LOGFILE [--hang]\n");
        return 2;
    }
    logPath = __argv[1];
    const bool hang = __argc == 3;

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "VexaCardManagerStandIn";
    if (!RegisterClassA(&windowClass)) return 1;
    // Never shown: the utility finds it by title alone, and a hidden window keeps the screen and
    // the focus to the dialog under test.
    HWND window =
        CreateWindowA(windowClass.lpszClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    Log(hang ? "ready hang" : "ready answer");

    if (hang) {
        for (;;) Sleep(INFINITE);
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Log("exit");
    return 0;
}
