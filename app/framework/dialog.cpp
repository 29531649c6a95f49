#include "app/framework/dialog.h"

#include <vector>

#include "app/framework/combo_box.h"
#include "app/framework/dialog_init.h"
#include "app/framework/win_app.h"

static_assert(kComboAddString == CB_ADDSTRING, "the initialization data's combo box message");

namespace {

HINSTANCE ProgramInstance() { return GetModuleHandleA(nullptr); }

}  // namespace

void DDX_Control(CDataExchange* dx, int controlId, CComboBox& control) {
    if (!control.GetSafeHwnd()) control.Attach(GetDlgItem(dx->dialog->GetSafeHwnd(), controlId));
}

std::string LoadResourceString(UINT id) {
    std::vector<char> buffer(256);
    for (;;) {
        const int length =
            LoadStringA(ProgramInstance(), id, buffer.data(), static_cast<int>(buffer.size()));
        if (length <= 0) return std::string();
        // A text that fills the buffer may have been cut: try again with more room.
        if (static_cast<std::size_t>(length) < buffer.size() - 1)
            return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

CDialog::CDialog(UINT templateId, HWND parent) : templateId(templateId), parent(parent) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
    HWND owner = parent;
    if (!owner) {
        // Owned by the main dialog, which stays disabled until this one has ended.
        const CWinApp* app = CWinApp::Current();
        if (app && app->mainWnd && app->mainWnd != this) owner = app->mainWnd->GetSafeHwnd();
    }
    dismissing = false;
    ending = false;
    const INT_PTR result = DialogBoxParamA(ProgramInstance(), MAKEINTRESOURCEA(templateId), owner,
                                           DialogProc, reinterpret_cast<LPARAM>(this));
    window = nullptr;
    return result;
}

void CDialog::EndDialog(int result) {
    ending = true;
    ::EndDialog(window, result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    if (!RunDialogInit()) {
        EndDialog(-1);
        return FALSE;
    }
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnSysCommand(UINT, LPARAM) { Default(); }

void CDialog::OnPaint() { Default(); }

HICON CDialog::OnQueryDragIcon() {
    Default();
    return nullptr;
}

void CDialog::Default() {
    if (defaultWanted) *defaultWanted = true;
}

bool CDialog::RunDialogInit() {
    HRSRC found = FindResourceA(ProgramInstance(), MAKEINTRESOURCEA(templateId),
                                MAKEINTRESOURCEA(kDialogInitType));
    if (!found) return true;  // nothing to fill in
    HGLOBAL loaded = LoadResource(ProgramInstance(), found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    std::vector<DialogInitItem> items;
    if (!ParseDialogInit(static_cast<const unsigned char*>(data),
                         SizeofResource(ProgramInstance(), found), items))
        return false;
    // Records for one control come in a row: look each control up once, and let it redraw only
    // once it holds all its items.
    HWND control = nullptr;
    int controlId = -1;
    bool filled = true;
    for (const DialogInitItem& item : items) {
        if (item.controlId != controlId) {
            if (control) SendMessageA(control, WM_SETREDRAW, TRUE, 0);
            controlId = item.controlId;
            control = GetDlgItem(window, controlId);
            if (!control) {
                filled = false;
                break;
            }
            SendMessageA(control, WM_SETREDRAW, FALSE, 0);
        }
        const LRESULT added =
            SendMessageA(control, item.message, 0, reinterpret_cast<LPARAM>(item.text.c_str()));
        if (added == CB_ERR || added == CB_ERRSPACE) {
            filled = false;
            break;
        }
    }
    if (control) SendMessageA(control, WM_SETREDRAW, TRUE, 0);
    return filled;
}

void CDialog::Dismiss(WORD command) {
    // A dismissal that arrives while one is handled (a message sent to the dialog while its
    // handler waits on another window) or after the dialog has begun to end is not run again.
    if (dismissing || ending) return;
    dismissing = true;
    if (command == IDOK)
        OnOK();
    else
        OnCancel();
    dismissing = false;
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    bool wantsDefault = false;
    bool* outer = defaultWanted;
    defaultWanted = &wantsDefault;
    INT_PTR result = TRUE;
    switch (message) {
        case WM_INITDIALOG:
            result = OnInitDialog();
            break;
        case WM_COMMAND: {
            // Buttons, Enter and Esc give the notification code 0, accelerators 1; the other
            // codes are control notifications, not commands.
            const WORD command = LOWORD(wParam);
            if ((command == IDOK || command == IDCANCEL) && HIWORD(wParam) <= 1)
                Dismiss(command);
            else
                wantsDefault = true;
            break;
        }
        case WM_SYSCOMMAND:
            OnSysCommand(static_cast<UINT>(wParam), lParam);
            break;
        case WM_PAINT:
            OnPaint();
            break;
        case WM_QUERYDRAGICON:
            // One of the messages whose result is the dialog procedure's own return value.
            result = reinterpret_cast<INT_PTR>(OnQueryDragIcon());
            break;
        default:
            wantsDefault = true;
            break;
    }
    defaultWanted = outer;
    return wantsDefault ? FALSE : result;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog = nullptr;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->window = window;
        SetWindowLongPtrA(window, DWLP_USER, lParam);
    } else {
        dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) have no dialog object yet.
    if (!dialog) return FALSE;
    return dialog->Dispatch(message, wParam, lParam);
}
