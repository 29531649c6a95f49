// Every platform call of the apply sequence made to fail, one at a time: the sequence must
// still run to its end and leave nothing behind that the system does not own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "apply/apply_sequence.h"
#include "tests/support/machine.h"
#include "tests/support/fake_dialog.h"
#include "tests/support/invariants.h"
#include "tools/regfixture/reg_fixture.h"

namespace {

using testsupport::FakeDialog;

using testsupport::kNtClassKey;

// A machine as the installer finds it: three unhandled adapters, one handled, one of another
// vendor, channel lists with values of other names, a card manager and a present device.
constexpr char kMachine[] = R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="Other Vendor 802.11b Adapter"
"CountryName"="US "
[{NT}\0000\Ndi\Params\SelectedChannel\enum]
"1"="01"
"14"="14"
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
[{NT}\0001\Ndi\Params\SelectedChannel\enum]
"1"="01"
"12"="12"
"14"="14"
"01"="keep"
[{NT}\0002]
"DriverDesc"="Kelvane USB Adapter"
"KVREnable"="1"
"CountryCode"="23"
[{NT}\0002\Ndi\Params\SelectedChannel\enum]
"13"="13"
[{NT}\0004]
"DriverDesc"="Kelvane MiniPCI Card"
"KVREnable"="0"
[{NT}\0007]
"DriverDesc"="Kelvane CardBus Card"
[{NT}\0007\Ndi\Params\SelectedChannel\enum]
"15"="15"
)";

struct Outcome {
    bool ended = false;     // the dialog was ended: the sequence ran to its end
    bool faultHit = false;  // the armed call was reached and failed
    std::size_t calls = 0;  // failable platform calls the sequence made
    std::vector<std::string> problems;
};

const std::string& ClassKey() {
    static const std::string key = std::string("HKEY_LOCAL_MACHINE\\") + kNtClassKey;
    return key;
}

// One run of the whole sequence on a fresh machine; fault 0 means none.
Outcome RunSequence(std::size_t fault) {
    simwin::Reset();
    std::string error;
    EXPECT_TRUE(regfixture::Load(testsupport::Expand(kMachine), &error)) << error;
    simwin::AddWindow("Vexa Wireless Card Manager");
    simwin::AddDevice({"Kelvane PC Card"});
    const invariants::Registry before = invariants::Snapshot(HKEY_LOCAL_MACHINE, kNtClassKey);
    simwin::ClearJournal();
    simwin::SetJournalMode(simwin::JournalMode::Changes);
    simwin::ClearFaultCounter();
    if (fault) simwin::FailNthCall(fault);

    FakeDialog dialog;
    Outcome outcome;
    ApplySelection(dialog);
    outcome.ended = dialog.ends == 1;
    outcome.calls = simwin::FailableCallCount();
    outcome.faultHit = simwin::FaultFired();
    const simwin::Call faulted = simwin::FaultedCall();
    simwin::ClearFaultCounter();  // reading the result back must not meet the fault
    const std::vector<simwin::Call> changes = simwin::Journal();
    outcome.problems =
        invariants::Check(before, invariants::Snapshot(HKEY_LOCAL_MACHINE, kNtClassKey), changes,
                          ClassKey(), ResolveCountry("Taiwan"), faulted);
    if (simwin::OpenKeyCount() != 0) outcome.problems.push_back("a registry key left open");
    if (simwin::OpenDeviceLists() != 0) outcome.problems.push_back("a device list left open");
    return outcome;
}

class FaultInjection : public ::testing::TestWithParam<int> {};

constexpr int kShards = 2;

TEST_P(FaultInjection, EveryFailingCallIsSurvivedAndLeavesOnlyOwnedValues) {
    const Outcome clean = RunSequence(0);
    ASSERT_TRUE(clean.ended);
    ASSERT_TRUE(clean.problems.empty()) << clean.problems.front();
    const std::size_t calls = clean.calls;
    ASSERT_GT(calls, 20000u);  // two full passes of the search and one to the first match

    // Under the sanitizers, which slow the simulation tenfold, a stride can thin the sweep.
    const char* strideText = std::getenv("VELMORA_FAULT_STRIDE");
    const std::size_t stride =
        strideText ? std::max(1ul, std::strtoul(strideText, nullptr, 10)) : 1;
    std::size_t runs = 0;
    std::size_t survived = 0;
    for (std::size_t n = 1 + static_cast<std::size_t>(GetParam()); n <= calls;
         n += kShards * stride) {
        const Outcome outcome = RunSequence(n);
        ++runs;
        EXPECT_TRUE(outcome.ended) << "fault " << n;
        EXPECT_TRUE(outcome.faultHit) << "fault " << n;
        for (const std::string& problem : outcome.problems)
            ADD_FAILURE() << "fault " << n << ": " << problem;
        survived += outcome.ended && outcome.faultHit && outcome.problems.empty();
    }
    std::printf(
        "fault injection, shard %d of %d (every %zu. call): %zu platform calls in the "
        "clean run, %zu runs, %zu faults survived\n",
        GetParam() + 1, kShards, kShards * stride, calls, runs, survived);
    EXPECT_EQ(survived, runs);
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultInjection, ::testing::Range(0, kShards));

}  // namespace
