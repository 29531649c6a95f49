// Registry fixtures for tests, written over the Win32 registry API, so the same fixture loads
// into the simulated registry and into a real one (Wine's).
//
// Fixtures are the text of a .reg export ("REGEDIT4" or "Windows Registry Editor Version
// 5.00"): key lines "[HKEY_LOCAL_MACHINE\...]" (or "[-...]" to delete a tree), value lines
// "name"="text", "name"=dword:00000001, "name"=hex:00,54 and "name"=hex(N):..., @ for the
// default value, a backslash at a line's end to continue it. Strings are stored as REG_SZ with
// their terminating zero, as an export gives them.
#pragma once

#include <string>

#include "platform/win32api.h"

namespace regfixture {

// Loads the text; false with a message naming the line when the text is not understood or a
// registry call failed.
bool Load(const std::string& text, std::string* error);

// Deletes the key and everything below it; true when it is gone (also when it never was).
bool DeleteTree(HKEY root, const std::string& path);

// The key and everything below it as canonical text: keys in case-insensitive name order,
// each value as "name"=hex(type):bytes, values in case-insensitive name order, so two
// registries compare byte for byte as text. A missing key gives "".
std::string Dump(HKEY root, const std::string& path);

// "HKEY_LOCAL_MACHINE" (or "HKLM") and the like; null when the name is not a root.
HKEY RootByName(const std::string& name);
const char* RootName(HKEY root);

}  // namespace regfixture
