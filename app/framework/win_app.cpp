#include "app/framework/win_app.h"

namespace {

CWinApp* theApplication = nullptr;

}  // namespace

CWinApp::CWinApp() { theApplication = this; }

CWinApp::~CWinApp() {
    if (theApplication == this) theApplication = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

CWinApp* CWinApp::Current() { return theApplication; }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* app = CWinApp::Current();
    if (!app || !app->InitInstance()) return 0;
    return app->Run();
}
