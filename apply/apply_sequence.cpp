#include "apply/apply_sequence.h"

#include "apply/adapter_flags.h"
#include "apply/country_writer.h"
#include "apply/device_restart.h"

namespace {

// Gives the card manager time to let go of the adapter before anything is written.
constexpr unsigned kSettlePauseMs = 500;

}  // namespace

void CloseCardManager() {
    HWND cardManager = FindWindowA(nullptr, kCardManagerTitle);
    if (!cardManager) return;
    // Bounded, so a card manager that does not answer cannot hold the installation forever.
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(cardManager, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kCardManagerTimeoutMs,
                        &answer);
}

void ApplySelection(CSelectionHost& host) {
    host.SaveData();
    ShowWindow(host.Window(), SW_HIDE);
    CloseCardManager();
    host.selectedName = host.SelectedName();
    host.choice = ResolveCountry(host.selectedName.c_str());
    Sleep(kSettlePauseMs);
    ConfigureAdapters(host.choice);
    if (MarkFirstAdapter()) {
        if (!IsRestartSkipped()) RestartAdapterDevice(host.Window());
        FlagInstallFinished();
    }
    host.EndCancel();
}
