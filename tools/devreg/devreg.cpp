// Registers a present root device of the network class with a given description in the
// device installer of the running (Wine) prefix, so the utility's restart finds a device.
//
//   devreg DESCRIPTION [INSTANCE-ID]     INSTANCE-ID defaults to ROOT\NET\0042
//   devreg --list                        the descriptions of all present devices
//
// Prints "device ID DESCRIPTION present=1" once the device shows among the present devices.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The network adapter class, {4D36E972-E325-11CE-BFC1-08002BE10318}.
const GUID kNetClass = {
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

// Calls visit with each present device's description until it returns true.
template <typename Visit>
bool ForEachPresent(Visit visit) {
    HDEVINFO set =
        SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return false;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    bool stopped = false;
    for (DWORD index = 0; !stopped && SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        char description[512] = {};
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_DEVICEDESC, nullptr,
                                               reinterpret_cast<BYTE*>(description),
                                               sizeof description - 1, nullptr))
            description[0] = '\0';
        char id[512] = {};
        if (!SetupDiGetDeviceInstanceIdA(set, &device, id, sizeof id - 1, nullptr)) id[0] = '\0';
        stopped = visit(index, id, description);
    }
    SetupDiDestroyDeviceInfoList(set);
    return true;
}

int List() {
    return ForEachPresent([](DWORD index, const char* id, const char* description) {
        std::printf("present %lu %s \"%s\"\n", static_cast<unsigned long>(index), id, description);
        return false;
    })
               ? 0
               : 1;
}

int Register(const char* description, const char* instanceId) {
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kNetClass, nullptr);
    if (set == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "devreg: no device list (error %lu)\n", GetLastError());
        return 1;
    }
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof device;
    const DWORD size = static_cast<DWORD>(std::strlen(description) + 1);
    bool ok =
        SetupDiCreateDeviceInfoA(set, instanceId, &kNetClass, description, nullptr, 0, &device) &&
        SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_DEVICEDESC,
                                          reinterpret_cast<const BYTE*>(description), size) &&
        SetupDiRegisterDeviceInfo(set, &device, 0, nullptr, nullptr, nullptr);
    const DWORD error = GetLastError();
    SetupDiDestroyDeviceInfoList(set);
    if (!ok) {
        std::fprintf(stderr, "devreg: cannot register %s (error %lu)\n", instanceId, error);
        return 1;
    }
    bool present = false;
    ForEachPresent([&](DWORD, const char* id, const char* text) {
        present = _stricmp(id, instanceId) == 0 && std::strcmp(text, description) == 0;
        return present;
    });
    std::printf("device %s \"%s\" present=%d\n", instanceId, description, present ? 1 : 0);
    return present ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    // Lines end in LF alone, as the scripts reading them expect.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) return List();
    if (argc == 2 || argc == 3) return Register(argv[1], argc == 3 ? argv[2] : "ROOT\\NET\\0042");
    std::fprintf(stderr, "usage: devreg DESCRIPTION [INSTANCE-ID] | devreg --list\n");
    return 2;
}
