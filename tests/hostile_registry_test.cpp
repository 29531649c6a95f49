// Registry contents the utility did not write and must survive: each fixture puts one hostile
// instance 0003 before an ordinary 0005 and says whether 0003 is an unhandled supported
// adapter. The writers run in the apply order; on Wine they meet the real registry.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "apply/adapter_flags.h"
#include "apply/country_writer.h"
#include "tests/support/machine.h"
#include "tools/regfixture/reg_fixture.h"

namespace {

using testsupport::Instance;
using testsupport::kNtClassKey;
using testsupport::ReadValue;
using testsupport::Sz;

std::string HexBytes(const std::string& bytes) {
    std::string text;
    char byte[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(byte, sizeof byte, "%s%02x", i ? "," : "",
                      static_cast<unsigned char>(bytes[i]));
        text += byte;
    }
    return text;
}

struct Hostile {
    const char* what;
    std::string values;  // the value lines of instance 0003
    bool written;        // whether 0003 counts as an unhandled supported adapter
};

std::vector<Hostile> Cases() {
    const std::string card = "Kelvane PC Card";
    return {
        {"description of 254 characters and its zero",
         "\"DriverDesc\"=\"" + std::string(254, 'K') + "\"", false},
        {"description of 255 bytes without a zero",
         "\"DriverDesc\"=hex(1):" + HexBytes(std::string(255, 'K')), false},
        {"description of 256 bytes", "\"DriverDesc\"=\"" + std::string(255, 'K') + "\"", false},
        {"supported description padded with zeros to 255 bytes",
         "\"DriverDesc\"=hex(1):" + HexBytes(card + std::string(240, '\0')), true},
        {"supported description padded with zeros to 256 bytes",
         "\"DriverDesc\"=hex(1):" + HexBytes(card + std::string(241, '\0')), false},
        {"supported description without its zero", "\"DriverDesc\"=hex(1):" + HexBytes(card), true},
        {"supported description as REG_BINARY",
         "\"DriverDesc\"=hex:" + HexBytes(card + std::string(1, '\0')), true},
        {"description as REG_DWORD", "\"DriverDesc\"=dword:6c656b4b", false},
        {"empty description", "\"DriverDesc\"=\"\"", false},
        {"no description", "\"Other\"=\"Kelvane PC Card\"", false},
        {"handled flag REG_DWORD 0",
         "\"DriverDesc\"=\"" + card + "\"\n\"KVREnable\"=dword:00000000", false},
        {"handled flag REG_DWORD 1",
         "\"DriverDesc\"=\"" + card + "\"\n\"KVREnable\"=dword:00000001", false},
        {"handled flag empty text", "\"DriverDesc\"=\"" + card + "\"\n\"KVREnable\"=\"\"", false},
        {"handled flag with no bytes", "\"DriverDesc\"=\"" + card + "\"\n\"KVREnable\"=hex:", true},
        {"handled flag \"0\" with garbage after it",
         "\"DriverDesc\"=\"" + card + "\"\n\"KVREnable\"=hex(1):30,ff,01,31,31", true},
        {"handled flag \"1\" longer than its buffer",
         "\"DriverDesc\"=\"" + card + "\"\n\"KVREnable\"=\"" + std::string(16, '1') + "\"", true},
        {"handled flag \"1\" that just fits",
         "\"DriverDesc\"=\"" + card + "\"\n\"KVREnable\"=\"" + std::string(15, '1') + "\"", false},
    };
}

class HostileInstance : public testsupport::MachineTest,
                        public ::testing::WithParamInterface<Hostile> {};

TEST_P(HostileInstance, IsHandledAsItsContentsSay) {
    Load("REGEDIT4\n[{NT}\\0003]\n" + GetParam().values + R"(
[{NT}\0003\Ndi\Params\SelectedChannel\enum]
"12"="12"
[{NT}\0005]
"DriverDesc"="Kelvane USB Adapter"
)");
    const std::string hostile = Instance(kNtClassKey, 3);
    const std::string ordinary = Instance(kNtClassKey, 5);
    const std::string untouched = regfixture::Dump(HKEY_LOCAL_MACHINE, hostile);

    ConfigureAdapters(ResolveCountry("Taiwan"));
    EXPECT_TRUE(MarkFirstAdapter());
    FlagInstallFinished();

    EXPECT_EQ(ReadValue(ordinary, "CountryCode").data, Sz("67"));
    if (GetParam().written) {
        EXPECT_EQ(ReadValue(hostile, "CountryCode").data, Sz("67"));
        EXPECT_EQ(ReadValue(hostile, "KVREnable").data, Sz("1"));
        EXPECT_FALSE(ReadValue(hostile + "\\Ndi\\Params\\SelectedChannel\\enum", "12").exists);
        EXPECT_EQ(ReadValue(ordinary, "InstallFinish").data, Sz("1"));
    } else {
        EXPECT_EQ(regfixture::Dump(HKEY_LOCAL_MACHINE, hostile), untouched);
        EXPECT_EQ(ReadValue(ordinary, "KVREnable").data, Sz("1"));
    }
}

INSTANTIATE_TEST_SUITE_P(Contents, HostileInstance, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Hostile>& info) {
                             std::string name;
                             for (const char* p = info.param.what; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// Old channel values of every type, of 20 and of 21 bytes and of none, all go; the plan's
// channels are written as REG_SZ.
class HostileChannels : public testsupport::MachineTest,
                        public ::testing::WithParamInterface<DWORD> {};

TEST_P(HostileChannels, AreAllReplacedByThePlan) {
    char hex[24];
    std::snprintf(hex, sizeof hex, "=hex(%lx):", static_cast<unsigned long>(GetParam()));
    const std::string type = hex;
    Load(
        "REGEDIT4\n[{NT}\\0006]\n\"DriverDesc\"=\"Kelvane PC Card Lite\"\n"
        "[{NT}\\0006\\Ndi\\Params\\SelectedChannel\\enum]\n" +
        ("\"5\"" + type + HexBytes(std::string(20, 'x')) + "\n") +
        ("\"12\"" + type + HexBytes(std::string(21, 'y')) + "\n") + ("\"14\"" + type + "\n") +
        ("\"15\"" + type + HexBytes(std::string(21, 'z')) + "\n"));
    ConfigureAdapters(ResolveCountry("Canada"));  // channels 1 to 11
    const std::string channels = Instance(kNtClassKey, 6) + "\\Ndi\\Params\\SelectedChannel\\enum";
    const auto five = ReadValue(channels, "5");
    EXPECT_EQ(five.type, REG_SZ);
    EXPECT_EQ(five.data, Sz("05"));
    EXPECT_FALSE(ReadValue(channels, "12").exists);
    EXPECT_FALSE(ReadValue(channels, "14").exists);
    EXPECT_EQ(ReadValue(channels, "15").data.size(), 21u);
}

INSTANTIATE_TEST_SUITE_P(Types, HostileChannels,
                         ::testing::Values(REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD,
                                           REG_MULTI_SZ, REG_QWORD, 0x1234));

}  // namespace
