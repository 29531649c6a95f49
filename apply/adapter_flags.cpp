#include "apply/adapter_flags.h"

#include <string>

#include "adapters/os_platform.h"
#include "adapters/registry_access.h"

bool MarkFirstAdapter() {
    COsPlatform platform;
    CRegistryAccess registry;
    const int instance = platform.FindAdapterInstance(0);
    if (instance >= NoInstance) return false;
    HKEY key = nullptr;
    registry.Open(HKEY_LOCAL_MACHINE, InstanceKeyPath(platform.BaseKeyPath(), instance).c_str(),
                  key);
    registry.SetString(key, "EnableRadio", "1");
    // From now on the search passes over this instance, in this run and every later one.
    registry.SetString(key, "KVREnable", "1");
    registry.Close(key);
    return true;
}

void FlagInstallFinished() {
    COsPlatform platform;
    CRegistryAccess registry;
    HKEY key = nullptr;
    ForEachAdapterInstance(platform, [&](int instance) {
        registry.Open(HKEY_LOCAL_MACHINE, InstanceKeyPath(platform.BaseKeyPath(), instance).c_str(),
                      key);
        registry.SetString(key, "InstallFinish", "1");
        registry.Close(key);
    });
}
