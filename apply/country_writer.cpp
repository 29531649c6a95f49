#include "apply/country_writer.h"

#include <cstdio>
#include <string>

#include "adapters/os_platform.h"
#include "adapters/registry_access.h"

namespace {

// Where a network adapter lists the choices of its "SelectedChannel" parameter.
constexpr char kChannelListKey[] = "\\Ndi\\Params\\SelectedChannel\\enum";
constexpr int kHighestChannel = 14;

// Channel n's value name (n without a leading zero) and its text (two digits), at n - 1.
constexpr const char* kChannelNames[kHighestChannel] = {"1", "2", "3",  "4",  "5",  "6",  "7",
                                                        "8", "9", "10", "11", "12", "13", "14"};
constexpr const char* kChannelTexts[kHighestChannel] = {"01", "02", "03", "04", "05", "06", "07",
                                                        "08", "09", "10", "11", "12", "13", "14"};

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
        for (const char* name : kChannelNames) registry.DeleteValue(key, name);
        const int first = choice.firstChannel < 1 ? 1 : choice.firstChannel;
        const int last =
            choice.lastChannel > kHighestChannel ? kHighestChannel : choice.lastChannel;
        for (int n = first; n <= last; ++n)
            registry.SetString(key, kChannelNames[n - 1], kChannelTexts[n - 1]);
        registry.Close(key);
    });
}
