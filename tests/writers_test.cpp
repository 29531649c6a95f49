// The country settings writer and the adapter flags, read back byte for byte from the
// simulated registry natively and from Wine's registry in the Windows build.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "apply/adapter_flags.h"
#include "apply/country_writer.h"
#include "tests/support/machine.h"

namespace {

using testsupport::Instance;
using testsupport::KeyExists;
using testsupport::kNtClassKey;
using testsupport::ReadValue;
using testsupport::StoredValue;
using testsupport::Sz;

constexpr char kChannels[] = "\\Ndi\\Params\\SelectedChannel\\enum";

std::string Key(int n) { return Instance(kNtClassKey, n); }
std::string ChannelKey(int n) { return Key(n) + kChannels; }

// A supported instance with the channel list a driver installs: "1" to "14".
std::string SupportedInstance(int n, const char* extra = "") {
    char number[8];
    std::snprintf(number, sizeof number, "%04d", n);
    std::string text = std::string("[{NT}\\") + number + "]\n\"DriverDesc\"=\"Kelvane PC Card\"\n" +
                       extra + "[{NT}\\" + number + kChannels + "]\n";
    for (int c = 1; c <= 14; ++c) {
        char line[32];
        std::snprintf(line, sizeof line, "\"%d\"=\"%02d\"\n", c, c);
        text += line;
    }
    return text;
}

std::vector<int> ChannelsPresent(int n) {
    std::vector<int> present;
    for (int c = 1; c <= 14; ++c) {
        const StoredValue value = ReadValue(ChannelKey(n), std::to_string(c).c_str());
        if (!value.exists) continue;
        present.push_back(c);
        char text[8];
        std::snprintf(text, sizeof text, "%02d", c);
        EXPECT_EQ(value.type, REG_SZ) << c;
        EXPECT_EQ(value.data, Sz(text)) << c;
    }
    return present;
}

std::vector<int> Range(int first, int last) {
    std::vector<int> range;
    for (int c = first; c <= last; ++c) range.push_back(c);
    return range;
}

class Writers : public testsupport::MachineTest {};

TEST_F(Writers, TaiwanWritesTheWorkedExampleByteForByte) {
    Load("REGEDIT4\n" + SupportedInstance(7));
    ConfigureAdapters(ResolveCountry("Taiwan"));

    const StoredValue name = ReadValue(Key(7), "CountryName");
    EXPECT_EQ(name.type, REG_SZ);
    EXPECT_EQ(name.data, (std::vector<BYTE>{0x54, 0x57, 0x20, 0x00}));
    const StoredValue code = ReadValue(Key(7), "CountryCode");
    EXPECT_EQ(code.type, REG_SZ);
    EXPECT_EQ(code.data, (std::vector<BYTE>{0x36, 0x37, 0x00}));
    const StoredValue domain = ReadValue(Key(7), "DomainCode");
    EXPECT_EQ(domain.type, REG_BINARY);
    EXPECT_EQ(domain.data, (std::vector<BYTE>{0x00, 0x54, 0x57, 0x20}));
    EXPECT_EQ(ChannelsPresent(7), Range(1, 11));
}

struct PlanCase {
    const char* country;
    const char* code;
    std::vector<int> channels;
};

class WriterPlans : public testsupport::MachineTest,
                    public ::testing::WithParamInterface<PlanCase> {};

TEST_P(WriterPlans, LeaveExactlyThePlansChannels) {
    Load("REGEDIT4\n" + SupportedInstance(3));
    ConfigureAdapters(ResolveCountry(GetParam().country));
    EXPECT_EQ(ReadValue(Key(3), "CountryCode").data, Sz(GetParam().code));
    EXPECT_EQ(ChannelsPresent(3), GetParam().channels);
}

INSTANTIATE_TEST_SUITE_P(Countries, WriterPlans,
                         ::testing::Values(PlanCase{"France", "22", Range(10, 13)},
                                           PlanCase{"Japan", "33", Range(1, 14)},
                                           PlanCase{"Argentina", "0", Range(1, 11)},
                                           PlanCase{"Brazil", "7", Range(1, 11)},
                                           PlanCase{"Yugoslavia", "75", Range(1, 13)},
                                           PlanCase{"Israel", "31", Range(5, 7)}));

TEST_F(Writers, EveryOldChannelGoesWhateverItsSizeOrTypeAndOtherNamesStay) {
    Load(R"(REGEDIT4
[{NT}\0001]
"DriverDesc"="Kelvane USB Adapter"
[{NT}\0001\Ndi\Params\SelectedChannel\enum]
"12"="Channel twelve, long text"
"13"=hex:31,33,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00,00
"14"=dword:0000000e
"01"="keep"
"15"="15"
@="default"
)");
    ConfigureAdapters(ResolveCountry("Taiwan"));
    EXPECT_EQ(ChannelsPresent(1), Range(1, 11));
    EXPECT_EQ(ReadValue(ChannelKey(1), "01").data, Sz("keep"));
    EXPECT_EQ(ReadValue(ChannelKey(1), "15").data, Sz("15"));
    EXPECT_EQ(ReadValue(ChannelKey(1), "").data, Sz("default"));
}

TEST_F(Writers, SeveralInstancesAreWrittenAndAHandledOneIsNotTouched) {
    Load("REGEDIT4\n" + SupportedInstance(2) + SupportedInstance(3, "\"KVREnable\"=\"1\"\n") +
         SupportedInstance(5));
    ConfigureAdapters(ResolveCountry("France"));
    EXPECT_EQ(ReadValue(Key(2), "CountryName").data, Sz("FR "));
    EXPECT_EQ(ReadValue(Key(5), "CountryName").data, Sz("FR "));
    EXPECT_FALSE(ReadValue(Key(3), "CountryName").exists);
    EXPECT_EQ(ChannelsPresent(3), Range(1, 14));
    EXPECT_EQ(ChannelsPresent(5), Range(10, 13));
}

TEST_F(Writers, AMissingChannelListGetsNoChannelsAndIsNotCreated) {
    Load(R"(REGEDIT4
[{NT}\0004]
"DriverDesc"="Kelvane CardBus Card"
[{NT}\0004\Ndi\Params]
)");
    ConfigureAdapters(ResolveCountry("Taiwan"));
    EXPECT_EQ(ReadValue(Key(4), "CountryName").data, Sz("TW "));
    EXPECT_FALSE(KeyExists(ChannelKey(4)));
}

TEST_F(Writers, InstanceNineThousandNineHundredNinetyNineIsWritten) {
    Load("REGEDIT4\n" + SupportedInstance(9999));
    ConfigureAdapters(ResolveCountry("Taiwan"));
    EXPECT_TRUE(MarkFirstAdapter());
    EXPECT_EQ(ReadValue(Key(9999), "CountryCode").data, Sz("67"));
    EXPECT_EQ(ReadValue(Key(9999), "KVREnable").data, Sz("1"));
}

TEST_F(Writers, TheFlagsMarkTheFirstInstanceAndFinishTheOthers) {
    Load("REGEDIT4\n" + SupportedInstance(2) + SupportedInstance(3, "\"KVREnable\"=\"1\"\n") +
         SupportedInstance(5));
    EXPECT_TRUE(MarkFirstAdapter());
    FlagInstallFinished();
    EXPECT_EQ(ReadValue(Key(2), "EnableRadio").data, Sz("1"));
    EXPECT_EQ(ReadValue(Key(2), "KVREnable").data, Sz("1"));
    EXPECT_FALSE(ReadValue(Key(2), "InstallFinish").exists);
    EXPECT_EQ(ReadValue(Key(5), "InstallFinish").data, Sz("1"));
    EXPECT_FALSE(ReadValue(Key(5), "EnableRadio").exists);
    EXPECT_FALSE(ReadValue(Key(5), "KVREnable").exists);
    for (const char* name : {"EnableRadio", "InstallFinish"})
        EXPECT_FALSE(ReadValue(Key(3), name).exists) << name;
    // A single unhandled instance gets no "InstallFinish".
    Clean();
    Load("REGEDIT4\n" + SupportedInstance(4));
    EXPECT_TRUE(MarkFirstAdapter());
    FlagInstallFinished();
    EXPECT_FALSE(ReadValue(Key(4), "InstallFinish").exists);
}

TEST_F(Writers, WithoutAnUnhandledInstanceNothingIsWritten) {
    Load(R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="Other Vendor Adapter"
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
"KVREnable"="1"
)");
    const std::string before = DumpAll();
    ConfigureAdapters(ResolveCountry("Taiwan"));
    EXPECT_FALSE(MarkFirstAdapter());
    FlagInstallFinished();
    EXPECT_EQ(DumpAll(), before);
}

// The three writers in the apply order over a machine with several adapters: the whole
// registry afterwards is exactly the expected one, so nothing else was written, deleted or
// created.
TEST_F(Writers, InTheApplyOrderTheyLeaveExactlyTheExpectedRegistry) {
    const char* before = R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="Other Vendor 802.11b Adapter"
"CountryName"="US "
[{NT}\0000\Ndi\Params\SelectedChannel\enum]
"1"="01"
"12"="12"
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
"MatchingDeviceId"="klv_pccard"
[{NT}\0001\Ndi\Params\SelectedChannel\enum]
"1"="01"
"12"="12"
"13"="13"
"14"="14"
"01"="keep"
[{NT}\0002]
"DriverDesc"="Kelvane USB Adapter"
"KVREnable"="1"
"CountryName"="DE "
[{NT}\0002\Ndi\Params\SelectedChannel\enum]
"13"="13"
[{NT}\0003]
"DriverDesc"="Kelvane MiniPCI Card"
"KVREnable"="0"
[{NT}\0006]
"DriverDesc"="Kelvane CardBus Card"
[{NT}\0006\Ndi\Params\SelectedChannel\enum]
"15"="15"
)";
    const std::string taiwanChannels = [] {
        std::string text;
        for (int c = 1; c <= 11; ++c) {
            char line[32];
            std::snprintf(line, sizeof line, "\"%d\"=\"%02d\"\n", c, c);
            text += line;
        }
        return text;
    }();
    const std::string taiwan =
        "\"CountryName\"=\"TW \"\n\"CountryCode\"=\"67\"\n"
        "\"DomainCode\"=hex:00,54,57,20\n";
    const std::string after = std::string(R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="Other Vendor 802.11b Adapter"
"CountryName"="US "
[{NT}\0000\Ndi\Params\SelectedChannel\enum]
"1"="01"
"12"="12"
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
"MatchingDeviceId"="klv_pccard"
"EnableRadio"="1"
"KVREnable"="1"
)") + taiwan + "[{NT}\\0001\\Ndi\\Params\\SelectedChannel\\enum]\n\"01\"=\"keep\"\n" +
                              taiwanChannels + R"([{NT}\0002]
"DriverDesc"="Kelvane USB Adapter"
"KVREnable"="1"
"CountryName"="DE "
[{NT}\0002\Ndi\Params\SelectedChannel\enum]
"13"="13"
[{NT}\0003]
"DriverDesc"="Kelvane MiniPCI Card"
"KVREnable"="0"
"InstallFinish"="1"
)" + taiwan + R"([{NT}\0006]
"DriverDesc"="Kelvane CardBus Card"
"InstallFinish"="1"
)" + taiwan + "[{NT}\\0006\\Ndi\\Params\\SelectedChannel\\enum]\n\"15\"=\"15\"\n" +
                              taiwanChannels;

    Load(after);
    const std::string expected = DumpAll();
    Clean();
    Load(before);
    ConfigureAdapters(ResolveCountry("Taiwan"));
    EXPECT_TRUE(MarkFirstAdapter());
    FlagInstallFinished();
    EXPECT_EQ(DumpAll(), expected);
}

// ---- Sim only: refused keys, and the calls made --------------------------------------------
#ifndef _WIN32

TEST_F(Writers, AnInstanceRefusedFullAccessGetsOnlyItsChannelList) {
    Load("REGEDIT4\n" + SupportedInstance(1));
    simwin::DenyWriteAccess(HKEY_LOCAL_MACHINE, Key(1));
    ConfigureAdapters(ResolveCountry("France"));
    for (const char* name : {"CountryName", "CountryCode", "DomainCode"})
        EXPECT_FALSE(ReadValue(Key(1), name).exists) << name;
    EXPECT_EQ(ChannelsPresent(1), Range(10, 13));
    EXPECT_EQ(simwin::OpenKeyCount(), 0u);
}

TEST_F(Writers, AFirstInstanceThatCannotBeOpenedIsStillReportedAndTriedAgain) {
    Load("REGEDIT4\n" + SupportedInstance(2) + SupportedInstance(5));
    simwin::DenyWriteAccess(HKEY_LOCAL_MACHINE, Key(2));
    EXPECT_TRUE(MarkFirstAdapter());
    EXPECT_FALSE(ReadValue(Key(2), "KVREnable").exists);
    simwin::ClearJournal();
    FlagInstallFinished();
    // Both are still unhandled, so both are tried; only 0005 can be written.
    EXPECT_GE(simwin::FindCall("RegOpenKeyExA", "HKEY_LOCAL_MACHINE\\" + Key(2)), 0);
    EXPECT_FALSE(ReadValue(Key(2), "InstallFinish").exists);
    EXPECT_EQ(ReadValue(Key(5), "InstallFinish").data, Sz("1"));
}

TEST_F(Writers, KeysAreOpenedWithFullAccessAndClosedWithinEachInstance) {
    Load("REGEDIT4\n" + SupportedInstance(2) + SupportedInstance(5));
    ConfigureAdapters(ResolveCountry("Taiwan"));
    EXPECT_EQ(simwin::OpenKeyCount(), 0u);
    // 0002 is written completely, both keys closed, before 0005 is looked at.
    const long lastOf2 = [] {
        long last = -1;
        const auto& journal = simwin::Journal();
        for (std::size_t i = 0; i < journal.size(); ++i)
            if (journal[i].target.find("\\0002") != std::string::npos) last = static_cast<long>(i);
        return last;
    }();
    const long firstOf5 = simwin::FindCall("RegOpenKeyExA", "HKEY_LOCAL_MACHINE\\" + Key(5));
    ASSERT_GE(lastOf2, 0);
    EXPECT_LT(lastOf2, firstOf5);
    EXPECT_EQ(simwin::Journal()[static_cast<std::size_t>(lastOf2)].function, "RegCloseKey");
    for (const simwin::Call& call : simwin::Journal()) {
        if (call.function == "RegOpenKeyExA" && call.name != "KEY_READ") {
            EXPECT_EQ(call.name, "KEY_ALL_ACCESS");
        }
    }
    EXPECT_EQ(simwin::CountCalls("RegCreateKeyExA"), 0u);
}

TEST_F(Writers, NoUnhandledInstanceMeansNoKeyIsOpenedForWriting) {
    Load(R"(REGEDIT4
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
"KVREnable"="1"
)");
    ConfigureAdapters(ResolveCountry("Taiwan"));
    EXPECT_FALSE(MarkFirstAdapter());
    FlagInstallFinished();
    for (const simwin::Call& call : simwin::Journal()) {
        if (call.function == "RegOpenKeyExA") {
            EXPECT_EQ(call.name, "KEY_READ");
        }
    }
    EXPECT_EQ(simwin::CountCalls("RegSetValueExA"), 0u);
    EXPECT_EQ(simwin::CountCalls("RegDeleteValueA"), 0u);
}

#endif

}  // namespace
