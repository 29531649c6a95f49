// The work done when the location dialog is dismissed, whichever way.
#pragma once

#include <string>

#include "platform/win32api.h"
#include "regulatory/country_table.h"

// The title by which the companion card manager's window is found.
constexpr char kCardManagerTitle[] = "Vexa Wireless Card Manager";
// How long the card manager may take to handle the close request before the sequence goes on.
constexpr unsigned kCardManagerTimeoutMs = 10000;

// What the apply sequence needs of the location dialog. The real dialog implements it over its
// window and list control; tests implement it with a double.
class CSelectionHost {
  public:
    virtual ~CSelectionHost() = default;
    // The dialog's data exchange in the saving direction (UpdateData(TRUE)).
    virtual void SaveData() = 0;
    // The dialog's window: hidden first, then the owner of any device installer interface.
    virtual HWND Window() const = 0;
    // The text of the list's selected item.
    virtual std::string SelectedName() = 0;
    // Ends the modal run with IDCANCEL (the dialog framework's cancel handler).
    virtual void EndCancel() = 0;

    // The chosen name and its resolution, held from the resolution until the settings writer
    // has used them.
    std::string selectedName;
    CountryChoice choice{};
};

// Asks the card manager's window, if there is one, to close: WM_CLOSE with both parameters 0,
// waiting at most kCardManagerTimeoutMs and not at all for a window that does not respond.
void CloseCardManager();

// Hide, close the card manager, resolve the selection, pause 500 ms, write the country, mark the
// first instance and, when there was one, restart a device (not on 98/Me) and flag the others;
// then end the dialog.
void ApplySelection(CSelectionHost& host);
