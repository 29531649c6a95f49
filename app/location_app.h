// The application object: runs the location dialog once, then lets the program end.
#pragma once

#include "app/framework/win_app.h"

class CLocationApp : public CWinApp {
  public:
    BOOL InitInstance() override;
};

extern CLocationApp theApp;
