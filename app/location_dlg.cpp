#include "app/location_dlg.h"

#include "adapters/os_platform.h"
#include "app/about_dlg.h"
#include "app/framework/paint_dc.h"
#include "app/location_rules.h"
#include "app/resource.h"
#include "platform/program_message.h"

CLocationDlg::CLocationDlg(HWND parent)
    : CDialog(IDD_LOCATION, parent),
      icon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))) {}

void CLocationDlg::SaveData() { UpdateData(TRUE); }

HWND CLocationDlg::Window() const { return GetSafeHwnd(); }

std::string CLocationDlg::SelectedName() {
    std::string name;
    list.GetLBText(list.GetCurSel(), name);
    return name;
}

void CLocationDlg::EndCancel() { CDialog::OnCancel(); }

void CLocationDlg::DoDataExchange(CDataExchange* dx) {
    CDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_LOCATION_LIST, list);
}

BOOL CLocationDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (HMENU menu = GetSystemMenu(GetSafeHwnd(), FALSE)) {
        const std::string about = LoadResourceString(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, about.c_str());
        }
    }

    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(GetSafeHwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));

    // Refuse the unsupported Windows versions before the user can choose anything.
    const COsPlatform platform;
    if (platform.IsUnsupported()) {
        ShowProgramMessage(kRefusalMessage);
        platform::ExitProgram(0);
    }

    list.SetCurSel(kPreselectedPosition);
    // The template's list is narrower than the longest country name.
    list.FitDroppedWidth();
    return TRUE;
}

void CLocationDlg::OnCancel() { ApplySelection(*this); }

void CLocationDlg::OnSysCommand(UINT id, LPARAM) {
    if (IsAboutCommand(id, IDM_ABOUTBOX)) {
        CAboutDlg about;
        about.DoModal();
    } else {
        Default();
    }
}

void CLocationDlg::OnPaint() {
    if (!IsIconic(GetSafeHwnd())) {
        Default();
        return;
    }
    CPaintDC dc(GetSafeHwnd());
    SendMessageA(GetSafeHwnd(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int iconWidth = GetSystemMetrics(SM_CXICON);
    const int iconHeight = GetSystemMetrics(SM_CYICON);
    RECT client;
    GetClientRect(GetSafeHwnd(), &client);
    const IconOrigin at = CentredIconOrigin(client.right - client.left, client.bottom - client.top,
                                            iconWidth, iconHeight);
    DrawIcon(dc.GetSafeHdc(), at.x, at.y, icon);
}

HICON CLocationDlg::OnQueryDragIcon() { return icon; }
