#include "tests/support/machine.h"

#include <cstdio>

#include "tools/regfixture/reg_fixture.h"

namespace testsupport {
namespace {

#ifdef _WIN32
bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
#endif

void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
    for (std::size_t at = text->find(from); at != std::string::npos;
         at = text->find(from, at + to.size()))
        text->replace(at, from.size(), to);
}

const char* const kOwnedTrees[] = {kNtClassKey, kNinetyEightClassKey, kScratchKey};

}  // namespace

std::string Expand(std::string text) {
    ReplaceAll(&text, "{NT}", std::string("HKEY_LOCAL_MACHINE\\") + kNtClassKey);
    ReplaceAll(&text, "{98}", std::string("HKEY_LOCAL_MACHINE\\") + kNinetyEightClassKey);
    ReplaceAll(&text, "{T}", std::string("HKEY_LOCAL_MACHINE\\") + kScratchKey);
    return text;
}

std::string Instance(const char* classKey, int n) {
    char number[16];
    std::snprintf(number, sizeof number, "\\%04d", n);
    return classKey + std::string(number);
}

StoredValue ReadValue(const std::string& path, const char* name, HKEY root) {
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size + 1);
        DWORD read = size + 1;
        if (RegQueryValueExA(key, name, nullptr, &value.type, value.data.data(), &read) ==
            ERROR_SUCCESS) {
            value.exists = true;
            value.data.resize(read);
        }
    }
    RegCloseKey(key);
    if (!value.exists) value.data.clear();
    return value;
}

bool KeyExists(const std::string& path, HKEY root) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::vector<BYTE> Sz(const char* text) {
    std::vector<BYTE> bytes(text, text + std::char_traits<char>::length(text));
    bytes.push_back(0);
    return bytes;
}

void MachineTest::SetUp() {
#ifdef _WIN32
    if (!RunningOnWine()) GTEST_SKIP() << "writes registry keys: runs under Wine only";
#endif
    Clean();
}

void MachineTest::TearDown() {
#ifdef _WIN32
    if (!RunningOnWine()) return;
    for (const char* tree : kOwnedTrees) regfixture::DeleteTree(HKEY_LOCAL_MACHINE, tree);
#endif
}

void MachineTest::Clean() {
#ifdef _WIN32
    for (const char* tree : kOwnedTrees)
        ASSERT_TRUE(regfixture::DeleteTree(HKEY_LOCAL_MACHINE, tree)) << tree;
#else
    simwin::Reset();
#endif
}

void MachineTest::Load(const std::string& regText) {
    std::string error;
    ASSERT_TRUE(regfixture::Load(Expand(regText), &error)) << error;
#ifndef _WIN32
    simwin::ClearJournal();
#endif
}

std::string MachineTest::DumpAll() {
    std::string all;
    for (const char* tree : kOwnedTrees) all += regfixture::Dump(HKEY_LOCAL_MACHINE, tree);
    return all;
}

}  // namespace testsupport
