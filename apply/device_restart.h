// Restart of one supported adapter device through the device installer, so the driver takes
// up the values just written.
#pragma once

#include "platform/win32api.h"

// True on Windows 98 (both editions) and Me, and when the version cannot be read.
bool IsRestartSkipped();

// Disables the first present device whose description is a supported adapter's, waits 2000 ms
// and enables it again. False when no present device carries a supported description.
bool RestartAdapterDevice(HWND owner);
