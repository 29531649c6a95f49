#include "tests/bench/apply_floor.h"

#include <cstdio>
#include <cstring>

#include "adapters/os_platform.h"
#include "platform/win32api.h"
#include "tests/bench/bench_fixture.h"

namespace bench {
namespace {

// A walk ends only when the search finds nothing; instance 9999 is written like any other.
constexpr int kEndOfWalk = NoInstance;
constexpr char kChannelList[] = "\\Ndi\\Params\\SelectedChannel\\enum";

// One buffer for every key path: the class key once, then only the four digits and the tail
// change from one instance to the next.
class KeyPaths {
  public:
    KeyPaths() : base(std::strlen(kClassKey)) {
        std::memcpy(text, kClassKey, base);
        text[base] = '\\';
    }
    const char* Instance(int n) {
        Digits(n);
        text[base + 5] = '\0';
        return text;
    }
    const char* ChannelList(int n) {
        Digits(n);
        std::memcpy(text + base + 5, kChannelList, sizeof kChannelList);
        return text;
    }

  private:
    void Digits(int n) {
        for (std::size_t at = base + 4; at > base; --at, n /= 10)
            text[at] = static_cast<char>('0' + n % 10);
    }
    char text[sizeof kClassKey + 5 + sizeof kChannelList];
    const std::size_t base;
};

bool Supported(const char* description) {
    for (const char* adapter : kSupportedAdapters)
        if (std::strcmp(description, adapter) == 0) return true;
    return false;
}

// The two reads of an opened instance key: its description and its handled flag.
bool Unhandled(HKEY key) {
    char description[256] = {};
    DWORD type = 0;
    DWORD size = 255;
    if (RegQueryValueExA(key, "DriverDesc", nullptr, &type, reinterpret_cast<BYTE*>(description),
                         &size) != ERROR_SUCCESS)
        description[0] = '\0';
    char flag[16] = {'0'};
    size = sizeof flag;
    const bool handled = RegQueryValueExA(key, "KVREnable", nullptr, &type,
                                          reinterpret_cast<BYTE*>(flag), &size) == ERROR_SUCCESS &&
                         flag[0] != '0';
    return !handled && Supported(description);
}

int Find(KeyPaths& paths, int start) {
    for (int n = start; n < NoInstance; ++n) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, paths.Instance(n), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            continue;
        const bool match = Unhandled(key);
        RegCloseKey(key);
        if (match) return n;
    }
    return NoInstance;
}

void SetString(HKEY key, const char* name, const char* text) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                   static_cast<DWORD>(std::strlen(text) + 1));
}

void WriteCountry(KeyPaths& paths, int n, const CountryChoice& choice, const char* code) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, paths.Instance(n), 0, KEY_ALL_ACCESS, &key) ==
        ERROR_SUCCESS) {
        SetString(key, "CountryName", kCountryTable[choice.index].countryString);
        SetString(key, "CountryCode", code);
        RegSetValueExA(key, "DomainCode", 0, REG_BINARY, choice.domainCode,
                       sizeof choice.domainCode);
        RegCloseKey(key);
    }
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, paths.ChannelList(n), 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return;
    static const char* const kNames[] = {"",  "1", "2",  "3",  "4",  "5",  "6", "7",
                                         "8", "9", "10", "11", "12", "13", "14"};
    static const char* const kTexts[] = {"",   "01", "02", "03", "04", "05", "06", "07",
                                         "08", "09", "10", "11", "12", "13", "14"};
    for (int channel = 1; channel <= 14; ++channel) RegDeleteValueA(key, kNames[channel]);
    for (int channel = choice.firstChannel; channel <= choice.lastChannel; ++channel)
        SetString(key, kNames[channel], kTexts[channel]);
    RegCloseKey(key);
}

void SetFlag(KeyPaths& paths, int n, const char* name, const char* second = nullptr) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, paths.Instance(n), 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS)
        return;
    SetString(key, name, "1");
    if (second) SetString(key, second, "1");
    RegCloseKey(key);
}

void ChangeState(HDEVINFO set, SP_DEVINFO_DATA* device, DWORD state) {
    SP_PROPCHANGE_PARAMS params;
    std::memset(&params, 0, sizeof params);
    params.ClassInstallHeader.cbSize = sizeof params.ClassInstallHeader;
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = state;
    params.Scope = DICS_FLAG_CONFIGSPECIFIC;
    SetupDiSetClassInstallParamsA(set, device, &params.ClassInstallHeader, sizeof params);
    SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, device);
}

void RestartDevice() {
    HDEVINFO set =
        SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device;
    std::memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        char description[501] = {};
        SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_DEVICEDESC, nullptr,
                                          reinterpret_cast<BYTE*>(description), 500, nullptr);
        if (!Supported(description)) continue;
        ChangeState(set, &device, DICS_DISABLE);
        Sleep(2000);
        ChangeState(set, &device, DICS_ENABLE);
        break;
    }
    SetupDiDestroyDeviceInfoList(set);
}

}  // namespace

void ApplyFloor(const CountryChoice& choice) {
    KeyPaths paths;
    char code[8];
    std::snprintf(code, sizeof code, "%d", choice.index);
    Sleep(500);

    for (int n = Find(paths, 0); n < kEndOfWalk; n = Find(paths, n + 1))
        WriteCountry(paths, n, choice, code);

    const int first = Find(paths, 0);
    if (first >= kEndOfWalk) return;
    SetFlag(paths, first, "EnableRadio", "KVREnable");
    RestartDevice();
    for (int n = Find(paths, 0); n < kEndOfWalk; n = Find(paths, n + 1))
        SetFlag(paths, n, "InstallFinish");
}

}  // namespace bench
