// The real process exit: the runtime's exit, so exit-time processing still runs.
#include <cstdlib>

#include "platform/win32api.h"

namespace platform {

void ExitProgram(int code) { std::exit(code); }

}  // namespace platform
