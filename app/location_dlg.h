// The location dialog: the list of countries; every way of dismissing it applies the choice.
#pragma once

#include <string>

#include "app/framework/combo_box.h"
#include "app/framework/dialog.h"
#include "apply/apply_sequence.h"

class CLocationDlg : public CDialog, public CSelectionHost {
  public:
    explicit CLocationDlg(HWND parent = nullptr);

    // What the apply sequence asks of the dialog.
    void SaveData() override;
    HWND Window() const override;
    std::string SelectedName() override;
    void EndCancel() override;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    // The button (which carries IDCANCEL), Enter, Esc and a close request all arrive here.
    void OnCancel() override;
    void OnSysCommand(UINT id, LPARAM param) override;
    void OnPaint() override;
    HICON OnQueryDragIcon() override;

  private:
    CComboBox list;
    HICON icon;
};
