// The simulated registry: a tree of keys under the predefined roots, reached through handles.
// It keeps the rules the core relies on: zero or a Win32 error code from every call, names
// compared case-insensitively, keys never created except by RegCreateKeyExA, types and bytes
// stored exactly as given, access checked against the mask a key was opened with.
#include <cstring>

#include "platform/sim/sim_state.h"
#include "platform/win32api.h"

using namespace simwin;
using namespace simwin::detail;

namespace {

constexpr REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE;

std::string AccessName(REGSAM access) {
    if (access == KEY_READ) return "KEY_READ";
    if (access == KEY_ALL_ACCESS) return "KEY_ALL_ACCESS";
    if (access == KEY_WRITE) return "KEY_WRITE";
    return Hex(access);
}

std::string TypeName(DWORD type) {
    switch (type) {
        case REG_NONE:
            return "REG_NONE";
        case REG_SZ:
            return "REG_SZ";
        case REG_EXPAND_SZ:
            return "REG_EXPAND_SZ";
        case REG_BINARY:
            return "REG_BINARY";
        case REG_DWORD:
            return "REG_DWORD";
        case REG_MULTI_SZ:
            return "REG_MULTI_SZ";
        default:
            return "type " + std::to_string(type);
    }
}

std::string Bytes(const BYTE* data, DWORD size) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (DWORD i = 0; data && i < size; ++i) {
        if (i) text += ' ';
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    return text;
}

// The key a handle stands for, with the access it was opened with; null for a null, closed or
// unknown handle. The predefined roots are always open with every right.
std::shared_ptr<Key> Resolve(HKEY hkey, REGSAM* access) {
    Machine& m = M();
    const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(hkey);
    if (auto root = m.roots.find(id); root != m.roots.end()) {
        *access = KEY_ALL_ACCESS;
        return root->second;
    }
    if (auto open = m.handles.find(id); open != m.handles.end()) {
        *access = open->second.access;
        return open->second.key;
    }
    return nullptr;
}

std::string TargetPath(HKEY hkey) {
    REGSAM access = 0;
    std::shared_ptr<Key> key = Resolve(hkey, &access);
    return key ? key->fullPath : "<handle " + Hex(reinterpret_cast<ULONG_PTR>(hkey)) + ">";
}

std::string Join(const std::string& base, LPCSTR subKey) {
    if (!subKey || !*subKey) return base;
    return base + "\\" + subKey;
}

// The parent reached by the last walk: instance searches open thousands of keys under one
// class key, and resolving it once keeps long simulated runs quick.
struct ParentCache {
    const Key* from = nullptr;
    std::string prefix;  // the path up to its last backslash, exactly as given
    std::weak_ptr<Key> parent;
};
ParentCache& LastParent() {
    static ParentCache cache;
    return cache;
}

// Walks a subkey path from `key`, one name at a time. A path may not begin with a backslash,
// nor hold an empty name between two backslashes; one trailing backslash is allowed. With
// `create`, missing keys are made (RegCreateKeyExA); otherwise a missing one ends the walk.
LONG WalkPath(std::shared_ptr<Key>* key, LPCSTR path, bool create, bool* created = nullptr) {
    if (!path || !*path) return ERROR_SUCCESS;
    if (*path == '\\') return ERROR_BAD_PATHNAME;
    const std::string_view all(path);
    std::size_t begin = 0;
    const std::size_t lastSlash = all.rfind('\\');
    ParentCache& cache = LastParent();
    if (!create && lastSlash != std::string_view::npos && lastSlash + 1 < all.size() &&
        cache.from == key->get() && all.substr(0, lastSlash) == cache.prefix) {
        std::shared_ptr<Key> parent = cache.parent.lock();
        if (parent && !parent->deleted) {
            *key = parent;
            begin = lastSlash + 1;
        }
    }
    const Key* from = key->get();
    while (begin < all.size()) {
        std::size_t end = all.find('\\', begin);
        if (end == std::string_view::npos) end = all.size();
        const std::string_view name = all.substr(begin, end - begin);
        if (name.empty()) return ERROR_BAD_PATHNAME;
        auto next = (*key)->subkeys.find(name);
        if (next == (*key)->subkeys.end()) {
            if (!create) return ERROR_FILE_NOT_FOUND;
            auto made = std::make_shared<Key>();
            made->name = std::string(name);
            made->fullPath = (*key)->fullPath + "\\" + made->name;
            next = (*key)->subkeys.emplace(made->name, made).first;
            if (created) *created = true;
        }
        if (end == lastSlash && !create) {
            // Reached the last name's parent by a full walk: remember it.
            cache.from = from;
            cache.prefix.assign(all.substr(0, lastSlash));
            cache.parent = next->second;
        }
        *key = next->second;
        begin = end + 1;
    }
    return ERROR_SUCCESS;
}

// The names of a path, for the few callers that need them one by one.
bool SplitPath(LPCSTR path, std::vector<std::string>* names) {
    names->clear();
    if (!path || !*path) return true;
    if (*path == '\\') return false;
    const std::string_view all(path);
    std::size_t begin = 0;
    while (begin < all.size()) {
        std::size_t end = all.find('\\', begin);
        if (end == std::string_view::npos) end = all.size();
        if (end == begin) return false;
        names->emplace_back(all.substr(begin, end - begin));
        begin = end + 1;
    }
    return true;
}

HKEY NewHandle(const std::shared_ptr<Key>& key, REGSAM access) {
    Machine& m = M();
    const ULONG_PTR id = m.nextHandle;
    m.nextHandle += 4;
    m.handles[id] = OpenKey{key, access};
    return reinterpret_cast<HKEY>(id);
}

Value* FindValue(Key& key, LPCSTR name) {
    const std::string_view wanted(name ? name : "");
    for (Value& value : key.values)
        if (EqualNoCase(value.name, wanted)) return &value;
    return nullptr;
}

// Common checks of a call on an open key: a valid handle to a live key with the needed right.
LONG CheckKey(HKEY hkey, REGSAM needed, std::shared_ptr<Key>* key) {
    REGSAM access = 0;
    *key = Resolve(hkey, &access);
    if (!*key) return ERROR_INVALID_HANDLE;
    if ((*key)->deleted) return ERROR_KEY_DELETED;
    if ((access & needed) != needed) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

}  // namespace

namespace simwin {

void DenyWriteAccess(HKEY root, const std::string& path, bool deny) {
    REGSAM access = 0;
    std::shared_ptr<Key> key = Resolve(root, &access);
    if (key && WalkPath(&key, path.c_str(), false) == ERROR_SUCCESS) key->denyWrite = deny;
}

std::size_t OpenKeyCount() { return M().handles.size(); }

}  // namespace simwin

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
    const std::size_t entry =
        SIM_RECORD("RegOpenKeyExA", Join(TargetPath(hKey), lpSubKey), AccessName(samDesired), "");
    if (!phkResult) return Done(entry, ERROR_INVALID_PARAMETER);
    *phkResult = nullptr;
    LONG error = 0;
    if (Fault(ERROR_ACCESS_DENIED, &error)) {
        NoteFault("RegOpenKeyExA", Join(TargetPath(hKey), lpSubKey), nullptr);
        return Done(entry, error);
    }
    std::shared_ptr<Key> key;
    if (LONG status = CheckKey(hKey, 0, &key)) return Done(entry, status);
    if (LONG status = WalkPath(&key, lpSubKey, false)) return Done(entry, status);
    if (key->denyWrite && (samDesired & kWriteAccess)) return Done(entry, ERROR_ACCESS_DENIED);
    *phkResult = NewHandle(key, samDesired);
    return Done(entry, ERROR_SUCCESS);
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, LPSTR, DWORD, REGSAM samDesired, void*,
                     PHKEY phkResult, LPDWORD lpdwDisposition) {
    const std::size_t entry =
        SIM_RECORD("RegCreateKeyExA", Join(TargetPath(hKey), lpSubKey), AccessName(samDesired), "");
    if (!phkResult) return Done(entry, ERROR_INVALID_PARAMETER);
    *phkResult = nullptr;
    std::shared_ptr<Key> key;
    if (LONG status = CheckKey(hKey, 0, &key)) return Done(entry, status);
    bool created = false;
    if (LONG status = WalkPath(&key, lpSubKey, true, &created)) return Done(entry, status);
    const DWORD disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    if (key->denyWrite && (samDesired & kWriteAccess)) return Done(entry, ERROR_ACCESS_DENIED);
    *phkResult = NewHandle(key, samDesired);
    if (lpdwDisposition) *lpdwDisposition = disposition;
    return Done(entry, ERROR_SUCCESS);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
    const std::size_t entry =
        SIM_RECORD("RegQueryValueExA", TargetPath(hKey), lpValueName ? lpValueName : "",
                   lpcbData ? "size=" + std::to_string(*lpcbData) : "size=NULL");
    LONG error = 0;
    if (Fault(ERROR_MORE_DATA, &error)) {
        NoteFault("RegQueryValueExA", TargetPath(hKey), lpValueName);
        // What a failed read leaves in the buffer is not to be relied on: make that visible.
        if (lpData && lpcbData) std::memset(lpData, '1', *lpcbData);
        return Done(entry, error);
    }
    if (lpReserved || (lpData && !lpcbData)) return Done(entry, ERROR_INVALID_PARAMETER);
    std::shared_ptr<Key> key;
    if (LONG status = CheckKey(hKey, KEY_QUERY_VALUE, &key)) return Done(entry, status);
    const Value* value = FindValue(*key, lpValueName);
    if (!value) return Done(entry, ERROR_FILE_NOT_FOUND);
    const DWORD size = static_cast<DWORD>(value->data.size());
    if (lpType) *lpType = value->type;
    if (!lpcbData) return Done(entry, ERROR_SUCCESS);
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return Done(entry, ERROR_MORE_DATA);
    }
    if (lpData && size) std::memcpy(lpData, value->data.data(), size);
    *lpcbData = size;
    return Done(entry, ERROR_SUCCESS);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData,
                    DWORD cbData) {
    const std::size_t entry =
        SIM_RECORD("RegSetValueExA", TargetPath(hKey), lpValueName ? lpValueName : "",
                   TypeName(dwType) + " [" + Bytes(lpData, cbData) + "]");
    LONG error = 0;
    if (Fault(ERROR_ACCESS_DENIED, &error)) return Done(entry, error);
    std::shared_ptr<Key> key;
    if (LONG status = CheckKey(hKey, KEY_SET_VALUE, &key)) return Done(entry, status);
    if (!lpData && cbData) return Done(entry, ERROR_INVALID_PARAMETER);
    // As on the NT family: a text whose last byte is not zero gets the byte after it counted too
    // when that byte is zero (the caller forgot to count the terminator). Like the real call,
    // this reads one byte beyond the size given.
    const bool text = dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
    if (text && lpData && cbData && lpData[cbData - 1] != 0 && lpData[cbData] == 0) ++cbData;
    std::vector<BYTE> data(lpData, lpData + (lpData ? cbData : 0));
    if (Value* value = FindValue(*key, lpValueName)) {
        value->type = dwType;
        value->data = std::move(data);
    } else {
        key->values.push_back(Value{lpValueName ? lpValueName : "", dwType, std::move(data)});
    }
    return Done(entry, ERROR_SUCCESS);
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    const std::size_t entry =
        SIM_RECORD("RegDeleteValueA", TargetPath(hKey), lpValueName ? lpValueName : "", "");
    LONG error = 0;
    if (Fault(ERROR_ACCESS_DENIED, &error)) return Done(entry, error);
    std::shared_ptr<Key> key;
    if (LONG status = CheckKey(hKey, KEY_SET_VALUE, &key)) return Done(entry, status);
    const std::string_view wanted(lpValueName ? lpValueName : "");
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
        if (EqualNoCase(it->name, wanted)) {
            key->values.erase(it);
            return Done(entry, ERROR_SUCCESS);
        }
    }
    return Done(entry, ERROR_FILE_NOT_FOUND);
}

LONG RegCloseKey(HKEY hKey) {
    Machine& m = M();
    const std::size_t entry = SIM_RECORD("RegCloseKey", TargetPath(hKey), "", "");
    const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(hKey);
    LONG error = 0;
    if (Fault(ERROR_INVALID_HANDLE, &error)) {
        m.handles.erase(id);
        return Done(entry, error);
    }
    if (m.roots.count(id)) return Done(entry, ERROR_SUCCESS);
    if (!m.handles.erase(id)) return Done(entry, ERROR_INVALID_HANDLE);
    return Done(entry, ERROR_SUCCESS);
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    const std::size_t entry = SIM_RECORD("RegDeleteKeyA", Join(TargetPath(hKey), lpSubKey), "", "");
    std::shared_ptr<Key> parent;
    if (LONG status = CheckKey(hKey, 0, &parent)) return Done(entry, status);
    std::vector<std::string> names;
    if (!SplitPath(lpSubKey, &names) || names.empty()) return Done(entry, ERROR_BAD_PATHNAME);
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        auto next = parent->subkeys.find(names[i]);
        if (next == parent->subkeys.end()) return Done(entry, ERROR_FILE_NOT_FOUND);
        parent = next->second;
    }
    auto victim = parent->subkeys.find(names.back());
    if (victim == parent->subkeys.end()) return Done(entry, ERROR_FILE_NOT_FOUND);
    // Only a key without subkeys can be deleted, as on the NT family.
    if (!victim->second->subkeys.empty() || victim->second->denyWrite)
        return Done(entry, ERROR_ACCESS_DENIED);
    victim->second->deleted = true;
    parent->subkeys.erase(victim);
    return Done(entry, ERROR_SUCCESS);
}

LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD, LPSTR,
                   LPDWORD, PFILETIME lpftLastWriteTime) {
    const std::size_t entry =
        SIM_RECORD("RegEnumKeyExA", TargetPath(hKey), std::to_string(dwIndex), "");
    std::shared_ptr<Key> key;
    if (LONG status = CheckKey(hKey, KEY_ENUMERATE_SUB_KEYS, &key)) return Done(entry, status);
    if (!lpName || !lpcchName) return Done(entry, ERROR_INVALID_PARAMETER);
    if (dwIndex >= key->subkeys.size()) return Done(entry, ERROR_NO_MORE_ITEMS);
    auto it = key->subkeys.begin();
    std::advance(it, dwIndex);
    const std::string& name = it->second->name;
    if (name.size() >= *lpcchName) return Done(entry, ERROR_MORE_DATA);
    std::memcpy(lpName, name.c_str(), name.size() + 1);
    *lpcchName = static_cast<DWORD>(name.size());
    if (lpftLastWriteTime) *lpftLastWriteTime = FILETIME{0, 0};
    return Done(entry, ERROR_SUCCESS);
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    const std::size_t entry =
        SIM_RECORD("RegEnumValueA", TargetPath(hKey), std::to_string(dwIndex), "");
    std::shared_ptr<Key> key;
    if (LONG status = CheckKey(hKey, KEY_QUERY_VALUE, &key)) return Done(entry, status);
    if (!lpValueName || !lpcchValueName || (lpData && !lpcbData))
        return Done(entry, ERROR_INVALID_PARAMETER);
    if (dwIndex >= key->values.size()) return Done(entry, ERROR_NO_MORE_ITEMS);
    const Value& value = key->values[dwIndex];
    const DWORD size = static_cast<DWORD>(value.data.size());
    if (value.name.size() >= *lpcchValueName) return Done(entry, ERROR_MORE_DATA);
    if (lpData && *lpcbData < size) {
        *lpcbData = size;
        return Done(entry, ERROR_MORE_DATA);
    }
    std::memcpy(lpValueName, value.name.c_str(), value.name.size() + 1);
    *lpcchValueName = static_cast<DWORD>(value.name.size());
    if (lpType) *lpType = value.type;
    if (lpData && size) std::memcpy(lpData, value.data.data(), size);
    if (lpcbData) *lpcbData = size;
    return Done(entry, ERROR_SUCCESS);
}
