// What must hold after any apply run on any machine, whatever failed on the way: no key created
// or deleted, nothing written or deleted but the values the system owns, and every value
// written exactly as the system writes it. Shared by the fault injection test, the hostile
// registry tests and the fuzz target (simulated Windows).
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim_control.h"
#include "regulatory/country_table.h"

namespace invariants {

struct Value {
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const Value& other) const { return type == other.type && data == other.data; }
};
// Full key path to its values by name.
using Registry = std::map<std::string, std::map<std::string, Value>>;

// The tree below root\path, as keys and values.
Registry Snapshot(HKEY root, const std::string& path);

// The instance keys (full paths) under the class key that the system may write: those whose
// "DriverDesc", read as the search reads it, names a supported adapter and whose "KVREnable"
// does not mark them handled. A handled flag that could not be read counts as not handled, so
// an instance whose flag read was the failed call (`faulted`) is the system's too.
std::set<std::string> OwnedInstances(const Registry& before, const std::string& classKey,
                                     const simwin::Call& faulted);

// The problems of a finished run, empty when it is sound. `changes` is the journal of the
// run's registry changes (simwin::JournalMode::Changes); `classKey` the full path of the class
// key the run's Windows version uses; `faulted` the call made to fail, if any.
std::vector<std::string> Check(const Registry& before, const Registry& after,
                               const std::vector<simwin::Call>& changes,
                               const std::string& classKey, const CountryChoice& choice,
                               const simwin::Call& faulted = simwin::Call{});

}  // namespace invariants
