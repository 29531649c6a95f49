#include "adapters/registry_access.h"

#include <cstring>

CRegistryAccess::~CRegistryAccess() = default;

bool CRegistryAccess::Open(HKEY root, const char* path, HKEY& key) {
    key = nullptr;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS) {
        currentKey = nullptr;
        return false;
    }
    key = opened;
    currentKey = opened;
    return true;
}

bool CRegistryAccess::Close(HKEY& key) {
    if (!key) return false;
    const LONG status = RegCloseKey(key);
    key = nullptr;
    return status == ERROR_SUCCESS;
}

// The guard looks at the key of the last Open, not the key passed: after a failed Open nothing
// is touched, after a successful one the key passed is used.
bool CRegistryAccess::PassGuard(HKEY key) {
    if (!currentKey) return false;
    currentKey = key;
    return true;
}

bool CRegistryAccess::Query(HKEY key, const char* name, void* buffer, DWORD size) {
    if (!PassGuard(key)) return false;
    return RegQueryValueExA(currentKey, name, nullptr, nullptr, static_cast<BYTE*>(buffer),
                            &size) == ERROR_SUCCESS;
}

bool CRegistryAccess::SetString(HKEY key, const char* name, const char* text) {
    if (!PassGuard(key)) return false;
    const DWORD length = static_cast<DWORD>(std::strlen(text) + 1);
    return RegSetValueExA(currentKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          length) == ERROR_SUCCESS;
}

bool CRegistryAccess::SetBinary(HKEY key, const char* name, const void* data, DWORD length) {
    if (!PassGuard(key)) return false;
    return RegSetValueExA(currentKey, name, 0, REG_BINARY, static_cast<const BYTE*>(data),
                          length) == ERROR_SUCCESS;
}

bool CRegistryAccess::DeleteValue(HKEY key, const char* name) {
    RegDeleteValueA(key, name);
    return true;
}
