// The location dialog as the apply sequence sees it, for tests on the simulated Windows: a
// window, a selection, and the framework's data exchange and end, each noted in the journal.
#pragma once

#include <string>
#include <utility>

#include "apply/apply_sequence.h"
#include "platform/sim/sim_control.h"

namespace testsupport {

class FakeDialog : public CSelectionHost {
  public:
    explicit FakeDialog(std::string selection = "Taiwan")
        : window(simwin::AddWindow("Velmora")), selection(std::move(selection)) {}
    void SaveData() override { simwin::Note("SaveData"); }
    HWND Window() const override { return window; }
    std::string SelectedName() override {
        simwin::Note("SelectedName");
        return selection;
    }
    void EndCancel() override {
        simwin::Note("EndCancel");
        ++ends;
    }

    HWND window;
    std::string selection;
    int ends = 0;  // how many times the dialog was ended
};

}  // namespace testsupport
