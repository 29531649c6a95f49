// The simulated machine's state, shared by the parts of the simulation. Not for tests: they use
// sim_control.h.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/sim_control.h"

namespace simwin::detail {

// Registry names compare case-insensitively and enumerate in upper-case order, as on Windows.
std::string Upper(const std::string& text);
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}
struct CaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return CompareNoCase(a, b) < 0;
    }
};

struct Value {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
};

struct Key {
    std::string name;
    std::string fullPath;
    std::map<std::string, std::shared_ptr<Key>, CaseLess> subkeys;
    std::vector<Value> values;  // in creation order
    bool denyWrite = false;
    bool deleted = false;
};

struct OpenKey {
    std::shared_ptr<Key> key;
    REGSAM access;
};

struct Window {
    std::string title;
    bool hung;
    bool exists = true;
    bool visible = true;
    std::vector<Message> received;
};

struct DeviceList {
    bool open = true;
    std::vector<int> members;  // device numbers, in enumeration order
    // The class install parameters last set for each device of the list.
    std::map<int, SP_PROPCHANGE_PARAMS> params;
    std::map<int, DWORD> paramsSize;
};

struct Machine {
    Machine();  // a machine with the predefined registry roots only

    // Registry
    std::map<ULONG_PTR, std::shared_ptr<Key>> roots;
    std::map<ULONG_PTR, OpenKey> handles;
    ULONG_PTR nextHandle = 0x1000;

    // Version query
    Version version{VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"};
    bool failExtended = false;
    bool failPlain = false;
    std::size_t versionQueries = 0;

    DWORD lastError = 0;
    std::uint64_t nowMs = 0;
    std::string moduleFileName = "C:\\Program Files\\Setup\\CountrySetup.exe";
    std::vector<MessageBoxShown> messageBoxes;

    std::vector<std::unique_ptr<Window>> windows;  // in creation order

    std::vector<Device> devices;
    std::vector<bool> deviceEnabled;
    std::vector<std::unique_ptr<DeviceList>> deviceLists;
    std::vector<PropertyChange> propertyChanges;

    std::vector<Call> journal;
    JournalMode journalMode = JournalMode::All;
    std::size_t calls = 0;

    // Fault injection
    std::size_t failableCalls = 0;
    std::size_t failAt = 0;
    LONG failError = 0;
    bool faultFired = false;
    Call faultedCall{};
};

Machine& M();

// Records a call and returns its journal index, so the result can be filled in afterwards.
// Call it through SIM_RECORD, which builds the texts only when the call is journaled.
std::size_t Record(const char* function, std::string target, std::string name, std::string detail);
constexpr std::size_t kUnrecorded = std::numeric_limits<std::size_t>::max();
bool Journaling(const char* function);
#define SIM_RECORD(fn_, target_, name_, detail_)                                                \
    (::simwin::detail::Journaling(fn_) ? ::simwin::detail::Record(fn_, target_, name_, detail_) \
                                       : ::simwin::detail::kUnrecorded)
// The journal entry, for filling in later; null when the call was not journaled.
Call* Entry(std::size_t entry);
// Stores the call's result and returns it, for `return Done(i, result);`.
long Done(std::size_t entry, long result);
// Counts a failable call; true when this is the call armed to fail, with the error to give.
bool Fault(LONG usualError, LONG* error);
// Notes which call the fault hit, for the test to see.
void NoteFault(const char* function, const std::string& target, const char* name);

std::string Hex(ULONG_PTR value);
std::string QuoteOrNull(LPCSTR text);

}  // namespace simwin::detail
