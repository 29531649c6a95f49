#include "apply/device_restart.h"

#include <cstring>

#include "adapters/os_platform.h"

namespace {

// The records as the 32-bit device installer lays them out.
static_assert(sizeof(SP_DEVINFO_DATA) == 28, "SP_DEVINFO_DATA of 32-bit Windows");
static_assert(sizeof(SP_CLASSINSTALL_HEADER) == 8, "SP_CLASSINSTALL_HEADER");
static_assert(sizeof(SP_PROPCHANGE_PARAMS) == 20, "SP_PROPCHANGE_PARAMS");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA");

constexpr DWORD kDescriptionSize = 500;
constexpr DWORD kRestartPauseMs = 2000;

// Device descriptions compare byte for byte: no locale rule, no case folding, no trimming.
bool IsSupportedDevice(const char* description) {
    for (const char* adapter : kSupportedAdapters)
        if (std::strcmp(description, adapter) == 0) return true;
    return false;
}

// Issues one property change; the device installer's answer is not used.
void ChangeState(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD stateChange) {
    SP_PROPCHANGE_PARAMS params;
    std::memset(&params, 0, sizeof params);
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = stateChange;
    params.Scope = DICS_FLAG_CONFIGSPECIFIC;
    params.HwProfile = 0;  // the current hardware profile
    SetupDiSetClassInstallParamsA(set, device, &params.ClassInstallHeader, sizeof params);
    SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, device);
}

}  // namespace

bool IsRestartSkipped() {
    OSVERSIONINFOA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) return true;
    if (version.dwMajorVersion == 0) return true;
    // Windows 98 (both editions) and Me.
    return version.dwMajorVersion == 4 &&
           (version.dwMinorVersion == 10 || version.dwMinorVersion == 90);
}

bool RestartAdapterDevice(HWND owner) {
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, owner, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return false;  // no list: no member to restart

    SP_DEVINFO_DATA device;
    std::memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    bool restarted = false;
    for (DWORD index = 0; !restarted && SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        // One byte beyond what is offered, so a full buffer is still a terminated text; a
        // failed read leaves an empty one, whatever the platform wrote.
        char description[kDescriptionSize + 1];
        std::memset(description, 0, sizeof description);
        DWORD required = 0;
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_DEVICEDESC, nullptr,
                                               reinterpret_cast<BYTE*>(description),
                                               kDescriptionSize, &required))
            description[0] = '\0';
        description[kDescriptionSize] = '\0';
        if (!IsSupportedDevice(description)) continue;

        ChangeState(set, &device, DICS_DISABLE);
        Sleep(kRestartPauseMs);
        ChangeState(set, &device, DICS_ENABLE);
        restarted = true;
    }
    SetupDiDestroyDeviceInfoList(set);
    return restarted;
}
