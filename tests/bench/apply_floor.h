// The floor of the apply sequence: its registry and device installer work done with only the
// calls that work needs, made straight, with no layer between and nothing else. It pauses where
// the sequence pauses, because a pause leaves the machine slower for a while after it (under
// Wine the work after a 500 ms sleep runs measurably slower): the benchmarks take the pauses out
// of both times, and both meet the same conditions after them.
#pragma once

#include "regulatory/country_table.h"

namespace bench {

// On the Windows 2000/XP class key: the 500 ms pause, a search pass writing the country into
// every unhandled supported instance, a search to the first one and its marks, the device
// installer listing (and the restart's two property changes with the 2000 ms pause between
// them when a supported device is present), and a search pass flagging the others installed.
void ApplyFloor(const CountryChoice& choice);

}  // namespace bench
