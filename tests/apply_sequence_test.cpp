// The apply sequence on the simulated Windows: its order, read from the journal of calls.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apply/apply_sequence.h"
#include "tests/support/machine.h"
#include "tests/support/fake_dialog.h"

namespace {

using testsupport::FakeDialog;

using testsupport::Instance;
using testsupport::kNtClassKey;
using testsupport::ReadValue;
using testsupport::Sz;

// The location dialog as the sequence sees it: a window, a selection, and the framework's data
// exchange and end, each noted in the journal.

long Find(const std::string& function, const std::string& target = std::string(),
          std::size_t from = 0) {
    return simwin::FindCall(function, target, from);
}

long FindWrite(const char* valueName) {
    const auto& journal = simwin::Journal();
    for (std::size_t i = 0; i < journal.size(); ++i)
        if (journal[i].function == "RegSetValueExA" && journal[i].name == valueName)
            return static_cast<long>(i);
    return -1;
}

long FindSleep(const char* ms) {
    const auto& journal = simwin::Journal();
    for (std::size_t i = 0; i < journal.size(); ++i)
        if (journal[i].function == "Sleep" && journal[i].name == ms) return static_cast<long>(i);
    return -1;
}

class ApplySequence : public testsupport::MachineTest {
  protected:
    void LoadTwoAdapters() {
        Load(R"(REGEDIT4
[{NT}\0002]
"DriverDesc"="Kelvane PC Card"
[{NT}\0002\Ndi\Params\SelectedChannel\enum]
"12"="12"
[{NT}\0003]
"DriverDesc"="Kelvane PC Card"
"KVREnable"="1"
[{NT}\0005]
"DriverDesc"="Kelvane USB Adapter"
)");
    }
};

TEST_F(ApplySequence, RunsItsStepsInOrder) {
    LoadTwoAdapters();
    HWND cardManager = simwin::AddWindow("Vexa Wireless Card Manager");
    const int device = simwin::AddDevice({"Kelvane PC Card"});
    FakeDialog dialog("Taiwan");
    ApplySelection(dialog);

    const long save = Find("note", "SaveData");
    const long hide = Find("ShowWindow", "Velmora");
    const long close = Find("SendMessageTimeoutA", "Vexa Wireless Card Manager");
    const long select = Find("note", "SelectedName");
    const long pause = FindSleep("500");
    const long firstWrite = Find("RegSetValueExA");
    const long lastMark = FindWrite("KVREnable");
    const long restartList = Find("SetupDiGetClassDevsA");
    const long restartEnd = Find("SetupDiDestroyDeviceInfoList");
    const long finish = FindWrite("InstallFinish");
    const long end = Find("note", "EndCancel");
    EXPECT_EQ(save, 0);
    EXPECT_LT(save, hide);
    EXPECT_LT(hide, close);
    EXPECT_LT(close, select);
    EXPECT_LT(select, pause);
    EXPECT_LT(pause, firstWrite);
    EXPECT_LT(lastMark, restartList);
    EXPECT_LT(restartEnd, finish);
    EXPECT_EQ(end, static_cast<long>(simwin::Journal().size()) - 1);
    EXPECT_EQ(dialog.ends, 1);

    // The card manager got one WM_CLOSE with both parameters 0 and is gone.
    ASSERT_EQ(simwin::MessagesReceived(cardManager).size(), 1u);
    EXPECT_EQ(simwin::MessagesReceived(cardManager)[0].msg, WM_CLOSE);
    EXPECT_EQ(simwin::MessagesReceived(cardManager)[0].wParam, 0u);
    EXPECT_EQ(simwin::MessagesReceived(cardManager)[0].lParam, 0);
    EXPECT_FALSE(simwin::WindowExists(cardManager));
    EXPECT_FALSE(simwin::WindowVisible(dialog.window));

    // Every write of the writers comes before the restart, every "InstallFinish" after it.
    const auto& journal = simwin::Journal();
    for (std::size_t i = 0; i < journal.size(); ++i) {
        if (journal[i].function != "RegSetValueExA") continue;
        if (journal[i].name == "InstallFinish") {
            EXPECT_GT(static_cast<long>(i), restartEnd);
        } else {
            EXPECT_LT(static_cast<long>(i), restartList) << journal[i].name;
        }
    }
    ASSERT_EQ(simwin::PropertyChanges().size(), 2u);
    EXPECT_EQ(simwin::PropertyChanges()[0].device, device);
    EXPECT_EQ(simwin::PropertyChanges()[1].timeMs - simwin::PropertyChanges()[0].timeMs, 2000u);
    EXPECT_EQ(simwin::NowMs(), 2500u);

    // The preselected "Taiwan": index 67, channels 1 to 11; 0002 marked, 0005 finished.
    EXPECT_EQ(dialog.selectedName, "Taiwan");
    EXPECT_EQ(dialog.choice.index, 67);
    EXPECT_EQ(ReadValue(Instance(kNtClassKey, 2), "CountryCode").data, Sz("67"));
    EXPECT_EQ(ReadValue(Instance(kNtClassKey, 2), "KVREnable").data, Sz("1"));
    EXPECT_FALSE(
        ReadValue(Instance(kNtClassKey, 2) + "\\Ndi\\Params\\SelectedChannel\\enum", "12").exists);
    EXPECT_EQ(ReadValue(Instance(kNtClassKey, 5), "InstallFinish").data, Sz("1"));
    EXPECT_FALSE(ReadValue(Instance(kNtClassKey, 3), "CountryCode").exists);
}

TEST_F(ApplySequence, WithoutACardManagerNothingIsSentAndTheRestIsUnchanged) {
    LoadTwoAdapters();
    FakeDialog dialog("France");
    ApplySelection(dialog);
    EXPECT_EQ(Find("SendMessageTimeoutA"), -1);
    EXPECT_EQ(Find("SendMessageA"), -1);
    EXPECT_EQ(ReadValue(Instance(kNtClassKey, 2), "CountryCode").data, Sz("22"));
    EXPECT_EQ(dialog.ends, 1);
}

TEST_F(ApplySequence, AHungCardManagerHoldsTheSequenceAtMostTenSeconds) {
    LoadTwoAdapters();
    simwin::AddWindow("Vexa Wireless Card Manager", /*hung=*/true);
    FakeDialog dialog("Taiwan");
    ApplySelection(dialog);
    const long close = Find("SendMessageTimeoutA");
    ASSERT_GE(close, 0);
    EXPECT_EQ(simwin::Journal()[static_cast<std::size_t>(close)].detail,
              "0x10 0x0 0x0 flags=0x2 timeout=10000");
    // The wait, the 500 ms pause; no device here, so no restart pause.
    EXPECT_EQ(simwin::NowMs(), 10500u);
    EXPECT_EQ(ReadValue(Instance(kNtClassKey, 2), "KVREnable").data, Sz("1"));
    EXPECT_EQ(dialog.ends, 1);
}

TEST_F(ApplySequence, OnlyOneOfTwoCardManagerWindowsIsAsked) {
    HWND first = simwin::AddWindow("Vexa Wireless Card Manager");
    HWND second = simwin::AddWindow("Vexa Wireless Card Manager");
    FakeDialog dialog("Taiwan");
    ApplySelection(dialog);
    EXPECT_EQ(simwin::MessagesReceived(first).size() + simwin::MessagesReceived(second).size(), 1u);
}

TEST_F(ApplySequence, WithoutAnUnhandledInstanceNothingIsWrittenOrRestarted) {
    Load(R"(REGEDIT4
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
"KVREnable"="1"
)");
    simwin::AddDevice({"Kelvane PC Card"});
    FakeDialog dialog("Taiwan");
    ApplySelection(dialog);
    EXPECT_EQ(simwin::CountCalls("RegSetValueExA"), 0u);
    EXPECT_EQ(simwin::CountCalls("SetupDiGetClassDevsA"), 0u);
    EXPECT_TRUE(simwin::PropertyChanges().empty());
    EXPECT_EQ(dialog.ends, 1);
}

struct NinetyEight {
    const char* name;
    DWORD minor;
    const char* servicePack;
};

class ApplyOnNinetyEight : public ApplySequence,
                           public ::testing::WithParamInterface<NinetyEight> {};

TEST_P(ApplyOnNinetyEight, WritesMarksAndFinishesButRestartsNothing) {
    simwin::SetVersion(
        {VER_PLATFORM_WIN32_WINDOWS, 4, GetParam().minor, 0, GetParam().servicePack});
    Load(R"(REGEDIT4
[{98}\0000]
"DriverDesc"="Kelvane PC Card"
[{98}\0001]
"DriverDesc"="Kelvane PC Card Lite"
)");
    simwin::AddDevice({"Kelvane PC Card"});
    FakeDialog dialog("Japan");
    ApplySelection(dialog);
    const std::string base = testsupport::kNinetyEightClassKey;
    EXPECT_EQ(ReadValue(Instance(base.c_str(), 0), "CountryName").data, Sz("JP "));
    EXPECT_EQ(ReadValue(Instance(base.c_str(), 0), "KVREnable").data, Sz("1"));
    EXPECT_EQ(ReadValue(Instance(base.c_str(), 1), "InstallFinish").data, Sz("1"));
    EXPECT_EQ(simwin::CountCalls("SetupDiGetClassDevsA"), 0u);
    EXPECT_TRUE(simwin::PropertyChanges().empty());
}

INSTANTIATE_TEST_SUITE_P(Releases, ApplyOnNinetyEight,
                         ::testing::Values(NinetyEight{"98 SE", 10, " A "},
                                           NinetyEight{"Me", 90, " "}));

TEST_F(ApplySequence, AFailingWriterVersionQueryEndsTheProcessWithItsMessage) {
    LoadTwoAdapters();
    FakeDialog dialog("Taiwan");
    simwin::FailVersionQuery(true, true);
    EXPECT_THROW(ApplySelection(dialog), simwin::ProcessExit);
    ASSERT_EQ(simwin::MessageBoxes().size(), 1u);
    EXPECT_EQ(simwin::MessageBoxes()[0].text, "Unable to determine Operating System.");
    EXPECT_EQ(simwin::CountCalls("RegSetValueExA"), 0u);
}

}  // namespace
