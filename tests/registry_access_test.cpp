#include <gtest/gtest.h>

#include <string>

#include "adapters/registry_access.h"
#include "tests/support/machine.h"

namespace {

using testsupport::KeyExists;
using testsupport::kScratchKey;
using testsupport::ReadValue;
using testsupport::Sz;

class RegistryAccessTest : public testsupport::MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        if (IsSkipped()) return;
        Load(R"(REGEDIT4

[{T}\Adapter]
"DriverDesc"="Kelvane PC Card"
)");
    }
    const std::string adapter = std::string(kScratchKey) + "\\Adapter";
    const std::string missing = std::string(kScratchKey) + "\\Missing";
};

TEST_F(RegistryAccessTest, BeforeAnyOpenReadsAndWritesDoNothing) {
    CRegistryAccess registry;
    char buffer[32] = {};
    EXPECT_FALSE(registry.Query(HKEY_LOCAL_MACHINE, "x", buffer, sizeof buffer));
    EXPECT_FALSE(registry.SetString(HKEY_LOCAL_MACHINE, "x", "1"));
    EXPECT_FALSE(registry.SetBinary(HKEY_LOCAL_MACHINE, "x", "\0", 1));
#ifndef _WIN32
    EXPECT_TRUE(simwin::Journal().empty());
#endif
}

TEST_F(RegistryAccessTest, AFailedOpenGuardsUntilAnOpenSucceeds) {
    CRegistryAccess registry;
    HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x4321));
    EXPECT_FALSE(registry.Open(HKEY_LOCAL_MACHINE, missing.c_str(), key));
    EXPECT_EQ(key, nullptr);
    EXPECT_FALSE(registry.SetString(key, "CountryName", "TW "));
    EXPECT_FALSE(KeyExists(missing));
    EXPECT_FALSE(registry.Close(key));

    HKEY good = nullptr;
    ASSERT_TRUE(registry.Open(HKEY_LOCAL_MACHINE, adapter.c_str(), good));
    EXPECT_NE(good, nullptr);
    EXPECT_TRUE(registry.SetString(good, "CountryName", "TW "));
    EXPECT_TRUE(registry.Close(good));
    EXPECT_EQ(good, nullptr);
    EXPECT_EQ(ReadValue(adapter, "CountryName").data, Sz("TW "));

    // A failed Open after a good one guards again.
    HKEY other = nullptr;
    EXPECT_FALSE(registry.Open(HKEY_LOCAL_MACHINE, missing.c_str(), other));
    EXPECT_FALSE(registry.SetString(other, "CountryName", "DE "));
}

TEST_F(RegistryAccessTest, StringsCountTheirZeroAndBinariesKeepEveryByte) {
    CRegistryAccess registry;
    HKEY key = nullptr;
    ASSERT_TRUE(registry.Open(HKEY_LOCAL_MACHINE, adapter.c_str(), key));
    EXPECT_TRUE(registry.SetString(key, "Empty", ""));
    EXPECT_TRUE(registry.SetString(key, "One", "1"));
    const unsigned char domain[4] = {0x00, 0x54, 0x57, 0x20};
    EXPECT_TRUE(registry.SetBinary(key, "DomainCode", domain, 4));
    registry.Close(key);

    const auto empty = ReadValue(adapter, "Empty");
    EXPECT_EQ(empty.type, REG_SZ);
    EXPECT_EQ(empty.data, std::vector<BYTE>{0});
    EXPECT_EQ(ReadValue(adapter, "One").data, (std::vector<BYTE>{'1', 0}));
    const auto binary = ReadValue(adapter, "DomainCode");
    EXPECT_EQ(binary.type, REG_BINARY);
    EXPECT_EQ(binary.data, (std::vector<BYTE>{0x00, 0x54, 0x57, 0x20}));
}

TEST_F(RegistryAccessTest, QueryNeedsRoomForTheWholeValue) {
    CRegistryAccess registry;
    HKEY key = nullptr;
    ASSERT_TRUE(registry.Open(HKEY_LOCAL_MACHINE, adapter.c_str(), key));
    char small[8] = {};
    char large[32] = {};
    EXPECT_FALSE(registry.Query(key, "DriverDesc", small, sizeof small));
    EXPECT_TRUE(registry.Query(key, "DriverDesc", large, sizeof large));
    EXPECT_STREQ(large, "Kelvane PC Card");
    EXPECT_FALSE(registry.Query(key, "Absent", large, sizeof large));
    registry.Close(key);
}

TEST_F(RegistryAccessTest, DeletingIsUnguardedAndAlwaysReportsSuccess) {
    CRegistryAccess registry;
    HKEY key = nullptr;
    ASSERT_TRUE(registry.Open(HKEY_LOCAL_MACHINE, adapter.c_str(), key));
    EXPECT_TRUE(registry.DeleteValue(key, "Absent"));
    EXPECT_TRUE(registry.DeleteValue(key, "DriverDesc"));
    registry.Close(key);
    EXPECT_FALSE(ReadValue(adapter, "DriverDesc").exists);
    EXPECT_TRUE(registry.DeleteValue(nullptr, "DriverDesc"));
}

TEST_F(RegistryAccessTest, CloseEmptiesTheVariableEvenWhenThePlatformFails) {
    CRegistryAccess registry;
    HKEY key = nullptr;
    ASSERT_TRUE(registry.Open(HKEY_LOCAL_MACHINE, adapter.c_str(), key));
    HKEY copy = key;
    EXPECT_TRUE(registry.Close(key));
    EXPECT_EQ(key, nullptr);
    // The same handle again: the platform refuses, the variable still ends up empty.
    EXPECT_FALSE(registry.Close(copy));
    EXPECT_EQ(copy, nullptr);
}

}  // namespace
