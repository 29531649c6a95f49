// What the system relies on the registry to do. Runs against the simulated registry natively
// and against Wine's real one in the Windows build: where the two differ, the simulation is
// wrong.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/machine.h"
#include "tools/regfixture/reg_fixture.h"

namespace {

using testsupport::KeyExists;
using testsupport::kScratchKey;
using testsupport::ReadValue;

class RegistryContract : public testsupport::MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        if (IsSkipped()) return;
        Load(R"(REGEDIT4

[{T}\Adapter]
"DriverDesc"="Kelvane PC Card"
"Flags"=hex:00,01,00,02

[{T}\Adapter\Sub]
)");
    }

    HKEY OpenScratch(const char* path, REGSAM access = KEY_ALL_ACCESS) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kScratchKey) + path).c_str(), 0,
                                access, &key),
                  ERROR_SUCCESS)
            << path;
        return key;
    }
};

TEST_F(RegistryContract, OpeningAMissingKeyFailsWithFileNotFoundAndCreatesNothing) {
    const std::string missing = std::string(kScratchKey) + "\\Adapter\\Missing\\Deeper";
    HKEY key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, missing.c_str(), 0, KEY_ALL_ACCESS, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    EXPECT_FALSE(KeyExists(std::string(kScratchKey) + "\\Adapter\\Missing"));
}

TEST_F(RegistryContract, KeyPathsAndValueNamesCompareWithoutCase) {
    HKEY key = nullptr;
    ASSERT_EQ(
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\velmoratest\\ADAPTER\\sub", 0, KEY_READ, &key),
        ERROR_SUCCESS);
    RegCloseKey(key);
    const auto value = ReadValue(std::string(kScratchKey) + "\\Adapter", "driverdesc");
    EXPECT_TRUE(value.exists);
    EXPECT_EQ(value.type, REG_SZ);
}

TEST_F(RegistryContract, AMissingValueReadsAsFileNotFound) {
    HKEY key = OpenScratch("\\Adapter");
    BYTE buffer[8] = {};
    DWORD size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "KVREnable", nullptr, nullptr, buffer, &size),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueA(key, "KVREnable"), ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
}

TEST_F(RegistryContract, ATooSmallBufferGivesMoreDataWithTheRequiredSize) {
    HKEY key = OpenScratch("\\Adapter");
    char buffer[4] = {};
    DWORD size = sizeof buffer;
    DWORD type = 0;
    EXPECT_EQ(
        RegQueryValueExA(key, "DriverDesc", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
        ERROR_MORE_DATA);
    EXPECT_EQ(size, 16u);  // "Kelvane PC Card" and its zero
    BYTE binary[3] = {};
    size = sizeof binary;
    EXPECT_EQ(RegQueryValueExA(key, "Flags", nullptr, nullptr, binary, &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 4u);
    // Without a buffer the call tells the size.
    size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "DriverDesc", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 16u);
    RegCloseKey(key);
}

struct Stored {
    const char* name;
    DWORD type;
    std::vector<BYTE> bytes;
};

TEST_F(RegistryContract, TypesAndBytesAreStoredExactlyAsGiven) {
    const std::vector<Stored> cases = {
        {"sz", REG_SZ, {'T', 'W', ' ', 0}},
        {"sz empty", REG_SZ, {0}},
        {"sz unterminated", REG_SZ, {'1', '2'}},
        {"binary with zeros", REG_BINARY, {0x00, 0x54, 0x00, 0x20}},
        {"binary empty", REG_BINARY, {}},
        {"dword", REG_DWORD, {1, 0, 0, 0}},
        {"multi", REG_MULTI_SZ, {'a', 0, 'b', 0, 0}},
        {"own type", 0x1234, {9, 8, 7}},
    };
    HKEY key = OpenScratch("\\Adapter");
    for (const Stored& value : cases) {
        // A byte that is not zero after the data: see the next test for what a zero there does.
        std::vector<BYTE> buffer = value.bytes;
        buffer.push_back(0xFF);
        ASSERT_EQ(RegSetValueExA(key, value.name, 0, value.type, buffer.data(),
                                 static_cast<DWORD>(value.bytes.size())),
                  ERROR_SUCCESS)
            << value.name;
    }
    RegCloseKey(key);
    for (const Stored& value : cases) {
        const auto read = ReadValue(std::string(kScratchKey) + "\\Adapter", value.name);
        EXPECT_TRUE(read.exists) << value.name;
        EXPECT_EQ(read.type, value.type) << value.name;
        EXPECT_EQ(read.data, value.bytes) << value.name;
    }
}

TEST_F(RegistryContract, AnUncountedTerminatorOfATextIsCountedAfterAll) {
    const BYTE text[] = {'1', '2', 0, 'x'};
    const BYTE binary[] = {'1', '2', 0};
    HKEY key = OpenScratch("\\Adapter");
    ASSERT_EQ(RegSetValueExA(key, "text", 0, REG_SZ, text, 2), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "expand", 0, REG_EXPAND_SZ, text, 2), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "binary", 0, REG_BINARY, binary, 2), ERROR_SUCCESS);
    RegCloseKey(key);
    const std::string adapter = std::string(kScratchKey) + "\\Adapter";
    EXPECT_EQ(ReadValue(adapter, "text").data, (std::vector<BYTE>{'1', '2', 0}));
    EXPECT_EQ(ReadValue(adapter, "expand").data, (std::vector<BYTE>{'1', '2', 0}));
    EXPECT_EQ(ReadValue(adapter, "binary").data, (std::vector<BYTE>{'1', '2'}));
}

TEST_F(RegistryContract, ReplacingAValueChangesItsTypeAndBytes) {
    HKEY key = OpenScratch("\\Adapter");
    const BYTE text[] = {'1', 0};
    ASSERT_EQ(RegSetValueExA(key, "FLAGS", 0, REG_SZ, text, sizeof text), ERROR_SUCCESS);
    RegCloseKey(key);
    const auto read = ReadValue(std::string(kScratchKey) + "\\Adapter", "Flags");
    EXPECT_EQ(read.type, REG_SZ);
    EXPECT_EQ(read.data, std::vector<BYTE>(text, text + 2));
}

TEST_F(RegistryContract, NullAndClosedKeysAreInvalidHandles) {
    BYTE buffer[8];
    DWORD size = sizeof buffer;
    const BYTE one[] = {'1', 0};
    EXPECT_EQ(RegQueryValueExA(nullptr, "DriverDesc", nullptr, nullptr, buffer, &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(nullptr, "x", 0, REG_SZ, one, 2), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);

    HKEY key = OpenScratch("\\Adapter");
    ASSERT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    size = sizeof buffer;
    EXPECT_EQ(RegQueryValueExA(key, "DriverDesc", nullptr, nullptr, buffer, &size),
              ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegSetValueExA(key, "x", 0, REG_SZ, one, 2), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryContract, AKeyOpenedForReadingRefusesWritesAndDeletions) {
    HKEY key = OpenScratch("\\Adapter", KEY_READ);
    const BYTE one[] = {'1', 0};
    EXPECT_EQ(RegSetValueExA(key, "KVREnable", 0, REG_SZ, one, 2), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteValueA(key, "DriverDesc"), ERROR_ACCESS_DENIED);
    RegCloseKey(key);
    EXPECT_FALSE(ReadValue(std::string(kScratchKey) + "\\Adapter", "KVREnable").exists);
    EXPECT_TRUE(ReadValue(std::string(kScratchKey) + "\\Adapter", "DriverDesc").exists);
}

TEST_F(RegistryContract, ADeletedValueIsGone) {
    HKEY key = OpenScratch("\\Adapter");
    EXPECT_EQ(RegDeleteValueA(key, "flags"), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_FALSE(ReadValue(std::string(kScratchKey) + "\\Adapter", "Flags").exists);
}

TEST_F(RegistryContract, AFixtureDumpsBackAsItWasLoaded) {
    EXPECT_EQ(regfixture::Dump(HKEY_LOCAL_MACHINE, kScratchKey),
              "[HKEY_LOCAL_MACHINE\\Software\\VelmoraTest]\n"
              "[HKEY_LOCAL_MACHINE\\Software\\VelmoraTest\\Adapter]\n"
              "\"DriverDesc\"=hex(1):4b,65,6c,76,61,6e,65,20,50,43,20,43,61,72,64,00\n"
              "\"Flags\"=hex(3):00,01,00,02\n"
              "[HKEY_LOCAL_MACHINE\\Software\\VelmoraTest\\Adapter\\Sub]\n");
}

}  // namespace
