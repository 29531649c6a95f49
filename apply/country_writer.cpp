#include "apply/country_writer.h"

#include <cstdio>
#include <string>

#include "adapters/os_platform.h"
#include "adapters/registry_access.h"

namespace {

// Where a network adapter lists the choices of its "SelectedChannel" parameter.
constexpr char kChannelListKey[] = "\\Ndi\\Params\\SelectedChannel\\enum";
constexpr int kHighestChannel = 14;

}  // namespace

void ConfigureAdapters(const CountryChoice& choice) {
    COsPlatform platform;
    CRegistryAccess registry;
    HKEY key = nullptr;
    char code[16];
    std::snprintf(code, sizeof code, "%d", choice.index);

    ForEachAdapterInstance(platform, [&](int instance) {
        const std::string instanceKey = InstanceKeyPath(platform.BaseKeyPath(), instance);
        const std::string channelKey = instanceKey + kChannelListKey;

        // A failed Open makes the writes below no-ops (the registry access guard).
        registry.Open(HKEY_LOCAL_MACHINE, instanceKey.c_str(), key);
        registry.SetString(key, "CountryName", kCountryTable[choice.index].countryString);
        registry.SetString(key, "CountryCode", code);
        registry.SetBinary(key, "DomainCode", choice.domainCode, sizeof choice.domainCode);
        registry.Close(key);

        if (!registry.Open(HKEY_LOCAL_MACHINE, channelKey.c_str(), key)) return;
        // Every channel the adapter offered goes, whatever its size or type, so none that the
        // new country forbids survives; other names ("01", "15") are not ours to touch.
        char name[8];
        for (int n = 1; n <= kHighestChannel; ++n) {
            std::snprintf(name, sizeof name, "%d", n);
            registry.DeleteValue(key, name);
        }
        char text[8];
        for (int n = choice.firstChannel; n <= choice.lastChannel; ++n) {
            std::snprintf(name, sizeof name, "%d", n);
            std::snprintf(text, sizeof text, "%02d", n);
            registry.SetString(key, name, text);
        }
        registry.Close(key);
    });
}
