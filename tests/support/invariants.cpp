#include "tests/support/invariants.h"

#include <strings.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "adapters/os_platform.h"
#include "tools/regfixture/reg_fixture.h"

namespace invariants {
namespace {

constexpr char kChannelList[] = "\\Ndi\\Params\\SelectedChannel\\enum";

bool IsInstanceName(const std::string& name) {
    return name.size() == 4 && std::isdigit(static_cast<unsigned char>(name[0])) &&
           std::isdigit(static_cast<unsigned char>(name[1])) &&
           std::isdigit(static_cast<unsigned char>(name[2])) &&
           std::isdigit(static_cast<unsigned char>(name[3]));
}

int ChannelNumber(const std::string& name) {
    for (int n = 1; n <= 14; ++n)
        if (name == std::to_string(n)) return n;
    return 0;
}

Value Text(const std::string& text) {
    Value value{REG_SZ, std::vector<BYTE>(text.begin(), text.end())};
    value.data.push_back(0);
    return value;
}

// What the system writes under this name, or false when it writes nothing of that name there.
bool Canonical(bool channelList, const std::string& name, const CountryChoice& choice,
               Value* value) {
    if (channelList) {
        const int n = ChannelNumber(name);
        if (n < choice.firstChannel || n > choice.lastChannel) return false;
        char text[8];
        std::snprintf(text, sizeof text, "%02d", n);
        *value = Text(text);
        return true;
    }
    if (name == "CountryName") {
        *value = Text(kCountryTable[choice.index].countryString);
    } else if (name == "CountryCode") {
        *value = Text(std::to_string(choice.index));
    } else if (name == "DomainCode") {
        *value = Value{REG_BINARY, std::vector<BYTE>(choice.domainCode, choice.domainCode + 4)};
    } else if (name == "EnableRadio" || name == "KVREnable" || name == "InstallFinish") {
        *value = Text("1");
    } else {
        return false;
    }
    return true;
}

}  // namespace

Registry Snapshot(HKEY root, const std::string& path) {
    Registry registry;
    std::istringstream lines(regfixture::Dump(root, path));
    std::string line;
    std::string key;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        if (line[0] == '[') {
            key = line.substr(1, line.rfind(']') - 1);
            registry[key];
            continue;
        }
        // "name"=hex(t):bytes, with \" and \\ escaped in the name, or @=hex(t):bytes.
        std::string name;
        std::size_t at = 1;
        if (line[0] == '"') {
            for (; at < line.size() && line[at] != '"'; ++at) {
                if (line[at] == '\\') ++at;
                name += line[at];
            }
            ++at;
        }
        const std::size_t open = line.find("=hex(", at);
        const std::size_t close = line.find("):", open);
        Value value{static_cast<DWORD>(std::stoul(line.substr(open + 5), nullptr, 16)), {}};
        for (std::size_t i = close + 2; i + 2 <= line.size(); i += 3)
            value.data.push_back(static_cast<BYTE>(std::stoul(line.substr(i, 2), nullptr, 16)));
        registry[key][name] = value;
    }
    return registry;
}

std::set<std::string> OwnedInstances(const Registry& before, const std::string& classKey,
                                     const simwin::Call& faulted) {
    std::set<std::string> owned;
    for (const auto& [key, values] : before) {
        if (key.size() != classKey.size() + 5 || key.compare(0, classKey.size(), classKey) != 0 ||
            key[classKey.size()] != '\\' || !IsInstanceName(key.substr(classKey.size() + 1)))
            continue;
        // Value names compare without case; the description is read into 255 bytes, the flag
        // into 16, and only the flag's first byte counts.
        bool supported = false;
        bool handled = false;
        for (const auto& [name, value] : values) {
            if (strcasecmp(name.c_str(), "DriverDesc") == 0 && value.data.size() <= 255) {
                const std::string text(value.data.begin(), value.data.end());
                supported = IsSupportedAdapter(text.c_str());
            }
            if (strcasecmp(name.c_str(), "KVREnable") == 0 && !value.data.empty() &&
                value.data.size() <= 16)
                handled = value.data[0] != '0';
        }
        const bool flagUnread = faulted.function == "RegQueryValueExA" && faulted.target == key &&
                                strcasecmp(faulted.name.c_str(), "KVREnable") == 0;
        if (supported && (!handled || flagUnread)) owned.insert(key);
    }
    return owned;
}

std::vector<std::string> Check(const Registry& before, const Registry& after,
                               const std::vector<simwin::Call>& changes,
                               const std::string& classKey, const CountryChoice& choice,
                               const simwin::Call& faulted) {
    std::vector<std::string> problems;
    const std::set<std::string> supported = OwnedInstances(before, classKey, faulted);
    auto owned = [&](const std::string& key, const std::string& name, bool* channelList) {
        *channelList = false;
        if (supported.count(key)) {
            Value unused;
            return Canonical(false, name, choice, &unused);
        }
        const std::size_t cut = key.size() >= std::strlen(kChannelList)
                                    ? key.size() - std::strlen(kChannelList)
                                    : std::string::npos;
        if (cut == std::string::npos || key.compare(cut, std::string::npos, kChannelList) != 0 ||
            !supported.count(key.substr(0, cut)))
            return false;
        *channelList = true;
        return ChannelNumber(name) != 0;
    };

    for (const simwin::Call& change : changes) {
        bool channelList = false;
        const bool value =
            change.function == "RegSetValueExA" || change.function == "RegDeleteValueA";
        if (!value || !owned(change.target, change.name, &channelList))
            problems.push_back(change.function + " " + change.target + " \"" + change.name + "\"");
    }
    for (const auto& [key, values] : before)
        if (!after.count(key)) problems.push_back("key deleted: " + key);
    for (const auto& [key, values] : after) {
        auto old = before.find(key);
        if (old == before.end()) {
            problems.push_back("key created: " + key);
            continue;
        }
        for (const auto& [name, value] : values) {
            auto was = old->second.find(name);
            if (was != old->second.end() && was->second == value) continue;
            bool channelList = false;
            Value expected;
            if (!owned(key, name, &channelList) ||
                !Canonical(channelList, name, choice, &expected) || !(expected == value))
                problems.push_back("written wrongly: " + key + " \"" + name + "\"");
        }
        // Only channels are ever removed.
        for (const auto& [name, value] : old->second) {
            bool channelList = false;
            if (!values.count(name) && !(owned(key, name, &channelList) && channelList))
                problems.push_back("deleted: " + key + " \"" + name + "\"");
        }
    }
    return problems;
}

}  // namespace invariants
