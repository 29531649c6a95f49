#include "app/location_app.h"

#include "app/location_dlg.h"

CLocationApp theApp;

BOOL CLocationApp::InitInstance() {
    {
        CLocationDlg dialog;
        mainWnd = &dialog;
        dialog.DoModal();
        mainWnd = nullptr;
    }
    // The dialog has done all there is to do: no message loop.
    return FALSE;
}
