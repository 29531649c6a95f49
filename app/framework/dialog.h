// Modal dialogs from resource templates, with their initialization data and data exchange.
#pragma once

#include <windows.h>

#include <string>

class CComboBox;
class CDialog;

// The direction of one data exchange: into the controls, or saved from them.
class CDataExchange {
  public:
    CDataExchange(CDialog* dialog, BOOL saveAndValidate)
        : dialog(dialog), saveAndValidate(saveAndValidate) {}

    CDialog* const dialog;
    const BOOL saveAndValidate;
};

// Binds the wrapper to the dialog's control with that id, the first time only.
void DDX_Control(CDataExchange* dx, int controlId, CComboBox& control);

// The text of a string resource of the program; empty when there is none.
std::string LoadResourceString(UINT id);

class CDialog {
  public:
    // The template of that id among the program's resources. Without a parent the dialog is
    // owned by the application's main window, if that is another dialog that is open.
    explicit CDialog(UINT templateId, HWND parent = nullptr);
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;
    virtual ~CDialog();

    // Runs the dialog until it is ended; gives the result given to EndDialog, or -1 when the
    // dialog could not be created.
    INT_PTR DoModal();
    // Ends the modal run once the current message has been handled. Commands that dismiss the
    // dialog are ignored from then on.
    void EndDialog(int result);
    // Runs the data exchange: TRUE saves from the controls, FALSE fills them.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    HWND GetSafeHwnd() const { return window; }

  protected:
    // Fills the controls from the template's initialization resource, then UpdateData(FALSE).
    // When a text cannot be added the dialog ends with -1. TRUE puts the focus on the first
    // control that takes it.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    // The commands IDOK and IDCANCEL; these end the dialog with that result.
    virtual void OnOK();
    virtual void OnCancel();
    // Window messages; these leave the message to the dialog manager's default processing.
    virtual void OnSysCommand(UINT id, LPARAM param);
    virtual void OnPaint();
    // The icon shown while the minimized dialog is dragged; none asks for the default.
    virtual HICON OnQueryDragIcon();

    // Leaves the message being handled to the dialog manager's default processing.
    void Default();

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Dismiss(WORD command);
    bool RunDialogInit();

    const UINT templateId;
    HWND parent;
    HWND window = nullptr;
    // Set by Default() for the message being dispatched.
    bool* defaultWanted = nullptr;
    // A dismissal handler is running, or the dialog is ending: later dismissals are ignored.
    bool dismissing = false;
    bool ending = false;
};
