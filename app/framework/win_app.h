// The application object: the one global object that the entry point starts.
#pragma once

#include <windows.h>

class CDialog;

class CWinApp {
  public:
    // Registers this object as the program's application; there is only one.
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    // Called once by the entry point. True runs the message loop; false ends the program.
    virtual BOOL InitInstance();
    // The message loop, until WM_QUIT; gives the quit message's parameter.
    virtual int Run();

    // The application object, or none when the program defines none.
    static CWinApp* Current();

    // The window that stands for the program, when there is one: the owner of dialogs that are
    // run without a parent.
    CDialog* mainWnd = nullptr;
};
