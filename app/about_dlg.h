// The About box, opened from the location dialog's window menu.
#pragma once

#include "app/framework/dialog.h"
#include "app/resource.h"

class CAboutDlg : public CDialog {
  public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
