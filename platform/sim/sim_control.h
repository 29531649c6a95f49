// Test-side control of the simulated Windows: set the machine up, inject faults, and read the
// journal of every call the code under test made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/sim_api.h"

namespace simwin {

// Thrown by platform::ExitProgram, so a test sees the process end without it really ending.
struct ProcessExit {
    int code;
};

// Thrown when the code under test would block forever (a plain SendMessageA to a window that
// never answers), so a test fails instead of hanging.
struct WouldHang {
    std::string what;
};

// Back to a machine with an empty registry (the predefined roots only), no windows, no devices,
// Windows XP SP3, time 0, an empty journal and no faults armed.
void Reset();

// ---- Journal --------------------------------------------------------------------------------
struct Call {
    std::string function;  // Win32 name, e.g. "RegSetValueExA"
    std::string target;    // full key path, window title, or device description
    std::string name;      // value name, message, or other main argument
    std::string detail;    // the remaining arguments, rendered
    long result;           // the call's return (LONG, BOOL or LRESULT)
    std::uint64_t timeMs;  // virtual time when the call was made
};
const std::vector<Call>& Journal();
void ClearJournal();
// All calls (the default); only the calls that change the registry (RegSetValueExA,
// RegDeleteValueA, RegCreateKeyExA, RegDeleteKeyA); or none. Long runs journal less.
enum class JournalMode { All, Changes, Off };
void SetJournalMode(JournalMode mode);
// Index of the first journal entry at or after `from` with this function (and target, when
// given), or -1.
long FindCall(const std::string& function, const std::string& target = std::string(),
              std::size_t from = 0);
std::size_t CountCalls(const std::string& function);
// Calls made since the last Reset, journaled or not (all but lstrcmpA and the last-error
// functions).
std::size_t CallCount();
// Adds an entry of the test's own (function "note"), so a test double's actions appear in
// order among the calls.
void Note(const std::string& what);

// ---- Fault injection ------------------------------------------------------------------------
// Arms the n-th failable call from now (1-based) to fail as the real call would: `error` is the
// Win32 error to give (0 picks the function's usual one). Registry calls return it; BOOL calls
// return FALSE and set it as the last error. Calls that cannot fail (Sleep, lstrcmpA) are not
// counted.
void FailNthCall(std::size_t n, LONG error = 0);
// Failable calls made since the last Reset or ClearFaultCounter.
std::size_t FailableCallCount();
void ClearFaultCounter();
// Whether the armed fault has been used, and on which call (function, key path, value name;
// filled for registry calls whatever the journal mode).
bool FaultFired();
Call FaultedCall();

// ---- Registry -------------------------------------------------------------------------------
// Opens that ask for write access (KEY_SET_VALUE and beyond, so KEY_ALL_ACCESS) to this key get
// ERROR_ACCESS_DENIED; reading opens still succeed. The path is below `root`.
void DenyWriteAccess(HKEY root, const std::string& path, bool deny = true);
// Registry handles currently open (not counting the predefined roots).
std::size_t OpenKeyCount();

// ---- Version query --------------------------------------------------------------------------
struct Version {
    DWORD platformId;
    DWORD major;
    DWORD minor;
    DWORD build;
    std::string servicePack;
};
void SetVersion(const Version& version);
// Makes GetVersionExA fail for the extended (156-byte) record, the plain (148-byte) one, or both.
void FailVersionQuery(bool extended, bool plain);
std::size_t VersionQueryCount();

// ---- Clock ----------------------------------------------------------------------------------
std::uint64_t NowMs();

// ---- Module and message boxes ---------------------------------------------------------------
void SetModuleFileName(const std::string& path);
struct MessageBoxShown {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
const std::vector<MessageBoxShown>& MessageBoxes();

// ---- Top-level windows ----------------------------------------------------------------------
struct Message {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    std::uint64_t timeMs;
};
// Adds a top-level window. A hung window never answers a sent message. A window that is not
// hung is destroyed by WM_CLOSE, as the default window procedure does.
HWND AddWindow(const std::string& title, bool hung = false);
bool WindowExists(HWND window);
bool WindowVisible(HWND window);
const std::vector<Message>& MessagesReceived(HWND window);

// ---- Device installer -----------------------------------------------------------------------
struct Device {
    std::string description;
    bool present = true;
    bool descriptionUnreadable = false;  // the description read fails
    bool disableFails = false;           // the class installer refuses DICS_DISABLE
};
// Adds a device, in enumeration order; returns its number.
int AddDevice(const Device& device);
struct PropertyChange {
    int device;
    DWORD stateChange;
    DWORD scope;
    DWORD hwProfile;
    DWORD headerSize;
    DWORD paramsSize;
    bool succeeded;
    std::uint64_t timeMs;
};
const std::vector<PropertyChange>& PropertyChanges();
// Whether the device is enabled now (devices start enabled).
bool DeviceEnabled(int device);
// Device information sets obtained and not yet destroyed.
std::size_t OpenDeviceLists();

}  // namespace simwin
