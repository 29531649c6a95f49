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
#include "tools/regfixture/reg_fixture.h"

namespace {

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

struct Value {
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};
using Registry = std::map<std::string, std::map<std::string, Value>>;

// Reads the canonical dump back into keys and values.
Registry Parse(const std::string& dump) {
    Registry registry;
    std::istringstream lines(dump);
    std::string line;
    std::string key;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        if (line[0] == '[') {
            key = line.substr(1, line.find(']') - 1);
            registry[key];
            continue;
        }
        const std::size_t equals = line.find("\"=hex(");
        const std::size_t at = line[0] == '@' ? 1 : equals + 1;
        const std::string name = line[0] == '@' ? "" : line.substr(1, equals - 1);
        Value value{};
        value.type = static_cast<DWORD>(std::stoul(line.substr(at + 5), nullptr, 16));
        const std::size_t bytes = line.find("):", at) + 2;
        for (std::size_t i = bytes; i + 2 <= line.size(); i += 3)
            value.data.push_back(static_cast<BYTE>(std::stoul(line.substr(i, 2), nullptr, 16)));
        registry[key][name] = value;
    }
    return registry;
}

// The values this system may write or delete: its names under the keys of supported adapter
// instances, and the channels under their channel lists.
bool Owned(const std::string& key, const std::string& name) {
    static const std::string instances = std::string("HKEY_LOCAL_MACHINE\\") + kNtClassKey + "\\";
    static const std::set<std::string> supported = {"0001", "0002", "0004", "0007"};
    static const std::set<std::string> instanceNames = {
        "CountryName", "CountryCode", "DomainCode", "EnableRadio", "KVREnable", "InstallFinish"};
    if (key.rfind(instances, 0) != 0) return false;
    const std::string below = key.substr(instances.size());
    const std::string instance = below.substr(0, 4);
    if (!supported.count(instance)) return false;
    if (below.size() == 4) return instanceNames.count(name) > 0;
    if (below != instance + "\\Ndi\\Params\\SelectedChannel\\enum") return false;
    for (int n = 1; n <= 14; ++n)
        if (name == std::to_string(n)) return true;
    return false;
}

class FakeDialog : public CSelectionHost {
  public:
    FakeDialog() : window(simwin::AddWindow("Velmora")) {}
    void SaveData() override {}
    HWND Window() const override { return window; }
    std::string SelectedName() override { return "Taiwan"; }
    void EndCancel() override { ++ends; }
    HWND window;
    int ends = 0;
};

struct Outcome {
    bool ended = false;     // the dialog was ended: the sequence ran to its end
    bool faultHit = false;  // the armed call was reached and failed
    std::size_t calls = 0;  // failable platform calls the sequence made
    Registry registry;
    std::vector<simwin::Call> changes;  // every call that changed, or tried to change, the registry
};

// One run of the whole sequence on a fresh machine; fault 0 means none.
Outcome RunSequence(std::size_t fault) {
    simwin::Reset();
    std::string error;
    EXPECT_TRUE(regfixture::Load(testsupport::Expand(kMachine), &error)) << error;
    simwin::AddWindow("Vexa Wireless Card Manager");
    simwin::AddDevice({"Kelvane PC Card"});
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
    simwin::ClearFaultCounter();  // reading the result back must not meet the fault
    outcome.changes = simwin::Journal();
    outcome.registry = Parse(regfixture::Dump(HKEY_LOCAL_MACHINE, kNtClassKey));
    EXPECT_EQ(simwin::OpenKeyCount(), 0u) << "fault " << fault;
    EXPECT_EQ(simwin::OpenDeviceLists(), 0u) << "fault " << fault;
    return outcome;
}

std::string Kind(const std::string& key, const std::string& name) {
    // Instance values are keyed by name; channel values by their number.
    return (key.find("\\enum") != std::string::npos ? "enum|" : "instance|") + name;
}

class FaultInjection : public ::testing::TestWithParam<int> {};

constexpr int kShards = 2;

TEST_P(FaultInjection, EveryFailingCallIsSurvivedAndLeavesOnlyOwnedValues) {
    simwin::Reset();
    std::string error;
    ASSERT_TRUE(regfixture::Load(testsupport::Expand(kMachine), &error)) << error;
    const Registry before = Parse(regfixture::Dump(HKEY_LOCAL_MACHINE, kNtClassKey));

    const Outcome clean = RunSequence(0);
    ASSERT_TRUE(clean.ended);
    const std::size_t calls = clean.calls;
    ASSERT_GT(calls, 20000u);  // two full passes of the search and one to the first match
    std::map<std::string, Value> canonical;
    for (const auto& [key, values] : clean.registry)
        for (const auto& [name, value] : values) {
            const Value* old = before.count(key) && before.at(key).count(name)
                                   ? &before.at(key).at(name)
                                   : nullptr;
            if (!old || !(*old == value)) canonical[Kind(key, name)] = value;
        }

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
        bool sound = outcome.ended && outcome.faultHit;
        EXPECT_TRUE(outcome.ended) << "fault " << n;
        EXPECT_TRUE(outcome.faultHit) << "fault " << n;

        for (const simwin::Call& change : outcome.changes) {
            const bool owned =
                (change.function == "RegSetValueExA" || change.function == "RegDeleteValueA") &&
                Owned(change.target, change.name);
            EXPECT_TRUE(owned) << "fault " << n << ": " << change.function << " " << change.target
                               << " \"" << change.name << "\"";
            sound = sound && owned;
        }
        // Same keys as before: nothing created, nothing deleted.
        EXPECT_EQ(outcome.registry.size(), before.size()) << "fault " << n;
        for (const auto& [key, values] : outcome.registry) {
            auto old = before.find(key);
            if (old == before.end()) {
                ADD_FAILURE() << "fault " << n << ": key created " << key;
                sound = false;
                continue;
            }
            for (const auto& [name, value] : values) {
                auto was = old->second.find(name);
                if (was != old->second.end() && was->second == value) continue;
                // Written: exactly what the clean run writes under that name.
                auto expected = canonical.find(Kind(key, name));
                const bool same = expected != canonical.end() && expected->second == value;
                EXPECT_TRUE(same) << "fault " << n << ": " << key << " \"" << name << "\"";
                sound = sound && same && Owned(key, name);
            }
            for (const auto& [name, value] : old->second) {
                if (values.count(name)) continue;
                EXPECT_TRUE(Owned(key, name))
                    << "fault " << n << ": deleted " << key << " \"" << name << "\"";
                sound = sound && Owned(key, name);
            }
        }
        survived += sound;
    }
    std::printf(
        "fault injection, shard %d of %d (every %zu. call): %zu platform calls in the "
        "clean run, %zu runs, %zu faults survived\n",
        GetParam() + 1, kShards, kShards * stride, calls, runs, survived);
    EXPECT_EQ(survived, runs);
}

INSTANTIATE_TEST_SUITE_P(Shards, FaultInjection, ::testing::Range(0, kShards));

}  // namespace
