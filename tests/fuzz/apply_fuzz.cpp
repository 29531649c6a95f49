// Fuzz target: a simulated machine built from the input (Windows version, adapter instances
// with arbitrary descriptions, handled flags and channel lists, refused keys, devices, a card
// manager, one failing platform call), then the whole apply sequence, then the invariants that
// must hold on any machine. A broken invariant aborts, which the fuzzer reports.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "adapters/os_platform.h"
#include "apply/apply_sequence.h"
#include "platform/sim/sim_control.h"
#include "tests/support/invariants.h"
#include "tests/support/fake_dialog.h"

namespace {

using testsupport::FakeDialog;

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    std::uint8_t Byte() { return at < size ? data[at++] : 0; }
    unsigned Number(unsigned limit) { return limit ? (Byte() | Byte() << 8) % limit : 0; }
    std::string Bytes(std::size_t length) {
        std::string bytes;
        while (bytes.size() < length && at < size) bytes += static_cast<char>(data[at++]);
        return bytes;
    }

  private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

const char* const kNames[] = {
    "Taiwan", "France", "Japan",  "Argentina", "Yugoslavia",
    "Israel", "Jordan", "taiwan", "",          "Macedonia, The Former Yugoslav Republic of",
};

const simwin::Version kVersions[] = {
    {VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"},
    {VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4"},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2222, " A "},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998, ""},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, " "},
    {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, ""},
    {VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6a"},
    {VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1"},
    {VER_PLATFORM_WIN32s, 3, 11, 0, ""},
};

void Set(HKEY key, const std::string& name, DWORD type, const std::string& bytes) {
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
}

// A value of a fuzzed shape: a known good text, a near miss, or raw bytes of any type.
void FuzzedValue(Input& in, HKEY key, const char* name, const std::string& good) {
    switch (in.Byte() % 6) {
        case 0:
            return;  // absent
        case 1:
            Set(key, name, REG_SZ, good + '\0');
            return;
        case 2:
            Set(key, name, REG_SZ, good);
            return;  // without its zero
        case 3:
            Set(key, name, REG_BINARY, good + '\0');
            return;
        case 4:
            Set(key, name, REG_SZ, good + static_cast<char>(in.Byte()) + '\0');
            return;
        default:
            Set(key, name, in.Byte() % 12, in.Bytes(in.Number(300)));
            return;
    }
}

void BuildInstance(Input& in, const std::string& classKey) {
    char path[32];
    std::snprintf(path, sizeof path, "\\%04u", in.Byte() % 4 == 0 ? 9999 : in.Number(24));
    const std::string instance = classKey + path;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, instance.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    FuzzedValue(in, key, "DriverDesc", kSupportedAdapters[in.Byte() % kSupportedAdapterCount]);
    const char* flags[] = {"1", "0", "", "0junk", "1111111111111111111"};
    FuzzedValue(in, key, "KVREnable", flags[in.Byte() % 5]);
    if (in.Byte() % 2) FuzzedValue(in, key, "CountryCode", "23");
    RegCloseKey(key);
    if (in.Byte() % 8 == 0) simwin::DenyWriteAccess(HKEY_LOCAL_MACHINE, instance);

    if (in.Byte() % 3 == 0) return;  // no channel list
    const std::string channels = instance + "\\Ndi\\Params\\SelectedChannel\\enum";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, channels.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const char* names[] = {"1", "5", "11", "12", "13", "14", "15", "01", "0", ""};
    for (unsigned count = in.Byte() % 8; count > 0; --count)
        Set(key, names[in.Byte() % 10], in.Byte() % 12, in.Bytes(in.Number(40)));
    RegCloseKey(key);
    if (in.Byte() % 8 == 0) simwin::DenyWriteAccess(HKEY_LOCAL_MACHINE, channels);
}

[[noreturn]] void Broken(const std::string& what) {
    std::fprintf(stderr, "invariant broken: %s\n", what.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    simwin::Reset();
    simwin::SetJournalMode(simwin::JournalMode::Off);
    const simwin::Version& version = kVersions[in.Byte() % (sizeof kVersions / sizeof *kVersions)];
    simwin::SetVersion(version);
    const std::uint8_t queryFailure = in.Byte();
    const char* name = kNames[in.Byte() % (sizeof kNames / sizeof *kNames)];

    const OsKind kind = ClassifyVersion(version.platformId, version.major, version.minor,
                                        version.servicePack.c_str());
    // Instances under the running version's class key, now and then under the other one.
    for (unsigned count = in.Byte() % 6; count > 0; --count) {
        const bool other = in.Byte() % 8 == 0;
        const bool nt = (kind == OsKind::Nt5) != other;
        BuildInstance(in, nt ? "System\\CurrentControlSet\\Control\\Class\\"
                               "{4D36E972-E325-11CE-BFC1-08002BE10318}"
                             : "System\\CurrentControlSet\\Services\\Class\\Net");
    }
    for (unsigned count = in.Byte() % 3; count > 0; --count) {
        simwin::Device device;
        device.description = in.Byte() % 2 ? kSupportedAdapters[in.Byte() % kSupportedAdapterCount]
                                           : in.Bytes(in.Number(600));
        device.present = in.Byte() % 4 != 0;
        device.descriptionUnreadable = in.Byte() % 4 == 0;
        device.disableFails = in.Byte() % 4 == 0;
        simwin::AddDevice(device);
    }
    const std::uint8_t window = in.Byte() % 3;
    if (window) simwin::AddWindow("Vexa Wireless Card Manager", window == 2);
    const unsigned fault = in.Byte() % 2 ? 1 + in.Number(40000) : 0;

    const invariants::Registry before = invariants::Snapshot(HKEY_LOCAL_MACHINE, "");
    simwin::FailVersionQuery(queryFailure % 16 == 1 || queryFailure % 16 == 3,
                             queryFailure % 16 == 2 || queryFailure % 16 == 3);
    simwin::ClearJournal();
    simwin::SetJournalMode(simwin::JournalMode::Changes);
    simwin::ClearFaultCounter();
    if (fault) simwin::FailNthCall(fault);

    FakeDialog dialog(name);
    bool exited = false;
    try {
        ApplySelection(dialog);
    } catch (const simwin::ProcessExit& exit) {
        exited = true;
        if (exit.code != 0) Broken("exit code " + std::to_string(exit.code));
    }
    const simwin::Call faulted = simwin::FaultedCall();
    simwin::ClearFaultCounter();
    simwin::FailVersionQuery(false, false);
    const std::vector<simwin::Call> changes = simwin::Journal();
    simwin::SetJournalMode(simwin::JournalMode::Off);

    // The process may end only when the version cannot be read, and then before any write.
    if (exited && !(queryFailure % 16 == 3 || (fault && faulted.function.empty())))
        Broken("the process ended");
    if (!exited && dialog.ends != 1) Broken("the dialog was not ended once");
    if (simwin::OpenKeyCount() != 0) Broken("a registry key left open");
    if (simwin::OpenDeviceLists() != 0) Broken("a device list left open");

    const char* base = kind == OsKind::Nt5 ? "System\\CurrentControlSet\\Control\\Class\\"
                                             "{4D36E972-E325-11CE-BFC1-08002BE10318}"
                       : kind == OsKind::NinetyEightFamily
                           ? "System\\CurrentControlSet\\Services\\Class\\Net"
                           : "UnKnown";
    for (const std::string& problem : invariants::Check(
             before, invariants::Snapshot(HKEY_LOCAL_MACHINE, ""), changes,
             std::string("HKEY_LOCAL_MACHINE\\") + base, ResolveCountry(name), faulted))
        Broken(problem);
    return 0;
}
