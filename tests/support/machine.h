// The machine a test runs on: the simulated Windows in the native build, the real registry of
// the test prefix under Wine in the Windows build. Tests written against this run on both.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32api.h"

#ifndef _WIN32
#include "platform/sim/sim_control.h"
#endif

namespace testsupport {

#ifdef _WIN32
constexpr bool kSimulated = false;
#else
constexpr bool kSimulated = true;
#endif

// The class key paths under HKEY_LOCAL_MACHINE, and the scratch key for registry tests.
constexpr char kNtClassKey[] =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kNinetyEightClassKey[] = "System\\CurrentControlSet\\Services\\Class\\Net";
constexpr char kScratchKey[] = "Software\\VelmoraTest";

// "{NT}" and "{98}" in a fixture stand for the full class key names (with the root), "{T}"
// for the scratch key.
std::string Expand(std::string text);

// The key path of instance n under a class key ("%s\%04d").
std::string Instance(const char* classKey, int n);

struct StoredValue {
    bool exists = false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};
StoredValue ReadValue(const std::string& path, const char* name, HKEY root = HKEY_LOCAL_MACHINE);
bool KeyExists(const std::string& path, HKEY root = HKEY_LOCAL_MACHINE);
std::vector<BYTE> Sz(const char* text);  // the bytes of a REG_SZ: the text and its zero

// Starts every test on a clean machine: the simulated Windows is reset; on Wine the class keys
// and the scratch key are removed before and after the test. Under real Windows (not Wine) the
// tests that would write there are skipped, so no real machine is touched.
class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // Back to the clean machine of SetUp, within a test.
    void Clean();
    // Loads a fixture (after Expand); fails the test when it does not load.
    void Load(const std::string& regText);
    // The whole tree under the class keys and the scratch key, as canonical text.
    std::string DumpAll();
};

}  // namespace testsupport
