// The simulated machine: journal, fault injection, version query, clock, module name, message
// boxes, top-level windows and process exit.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/sim/sim_state.h"
#include "platform/win32api.h"

namespace simwin {
namespace detail {

Machine::Machine() {
    const struct {
        HKEY root;
        const char* name;
    } predefined[] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                      {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                      {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                      {HKEY_USERS, "HKEY_USERS"}};
    for (const auto& root : predefined) {
        auto key = std::make_shared<Key>();
        key->name = root.name;
        key->fullPath = root.name;
        roots[reinterpret_cast<ULONG_PTR>(root.root)] = key;
    }
}

Machine& M() {
    static Machine machine;
    return machine;
}

std::string Upper(const std::string& text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    // Names are ANSI texts; the letters that fold are the ASCII ones.
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < common; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x == y) continue;
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool Journaling(const char* function) {
    ++M().calls;
    switch (M().journalMode) {
        case JournalMode::All:
            return true;
        case JournalMode::Off:
            return false;
        case JournalMode::Changes:
            return std::strcmp(function, "RegSetValueExA") == 0 ||
                   std::strcmp(function, "RegDeleteValueA") == 0 ||
                   std::strcmp(function, "RegCreateKeyExA") == 0 ||
                   std::strcmp(function, "RegDeleteKeyA") == 0;
    }
    return true;
}

Call* Entry(std::size_t entry) {
    auto& journal = M().journal;
    return entry < journal.size() ? &journal[entry] : nullptr;
}

std::string Hex(ULONG_PTR value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}

std::string QuoteOrNull(LPCSTR text) {
    return text ? "\"" + std::string(text) + "\"" : std::string("NULL");
}

std::size_t Record(const char* function, std::string target, std::string name, std::string detail) {
    Machine& m = M();
    m.journal.push_back(
        Call{function, std::move(target), std::move(name), std::move(detail), 0, m.nowMs});
    return m.journal.size() - 1;
}

long Done(std::size_t entry, long result) {
    if (Call* call = Entry(entry)) call->result = result;
    return result;
}

bool Fault(LONG usualError, LONG* error) {
    Machine& m = M();
    ++m.failableCalls;
    if (m.failAt == 0 || m.failableCalls != m.failAt) return false;
    m.faultFired = true;
    *error = m.failError != 0 ? m.failError : usualError;
    return true;
}

void NoteFault(const char* function, const std::string& target, const char* name) {
    M().faultedCall = Call{function, target, name ? name : "", "", 0, M().nowMs};
}

namespace {

Window* FindWindowRecord(HWND window) {
    const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(window);
    Machine& m = M();
    if (id == 0 || id > m.windows.size()) return nullptr;
    return m.windows[id - 1].get();
}

}  // namespace
}  // namespace detail

using namespace detail;

void Reset() { M() = Machine(); }

const std::vector<Call>& Journal() { return M().journal; }
void ClearJournal() { M().journal.clear(); }
void SetJournalMode(JournalMode mode) { M().journalMode = mode; }

long FindCall(const std::string& function, const std::string& target, std::size_t from) {
    const auto& journal = M().journal;
    for (std::size_t i = from; i < journal.size(); ++i) {
        if (journal[i].function == function && (target.empty() || journal[i].target == target))
            return static_cast<long>(i);
    }
    return -1;
}

std::size_t CallCount() { return M().calls; }

std::size_t CountCalls(const std::string& function) {
    std::size_t count = 0;
    for (const Call& call : M().journal) count += call.function == function;
    return count;
}

// A test's own entry: journaled with every call, but not counted as one.
void Note(const std::string& what) {
    if (M().journalMode == JournalMode::All) Record("note", what, "", "");
}

void FailNthCall(std::size_t n, LONG error) {
    Machine& m = M();
    m.failAt = m.failableCalls + n;
    m.failError = error;
    m.faultFired = false;
    m.faultedCall = Call{};
}
std::size_t FailableCallCount() { return M().failableCalls; }
void ClearFaultCounter() {
    M().failableCalls = 0;
    M().failAt = 0;
}
bool FaultFired() { return M().faultFired; }
Call FaultedCall() { return M().faultedCall; }

void SetVersion(const Version& version) { M().version = version; }
void FailVersionQuery(bool extended, bool plain) {
    M().failExtended = extended;
    M().failPlain = plain;
}
std::size_t VersionQueryCount() { return M().versionQueries; }

std::uint64_t NowMs() { return M().nowMs; }

void SetModuleFileName(const std::string& path) { M().moduleFileName = path; }
const std::vector<MessageBoxShown>& MessageBoxes() { return M().messageBoxes; }

HWND AddWindow(const std::string& title, bool hung) {
    Machine& m = M();
    auto window = std::make_unique<Window>();
    window->title = title;
    window->hung = hung;
    m.windows.push_back(std::move(window));
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(m.windows.size()));
}

bool WindowExists(HWND window) {
    Window* record = FindWindowRecord(window);
    return record && record->exists;
}

bool WindowVisible(HWND window) {
    Window* record = FindWindowRecord(window);
    return record && record->exists && record->visible;
}

const std::vector<Message>& MessagesReceived(HWND window) {
    static const std::vector<Message> none;
    Window* record = FindWindowRecord(window);
    return record ? record->received : none;
}

}  // namespace simwin

using namespace simwin;
using namespace simwin::detail;

namespace {

void FillVersion(OSVERSIONINFOA* info) {
    const Version& v = M().version;
    info->dwMajorVersion = v.major;
    info->dwMinorVersion = v.minor;
    info->dwBuildNumber = v.build;
    info->dwPlatformId = v.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, v.servicePack.c_str(), sizeof info->szCSDVersion - 1);
}

}  // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
    Machine& m = M();
    ++m.versionQueries;
    const DWORD size = info ? info->dwOSVersionInfoSize : 0;
    const std::size_t entry = SIM_RECORD("GetVersionExA", "", std::to_string(size), "");
    LONG error = 0;
    if (Fault(ERROR_INSUFFICIENT_BUFFER, &error)) {
        m.lastError = static_cast<DWORD>(error);
        return static_cast<BOOL>(Done(entry, FALSE));
    }
    const bool extended = size == sizeof(OSVERSIONINFOEXA);
    const bool plain = size == sizeof(OSVERSIONINFOA);
    if ((!extended && !plain) || (extended && m.failExtended) || (plain && m.failPlain)) {
        m.lastError = ERROR_INSUFFICIENT_BUFFER;
        return static_cast<BOOL>(Done(entry, FALSE));
    }
    FillVersion(info);
    if (extended) {
        auto* ex = reinterpret_cast<OSVERSIONINFOEXA*>(info);
        ex->wServicePackMajor = 0;
        ex->wServicePackMinor = 0;
        ex->wSuiteMask = 0;
        ex->wProductType = 0;
        ex->wReserved = 0;
    }
    return static_cast<BOOL>(Done(entry, TRUE));
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
    // The comparison the core relies on is case-sensitive equality; the order between unequal
    // texts is the byte order here.
    const int order = std::strcmp(a ? a : "", b ? b : "");
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

DWORD GetLastError() { return M().lastError; }
void SetLastError(DWORD code) { M().lastError = code; }

void Sleep(DWORD ms) {
    SIM_RECORD("Sleep", "", std::to_string(ms), "");
    M().nowMs += ms;
}

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    const std::string& path = M().moduleFileName;
    if (size == 0) return 0;
    const DWORD copied = static_cast<DWORD>(std::min<std::size_t>(path.size(), size - 1));
    std::memcpy(buffer, path.data(), copied);
    buffer[copied] = '\0';
    return copied;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    Machine& m = M();
    const std::size_t entry =
        SIM_RECORD("MessageBoxA", caption ? caption : "", text ? text : "", Hex(type));
    LONG error = 0;
    if (Fault(ERROR_INVALID_PARAMETER, &error)) {
        m.lastError = static_cast<DWORD>(error);
        return static_cast<int>(Done(entry, 0));
    }
    m.messageBoxes.push_back(
        MessageBoxShown{owner, text ? text : "", caption ? caption : "", type});
    // The simulated user acknowledges at once.
    return static_cast<int>(Done(entry, IDOK));
}

HWND FindWindowA(LPCSTR className, LPCSTR title) {
    Machine& m = M();
    const std::size_t entry =
        SIM_RECORD("FindWindowA", title ? title : "", QuoteOrNull(className), "");
    LONG error = 0;
    if (Fault(ERROR_INVALID_PARAMETER, &error)) {
        m.lastError = static_cast<DWORD>(error);
        return reinterpret_cast<HWND>(Done(entry, 0));
    }
    // Window titles compare case-insensitively; class names are not modelled.
    for (std::size_t i = 0; i < m.windows.size(); ++i) {
        const Window& window = *m.windows[i];
        if (window.exists && title && EqualNoCase(window.title, title))
            return reinterpret_cast<HWND>(Done(entry, static_cast<long>(i + 1)));
    }
    m.lastError = 0;
    return reinterpret_cast<HWND>(Done(entry, 0));
}

namespace {

// Delivers a message to a window that answers; WM_CLOSE destroys it, as DefWindowProc does.
LRESULT Deliver(Window& window, UINT msg, WPARAM wParam, LPARAM lParam) {
    window.received.push_back(Message{msg, wParam, lParam, M().nowMs});
    if (msg == WM_CLOSE) window.exists = false;
    return 0;
}

std::string MessageDetail(UINT msg, WPARAM wParam, LPARAM lParam) {
    return Hex(msg) + " " + Hex(wParam) + " " + Hex(static_cast<ULONG_PTR>(lParam));
}

}  // namespace

LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* window = FindWindowRecord(hwnd);
    const std::size_t entry = SIM_RECORD("SendMessageA", window ? window->title : Hex(0), Hex(msg),
                                         MessageDetail(msg, wParam, lParam));
    if (!window || !window->exists) {
        M().lastError = ERROR_INVALID_HANDLE;
        return Done(entry, 0);
    }
    if (window->hung) throw WouldHang{"SendMessageA to the hung window \"" + window->title + "\""};
    return Done(entry, Deliver(*window, msg, wParam, lParam));
}

LRESULT SendMessageTimeoutA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT flags,
                            UINT timeout, PDWORD_PTR result) {
    Machine& m = M();
    Window* window = FindWindowRecord(hwnd);
    const std::size_t entry =
        SIM_RECORD("SendMessageTimeoutA", window ? window->title : Hex(0), Hex(msg),
                   MessageDetail(msg, wParam, lParam) + " flags=" + Hex(flags) +
                       " timeout=" + std::to_string(timeout));
    LONG error = 0;
    if (Fault(ERROR_TIMEOUT, &error)) {
        m.lastError = static_cast<DWORD>(error);
        return Done(entry, 0);
    }
    if (!window || !window->exists) {
        m.lastError = ERROR_INVALID_HANDLE;
        return Done(entry, 0);
    }
    if (window->hung) {
        // The worst case: the whole timeout passes before the call gives up.
        m.nowMs += timeout;
        m.lastError = ERROR_TIMEOUT;
        return Done(entry, 0);
    }
    const LRESULT answer = Deliver(*window, msg, wParam, lParam);
    if (result) *result = static_cast<DWORD_PTR>(answer);
    return Done(entry, 1);
}

BOOL ShowWindow(HWND hwnd, int command) {
    Window* window = FindWindowRecord(hwnd);
    const std::size_t entry =
        SIM_RECORD("ShowWindow", window ? window->title : Hex(0), std::to_string(command), "");
    if (!window || !window->exists) return static_cast<BOOL>(Done(entry, FALSE));
    const bool wasVisible = window->visible;
    window->visible = command != SW_HIDE;
    return static_cast<BOOL>(Done(entry, wasVisible ? TRUE : FALSE));
}

namespace platform {

void ExitProgram(int code) {
    SIM_RECORD("exit", "", std::to_string(code), "");
    throw simwin::ProcessExit{code};
}

}  // namespace platform
