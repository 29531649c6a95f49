// The one door from the core to Win32.
//
// The core calls the Win32 operations by their own names and signatures. Built for Windows
// this header is the real API; built anywhere else it is the simulated Windows of
// platform/sim, which supplies the same names, types and constants.
#pragma once

#ifdef _WIN32
#include <windows.h>
#include <setupapi.h>
#else
#include "platform/sim/sim_api.h"
#endif

namespace platform {

// Ends the process with the given exit code. On Windows this is the runtime's exit; the
// simulated Windows records it and unwinds to the test instead.
[[noreturn]] void ExitProgram(int code);

}  // namespace platform
