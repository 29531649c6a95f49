// Windows 98 implements only a few wide-character functions of kernel32, but the runtime
// libraries linked in name three more: the C++ runtime's locks (CreateSemaphoreW) and a C
// runtime helper that looks for an optional function (GetModuleHandleW, LoadLibraryW). Defining
// their import slots here keeps those names out of the import table, so the loader finds every
// import, and the calls go to the ANSI functions. This file must be linked into the program
// itself (not from a library), ahead of the runtime libraries that refer to the slots.
#include <windows.h>

namespace {

// The wide name in the ANSI code page; false when it does not fit or cannot be converted.
bool Narrow(LPCWSTR wide, char (&narrow)[MAX_PATH]) {
    return WideCharToMultiByte(CP_ACP, 0, wide, -1, narrow, MAX_PATH, nullptr, nullptr) > 0;
}

HANDLE WINAPI CreateSemaphoreAnsi(LPSECURITY_ATTRIBUTES attributes, LONG initialCount,
                                  LONG maximumCount, LPCWSTR name) {
    char narrow[MAX_PATH];
    if (name && !Narrow(name, narrow)) return nullptr;
    return CreateSemaphoreA(attributes, initialCount, maximumCount, name ? narrow : nullptr);
}

HMODULE WINAPI GetModuleHandleAnsi(LPCWSTR name) {
    char narrow[MAX_PATH];
    if (name && !Narrow(name, narrow)) return nullptr;
    return GetModuleHandleA(name ? narrow : nullptr);
}

HMODULE WINAPI LoadLibraryAnsi(LPCWSTR name) {
    char narrow[MAX_PATH];
    if (!name || !Narrow(name, narrow)) return nullptr;
    return LoadLibraryA(narrow);
}

}  // namespace

// The slots under the names that the import libraries would define.
extern "C" {
extern decltype(&CreateSemaphoreAnsi)
    const createSemaphoreSlot __asm__("__imp__CreateSemaphoreW@16");
decltype(&CreateSemaphoreAnsi) const createSemaphoreSlot = CreateSemaphoreAnsi;
extern decltype(&GetModuleHandleAnsi)
    const getModuleHandleSlot __asm__("__imp__GetModuleHandleW@4");
decltype(&GetModuleHandleAnsi) const getModuleHandleSlot = GetModuleHandleAnsi;
extern decltype(&LoadLibraryAnsi) const loadLibrarySlot __asm__("__imp__LoadLibraryW@4");
decltype(&LoadLibraryAnsi) const loadLibrarySlot = LoadLibraryAnsi;
}
