#include "tools/regfixture/reg_fixture.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

namespace regfixture {
namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool LessNoCase(const std::string& a, const std::string& b) { return Upper(a) < Upper(b); }

std::string Trim(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    return text.substr(begin, end - begin);
}

// Splits "HKEY_LOCAL_MACHINE\a\b" into its root and the path below it.
bool SplitRoot(const std::string& full, HKEY* root, std::string* path) {
    const std::size_t slash = full.find('\\');
    *root = RootByName(full.substr(0, slash));
    *path = slash == std::string::npos ? std::string() : full.substr(slash + 1);
    return *root != nullptr;
}

// Reads a quoted string starting at text[*pos] == '"'; handles \\ and \".
bool ReadQuoted(const std::string& text, std::size_t* pos, std::string* out) {
    out->clear();
    for (std::size_t i = *pos + 1; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            out->push_back(text[++i]);
        } else if (text[i] == '"') {
            *pos = i + 1;
            return true;
        } else {
            out->push_back(text[i]);
        }
    }
    return false;
}

bool ReadHexBytes(const std::string& text, std::vector<BYTE>* bytes) {
    bytes->clear();
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        item = Trim(item);
        if (item.empty()) continue;
        if (item.size() > 2 || !std::isxdigit(static_cast<unsigned char>(item[0])) ||
            (item.size() == 2 && !std::isxdigit(static_cast<unsigned char>(item[1]))))
            return false;
        bytes->push_back(static_cast<BYTE>(std::strtoul(item.c_str(), nullptr, 16)));
    }
    return true;
}

// Parses the data part of a value line: its type and bytes, or deletion ("-").
bool ReadData(const std::string& text, DWORD* type, std::vector<BYTE>* bytes, bool* remove) {
    *remove = false;
    if (text == "-") {
        *remove = true;
        return true;
    }
    if (!text.empty() && text[0] == '"') {
        std::size_t pos = 0;
        std::string value;
        if (!ReadQuoted(text, &pos, &value) || !Trim(text.substr(pos)).empty()) return false;
        *type = REG_SZ;
        bytes->assign(value.begin(), value.end());
        bytes->push_back(0);
        return true;
    }
    const std::string lower = Upper(text);
    if (lower.rfind("DWORD:", 0) == 0) {
        const std::string digits = Trim(text.substr(6));
        if (digits.empty() || digits.size() > 8 ||
            !std::all_of(digits.begin(), digits.end(),
                         [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            return false;
        const unsigned long number = std::strtoul(digits.c_str(), nullptr, 16);
        *type = REG_DWORD;
        bytes->clear();
        for (int i = 0; i < 4; ++i) bytes->push_back(static_cast<BYTE>(number >> (8 * i)));
        return true;
    }
    if (lower.rfind("HEX:", 0) == 0) {
        *type = REG_BINARY;
        return ReadHexBytes(text.substr(4), bytes);
    }
    if (lower.rfind("HEX(", 0) == 0) {
        const std::size_t close = text.find("):");
        if (close == std::string::npos || close == 4) return false;
        const std::string number = text.substr(4, close - 4);
        if (!std::all_of(number.begin(), number.end(),
                         [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            return false;
        *type = static_cast<DWORD>(std::strtoul(number.c_str(), nullptr, 16));
        return ReadHexBytes(text.substr(close + 2), bytes);
    }
    return false;
}

std::string Quote(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// The names of the key's subkeys, in the order the registry gives them.
std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, nameSize);
    }
    return names;
}

void DumpKey(HKEY key, const std::string& fullName, std::string* out) {
    *out += "[" + fullName + "]\n";

    struct Entry {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Entry> values;
    for (DWORD index = 0;; ++index) {
        std::vector<char> name(16384);
        DWORD nameSize = static_cast<DWORD>(name.size());
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        std::vector<BYTE> data(size + 1);
        nameSize = static_cast<DWORD>(name.size());
        DWORD dataSize = size + 1;
        if (RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type, data.data(),
                          &dataSize) != ERROR_SUCCESS)
            break;
        data.resize(dataSize);
        values.push_back(Entry{std::string(name.data(), nameSize), type, data});
    }
    std::sort(values.begin(), values.end(),
              [](const Entry& a, const Entry& b) { return LessNoCase(a.name, b.name); });
    for (const Entry& value : values) {
        char head[32];
        std::snprintf(head, sizeof head, "=hex(%lx):", static_cast<unsigned long>(value.type));
        *out += (value.name.empty() ? std::string("@") : Quote(value.name)) + head;
        for (std::size_t i = 0; i < value.data.size(); ++i) {
            char byte[4];
            std::snprintf(byte, sizeof byte, "%s%02x", i ? "," : "", value.data[i]);
            *out += byte;
        }
        *out += "\n";
    }

    std::vector<std::string> subkeys = SubkeyNames(key);
    std::sort(subkeys.begin(), subkeys.end(), LessNoCase);
    for (const std::string& name : subkeys) {
        HKEY child = nullptr;
        if (RegOpenKeyExA(key, name.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) {
            *out += "[" + fullName + "\\" + name + "] <unreadable>\n";
            continue;
        }
        DumpKey(child, fullName + "\\" + name, out);
        RegCloseKey(child);
    }
}

}  // namespace

HKEY RootByName(const std::string& name) {
    const std::string upper = Upper(name);
    if (upper == "HKEY_LOCAL_MACHINE" || upper == "HKLM") return HKEY_LOCAL_MACHINE;
    if (upper == "HKEY_CURRENT_USER" || upper == "HKCU") return HKEY_CURRENT_USER;
    if (upper == "HKEY_CLASSES_ROOT" || upper == "HKCR") return HKEY_CLASSES_ROOT;
    if (upper == "HKEY_USERS" || upper == "HKU") return HKEY_USERS;
    return nullptr;
}

const char* RootName(HKEY root) {
    if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
    if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
    if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
    if (root == HKEY_USERS) return "HKEY_USERS";
    return "?";
}

bool DeleteTree(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (status != ERROR_SUCCESS) return false;
    const std::vector<std::string> subkeys = SubkeyNames(key);
    RegCloseKey(key);
    bool ok = true;
    for (const std::string& name : subkeys) ok = DeleteTree(root, path + "\\" + name) && ok;
    return RegDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS && ok;
}

std::string Dump(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "";
    std::string out;
    DumpKey(key, std::string(RootName(root)) + (path.empty() ? "" : "\\" + path), &out);
    RegCloseKey(key);
    return out;
}

bool Load(const std::string& text, std::string* error) {
    std::vector<std::string> lines;
    {
        std::stringstream stream(text);
        std::string line;
        std::string pending;
        while (std::getline(stream, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::string trimmed = Trim(line);
            if (!pending.empty()) trimmed = pending + trimmed;
            pending.clear();
            if (!trimmed.empty() && trimmed.back() == '\\' && trimmed[0] != '[') {
                trimmed.pop_back();
                pending = trimmed;
                continue;
            }
            lines.push_back(trimmed);
        }
        if (!pending.empty()) lines.push_back(pending);
    }

    HKEY current = nullptr;
    auto fail = [&](std::size_t line, const std::string& why) {
        if (current) RegCloseKey(current);
        if (error) *error = "line " + std::to_string(line + 1) + ": " + why;
        return false;
    };
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const std::string& line = lines[n];
        if (line.empty() || line[0] == ';' || line == "REGEDIT4" ||
            line.rfind("Windows Registry Editor", 0) == 0)
            continue;
        if (line[0] == '[') {
            if (line.back() != ']') return fail(n, "unclosed key name");
            if (current) RegCloseKey(current);
            current = nullptr;
            const bool remove = line.size() > 1 && line[1] == '-';
            HKEY root = nullptr;
            std::string path;
            if (!SplitRoot(line.substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2)), &root,
                           &path))
                return fail(n, "unknown root");
            if (remove) {
                if (!DeleteTree(root, path)) return fail(n, "cannot delete the key");
                continue;
            }
            if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &current, nullptr) != ERROR_SUCCESS)
                return fail(n, "cannot create the key");
            continue;
        }
        if (!current) return fail(n, "value outside a key");
        std::string name;
        std::size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (line[0] != '"' || !ReadQuoted(line, &pos, &name)) {
            return fail(n, "bad value name");
        }
        while (pos < line.size() && std::isspace(static_cast<unsigned char>(line[pos]))) ++pos;
        if (pos >= line.size() || line[pos] != '=') return fail(n, "missing '='");
        DWORD type = REG_NONE;
        std::vector<BYTE> bytes;
        bool remove = false;
        if (!ReadData(Trim(line.substr(pos + 1)), &type, &bytes, &remove))
            return fail(n, "bad value data");
        const DWORD size = static_cast<DWORD>(bytes.size());
        // RegSetValueExA counts one more byte for a text whose last byte is not zero when the
        // byte after it is; a byte that is not zero there keeps the value exactly as written.
        bytes.push_back(0xFF);
        const LONG status =
            remove ? RegDeleteValueA(current, name.c_str())
                   : RegSetValueExA(current, name.c_str(), 0, type, bytes.data(), size);
        if (status != ERROR_SUCCESS && !(remove && status == ERROR_FILE_NOT_FOUND))
            return fail(n, "cannot write the value (error " + std::to_string(status) + ")");
    }
    if (current) RegCloseKey(current);
    return true;
}

}  // namespace regfixture
