#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "adapters/os_platform.h"
#include "platform/program_message.h"
#include "tests/support/machine.h"

namespace {

using testsupport::kNinetyEightClassKey;
using testsupport::kNtClassKey;

struct VersionCase {
    DWORD platformId;
    DWORD major;
    DWORD minor;
    const char* servicePack;
    OsKind kind;
};

class ClassifyVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ClassifyVersionTest, DecidesTheKind) {
    const VersionCase& c = GetParam();
    EXPECT_EQ(ClassifyVersion(c.platformId, c.major, c.minor, c.servicePack), c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ClassifyVersionTest,
    ::testing::Values(VersionCase{1, 4, 10, " A ", OsKind::NinetyEightFamily},  // 98 SE
                      VersionCase{1, 4, 10, " A", OsKind::NinetyEightFamily},
                      VersionCase{1, 4, 10, "", OsKind::Unsupported},  // 98 First Edition
                      VersionCase{1, 4, 10, " a", OsKind::Unsupported},
                      VersionCase{1, 4, 10, " ", OsKind::Unsupported},
                      VersionCase{1, 4, 10, "A", OsKind::Unsupported},
                      VersionCase{1, 4, 0, " A", OsKind::Unsupported},  // 95
                      VersionCase{1, 4, 0, "", OsKind::Unsupported},
                      VersionCase{1, 4, 90, " ", OsKind::NinetyEightFamily},  // Me
                      VersionCase{1, 7, 3, "", OsKind::NinetyEightFamily},
                      VersionCase{2, 5, 0, "Service Pack 4", OsKind::Nt5},  // 2000
                      VersionCase{2, 5, 1, "Service Pack 3", OsKind::Nt5},  // XP
                      VersionCase{2, 5, 2, "", OsKind::Nt5},                // Server 2003
                      VersionCase{2, 4, 0, "Service Pack 6a", OsKind::Other},
                      VersionCase{2, 6, 0, "", OsKind::Other},
                      VersionCase{2, 6, 1, "", OsKind::Other},
                      VersionCase{0, 3, 11, "", OsKind::Nt5},  // Win32s: not 1 or 2
                      VersionCase{3, 5, 1, "", OsKind::Nt5}));

TEST(InstanceKeyPath, JoinsTheClassKeyAndFourDigits) {
    EXPECT_EQ(InstanceKeyPath(kNtClassKey, 42), std::string(kNtClassKey) + "\\0042");
    EXPECT_EQ(InstanceKeyPath("UnKnown", 0), "UnKnown\\0000");
    EXPECT_EQ(InstanceKeyPath("Base", 9999), "Base\\9999");
}

TEST(SupportedAdapters, MatchWholeTextsOnlyWithCase) {
    for (const char* adapter : kSupportedAdapters) EXPECT_TRUE(IsSupportedAdapter(adapter));
    EXPECT_FALSE(IsSupportedAdapter("kelvane PC Card"));
    EXPECT_FALSE(IsSupportedAdapter("Kelvane PC Card "));
    EXPECT_FALSE(IsSupportedAdapter("Kelvane PC"));
    EXPECT_FALSE(IsSupportedAdapter(""));
}

// ---- The search, against the simulated registry and the real one ---------------------------

class AdapterSearch : public testsupport::MachineTest {
  protected:
    std::vector<int> Walk() {
        COsPlatform platform;
        std::vector<int> found;
        ForEachAdapterInstance(platform, [&](int n) { found.push_back(n); });
        return found;
    }
};

TEST_F(AdapterSearch, FindsUnhandledSupportedInstancesInOrder) {
    Load(R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="Kelvane PC Card"
[{NT}\0001]
"DriverDesc"="Other Vendor Adapter"
[{NT}\0002]
"DriverDesc"="Kelvane USB Adapter"
"KVREnable"="1"
[{NT}\0004]
"DriverDesc"="Kelvane MiniPCI Card"
"KVREnable"="0"
)");
    COsPlatform platform;
    EXPECT_EQ(platform.BaseKeyPath(), std::string(kNtClassKey));
    EXPECT_EQ(platform.FindAdapterInstance(0), 0);
    EXPECT_EQ(platform.FindAdapterInstance(1), 4);
    EXPECT_EQ(platform.FindAdapterInstance(5), NoInstance);
    EXPECT_EQ(Walk(), (std::vector<int>{0, 4}));
}

TEST_F(AdapterSearch, DescriptionsMatchOnlyWholeAndWithCase) {
    Load(R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="kelvane PC Card"
[{NT}\0001]
"DriverDesc"="Kelvane PC Card "
[{NT}\0002]
"DriverDesc"="Kelvane PC"
[{NT}\0003]
"driverdesc"="Kelvane PC Card Lite"
)");
    EXPECT_EQ(Walk(), (std::vector<int>{3}));
}

TEST_F(AdapterSearch, TheHandledFlagCountsOnlyWhenReadAndNotZero) {
    Load(R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="Kelvane PC Card"
"KVREnable"=""
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
"KVREnable"="0 and more"
[{NT}\0002]
"DriverDesc"="Kelvane PC Card"
"KVREnable"="1111111111111111111111111111111"
[{NT}\0003]
"DriverDesc"="Kelvane PC Card"
"KVREnable"=dword:00000000
[{NT}\0004]
"DriverDesc"="Kelvane PC Card"
"KVREnable"=hex:30
[{NT}\0005]
"DriverDesc"="Kelvane PC Card"
"KVREnable"=hex:
)");
    // 0000: empty text, first byte zero: handled. 0001: begins with '0': not handled.
    // 0002: does not fit: not handled. 0003: DWORD 0, first byte zero: handled.
    // 0004: a single '0': not handled. 0005: no bytes read, the preset '0' stays: not handled.
    EXPECT_EQ(Walk(), (std::vector<int>{1, 2, 4, 5}));
}

TEST_F(AdapterSearch, UnsafeDescriptionsNeverMatchAndNeverOverrun) {
    const std::string unterminated255(255, 'K');
    const std::string text254(254, 'K');
    Load("REGEDIT4\n[{NT}\\0000]\n\"DriverDesc\"=hex(1):" +
         [&] {
             std::string bytes;
             for (std::size_t i = 0; i < unterminated255.size(); ++i) bytes += i ? ",4b" : "4b";
             return bytes;
         }() +
         "\n[{NT}\\0001]\n\"DriverDesc\"=\"" + text254 + "\"\n" +
         "[{NT}\\0002]\n\"DriverDesc\"=\"" + text254 + "K\"\n" +  // 256 bytes: does not fit
         R"([{NT}\0003]
"DriverDesc"=hex:4b,65,6c,76,61,6e,65,20,50,43,20,43,61,72,64,00
[{NT}\0004]
"DriverDesc"=dword:6576654b
[{NT}\0005]
"DriverDesc"=""
[{NT}\0006]
"DriverDesc"=hex(1):4b,65,6c,76,61,6e,65,20,50,43,20,43,61,72,64
[{NT}\0007]
"DriverDesc"="Kelvane PC Card"
)");
    // The type is not examined: 0003 holds the text as REG_BINARY and matches; so does 0006,
    // a string without its zero. Everything else matches no row.
    EXPECT_EQ(Walk(), (std::vector<int>{3, 6, 7}));
}

TEST_F(AdapterSearch, InstanceNineThousandNineHundredNinetyNineIsAnInstanceLikeAnyOther) {
    Load(R"(REGEDIT4
[{NT}\9999]
"DriverDesc"="Kelvane PCI Adapter"
)");
    COsPlatform platform;
    EXPECT_EQ(platform.FindAdapterInstance(0), 9999);
    EXPECT_EQ(platform.FindAdapterInstance(9999), 9999);
    EXPECT_EQ(Walk(), (std::vector<int>{9999}));
}

TEST_F(AdapterSearch, FromTheLastNumberWithoutAMatchThereIsNoInstance) {
    Load(R"(REGEDIT4
[{NT}\9998]
"DriverDesc"="Kelvane PCI Adapter"
)");
    EXPECT_EQ(COsPlatform().FindAdapterInstance(9999), NoInstance);
}

TEST_F(AdapterSearch, KeysWithOtherNamesAreNotInstances) {
    Load(R"(REGEDIT4
[{NT}\7]
"DriverDesc"="Kelvane PC Card"
[{NT}\00007]
"DriverDesc"="Kelvane PC Card"
[{NT}\abcd]
"DriverDesc"="Kelvane PC Card"
[{NT}\0007 ]
"DriverDesc"="Kelvane PC Card"
[{NT}\0008]
"DriverDesc"="Kelvane PC Card"
)");
    EXPECT_EQ(Walk(), (std::vector<int>{8}));
}

TEST_F(AdapterSearch, OnlyTheRunningVersionsClassKeyIsSearched) {
    Load(R"(REGEDIT4
[{98}\0003]
"DriverDesc"="Kelvane PC Card"
)");
    EXPECT_EQ(Walk(), std::vector<int>{});
}

// ---- Sim only: versions other than the test prefix's, and the calls made -------------------
#ifndef _WIN32

TEST_F(AdapterSearch, NinetyEightFamilySearchesItsOwnClassKey) {
    simwin::SetVersion({VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A "});
    Load(R"(REGEDIT4
[{98}\0003]
"DriverDesc"="Kelvane PC Card"
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
)");
    COsPlatform platform;
    EXPECT_EQ(platform.Kind(), OsKind::NinetyEightFamily);
    EXPECT_EQ(platform.BaseKeyPath(), std::string(kNinetyEightClassKey));
    EXPECT_EQ(Walk(), std::vector<int>{3});
}

TEST_F(AdapterSearch, UnknownClassKeyProbesEveryNumberAndFindsNothing) {
    simwin::SetVersion({VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1"});
    Load(R"(REGEDIT4
[{NT}\0001]
"DriverDesc"="Kelvane PC Card"
)");
    COsPlatform platform;
    EXPECT_FALSE(platform.IsUnsupported());
    EXPECT_STREQ(platform.BaseKeyPath(), "UnKnown");
    simwin::ClearJournal();
    EXPECT_EQ(platform.FindAdapterInstance(0), NoInstance);
    EXPECT_EQ(simwin::CountCalls("RegOpenKeyExA"), 10000u);
    EXPECT_EQ(simwin::Journal().front().target, "HKEY_LOCAL_MACHINE\\UnKnown\\0000");
    EXPECT_EQ(simwin::Journal().back().target, "HKEY_LOCAL_MACHINE\\UnKnown\\9999");
}

TEST_F(AdapterSearch, OpensForReadingOnlyAndClosesEveryKey) {
    Load(R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="Other"
[{NT}\0005]
"DriverDesc"="Kelvane PC Card"
)");
    COsPlatform platform;
    simwin::ClearJournal();
    EXPECT_EQ(platform.FindAdapterInstance(0), 5);
    for (const simwin::Call& call : simwin::Journal()) {
        if (call.function == "RegOpenKeyExA") {
            EXPECT_EQ(call.name, "KEY_READ");
        }
    }
    EXPECT_EQ(simwin::CountCalls("RegOpenKeyExA"), 6u);
    EXPECT_EQ(simwin::CountCalls("RegCloseKey"), 2u);
    EXPECT_EQ(simwin::CountCalls("RegQueryValueExA"), 4u);
    EXPECT_EQ(simwin::OpenKeyCount(), 0u);
}

TEST_F(AdapterSearch, AFailedReadIsNotTrustedWhateverItLeftInTheBuffer) {
    Load(R"(REGEDIT4
[{NT}\0000]
"DriverDesc"="Kelvane PC Card"
"KVREnable"="0"
)");
    COsPlatform platform;
    // Open, DriverDesc, KVREnable: the failed flag read fills its buffer with '1'.
    simwin::FailNthCall(3, ERROR_MORE_DATA);
    EXPECT_EQ(platform.FindAdapterInstance(0), 0);
    EXPECT_TRUE(simwin::FaultFired());
    // A failed description read reads as empty, not as what the platform left.
    simwin::FailNthCall(2, ERROR_MORE_DATA);
    EXPECT_EQ(platform.FindAdapterInstance(0), NoInstance);
}

struct QueryFailure {
    bool extended;
    bool plain;
};

class VersionQuery : public testsupport::MachineTest,
                     public ::testing::WithParamInterface<QueryFailure> {};

TEST_P(VersionQuery, FallsBackToThePlainRecordAndEndsTheProcessWhenBothFail) {
    simwin::SetVersion({VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A "});
    simwin::SetModuleFileName("C:\\Setup\\Velmora.exe");
    simwin::FailVersionQuery(GetParam().extended, GetParam().plain);
    if (GetParam().extended && GetParam().plain) {
        try {
            COsPlatform platform;
            FAIL() << "the process should have ended";
        } catch (const simwin::ProcessExit& exit) {
            EXPECT_EQ(exit.code, 0);
        }
        ASSERT_EQ(simwin::MessageBoxes().size(), 1u);
        EXPECT_EQ(simwin::MessageBoxes()[0].text, "Unable to determine Operating System.");
        EXPECT_EQ(simwin::MessageBoxes()[0].caption, "Velmora");
        EXPECT_EQ(simwin::MessageBoxes()[0].type, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    COsPlatform platform;
    EXPECT_EQ(platform.Kind(), OsKind::NinetyEightFamily);
    EXPECT_TRUE(simwin::MessageBoxes().empty());
    // The record sizes asked for: 156 first, then 148 only after a failure.
    EXPECT_EQ(simwin::Journal()[0].name, "156");
    EXPECT_EQ(simwin::CountCalls("GetVersionExA"), GetParam().extended ? 2u : 1u);
    if (GetParam().extended) {
        EXPECT_EQ(simwin::Journal()[1].name, "148");
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, VersionQuery,
                         ::testing::Values(QueryFailure{false, false}, QueryFailure{true, false},
                                           QueryFailure{false, true}, QueryFailure{true, true}));

TEST(ProgramTitle, IsTheFileNameWithoutFolderAndExtension) {
    simwin::Reset();
    char title[64];
    for (const auto& [path, expected] : std::vector<std::pair<std::string, std::string>>{
             {"C:\\Program Files\\Setup\\Velmora.exe", "Velmora"},
             {"C:\\a.b\\Tool.v2.exe", "Tool.v2"},
             {"D:NoFolder.EXE", "NoFolder"},
             {"C:\\Plain", "Plain"}}) {
        simwin::SetModuleFileName(path);
        ProgramTitle(title, sizeof title);
        EXPECT_EQ(std::string(title), expected) << path;
    }
}

#endif

}  // namespace
