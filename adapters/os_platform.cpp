#include "adapters/os_platform.h"

#include <cstring>

#include "platform/program_message.h"

const char* const kSupportedAdapters[kSupportedAdapterCount] = {
    "Kelvane PCI Adapter",     "Kelvane CardBus Card Plus", "Kelvane CardBus Card",
    "Kelvane CardBus Adapter", "Kelvane MiniPCI Card",      "Kelvane PC Card",
    "Kelvane PC Card Lite",    "Kelvane USB Adapter Lite",  "Kelvane USB Adapter",
};

namespace {

constexpr char kNt5ClassKey[] =
    "System\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
constexpr char kNinetyEightClassKey[] = "System\\CurrentControlSet\\Services\\Class\\Net";
constexpr char kUnknownClassKey[] = "UnKnown";

// Room for a 255-byte description and a terminating zero the platform need not supply.
constexpr DWORD kDescriptionSize = 255;
// "KVREnable" is written as "1"; a longer value does not fit and counts as not handled.
constexpr DWORD kHandledFlagSize = 16;

}  // namespace

OsKind ClassifyVersion(DWORD platformId, DWORD majorVersion, DWORD minorVersion,
                       const char* servicePack) {
    if (platformId == VER_PLATFORM_WIN32_NT) return majorVersion == 5 ? OsKind::Nt5 : OsKind::Other;
    if (platformId != VER_PLATFORM_WIN32_WINDOWS) return OsKind::Nt5;
    if (minorVersion == 0) return OsKind::Unsupported;  // Windows 95
    if (minorVersion == 10) {
        // Only Second Edition carries " A" in its service-pack text.
        const bool secondEdition = servicePack[0] == ' ' && servicePack[1] == 'A';
        return secondEdition ? OsKind::NinetyEightFamily : OsKind::Unsupported;
    }
    return OsKind::NinetyEightFamily;
}

namespace {

// Writes the instance number as four digits with leading zeros ("%04d" for 0 to 9999).
void WriteInstanceNumber(char* digits, int instance) {
    for (int at = 3; at >= 0; --at, instance /= 10)
        digits[at] = static_cast<char>('0' + instance % 10);
}

}  // namespace

std::string InstanceKeyPath(const char* basePath, int instance) {
    std::string path(basePath);
    path += "\\0000";
    WriteInstanceNumber(&path[path.size() - 4], instance);
    return path;
}

bool IsSupportedAdapter(const char* description) {
    for (const char* adapter : kSupportedAdapters)
        if (lstrcmpA(description, adapter) == 0) return true;
    return false;
}

COsPlatform::COsPlatform() {
    OSVERSIONINFOEXA version;
    std::memset(&version, 0, sizeof version);
    version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    auto* record = reinterpret_cast<OSVERSIONINFOA*>(&version);
    if (!GetVersionExA(record)) {
        // Systems before Windows 2000 know only the plain record.
        version.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        if (!GetVersionExA(record)) {
            ShowProgramMessage("Unable to determine Operating System.");
            platform::ExitProgram(0);
        }
    }
    version.szCSDVersion[sizeof version.szCSDVersion - 1] = '\0';
    kind = ClassifyVersion(version.dwPlatformId, version.dwMajorVersion, version.dwMinorVersion,
                           version.szCSDVersion);
}

COsPlatform::~COsPlatform() = default;

const char* COsPlatform::BaseKeyPath() const {
    switch (kind) {
        case OsKind::Nt5:
            return kNt5ClassKey;
        case OsKind::NinetyEightFamily:
            return kNinetyEightClassKey;
        default:
            return kUnknownClassKey;
    }
}

int COsPlatform::FindAdapterInstance(int start) const {
    // The path is laid out once; each probe rewrites only its four digits, since a search
    // makes up to 10,000 of them.
    static_assert(sizeof kNt5ClassKey >= sizeof kNinetyEightClassKey &&
                      sizeof kNt5ClassKey >= sizeof kUnknownClassKey,
                  "the NT class key is the longest");
    char path[sizeof kNt5ClassKey + sizeof "\\0000"];
    const std::size_t base = std::strlen(BaseKeyPath());
    std::memcpy(path, BaseKeyPath(), base);
    std::memcpy(path + base, "\\0000", sizeof "\\0000");
    for (int n = start < 0 ? 0 : start; n < NoInstance; ++n) {
        WriteInstanceNumber(path + base + 1, n);
        if (InstanceMatches(path)) return n;
    }
    return NoInstance;
}

bool COsPlatform::InstanceMatches(const char* path) const {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;

    // Only a successful read counts: what a failed one leaves in a buffer is not trusted.
    char description[kDescriptionSize + 1] = {};
    DWORD type = 0;
    DWORD size = kDescriptionSize;
    if (RegQueryValueExA(key, "DriverDesc", nullptr, &type, reinterpret_cast<BYTE*>(description),
                         &size) != ERROR_SUCCESS)
        description[0] = '\0';
    description[kDescriptionSize] = '\0';

    char flag[kHandledFlagSize] = {'0'};
    size = sizeof flag;
    const bool handled = RegQueryValueExA(key, "KVREnable", nullptr, &type,
                                          reinterpret_cast<BYTE*>(flag), &size) == ERROR_SUCCESS &&
                         flag[0] != '0';

    RegCloseKey(key);
    return !handled && IsSupportedAdapter(description);
}
