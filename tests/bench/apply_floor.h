// The floor of the apply sequence: its registry and device installer work done with only the
// calls that work needs, made straight, with no layer between, no pause and nothing else. The
// benchmarks measure the real sequence against it on the same machine.
#pragma once

#include "regulatory/country_table.h"

namespace bench {

// On the Windows 2000/XP class key: a search pass writing the country into every unhandled
// supported instance, a search to the first one and its marks, the device installer listing
// (and the restart's two property changes when a supported device is present, without the
// pause between them), and a search pass flagging the others as installed.
void ApplyFloor(const CountryChoice& choice);

}  // namespace bench
