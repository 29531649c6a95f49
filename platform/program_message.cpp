#include "platform/program_message.h"

#include <cstring>

#include "platform/win32api.h"

void ProgramTitle(char* title, unsigned size) {
    if (size == 0) return;
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    path[length < MAX_PATH ? length : MAX_PATH] = '\0';
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    std::size_t count = std::strlen(name);
    if (const char* dot = std::strrchr(name, '.')) count = static_cast<std::size_t>(dot - name);
    if (count >= size) count = size - 1;
    std::memcpy(title, name, count);
    title[count] = '\0';
}

void ShowProgramMessage(const char* text) {
    char title[MAX_PATH + 1];
    ProgramTitle(title, sizeof title);
    MessageBoxA(nullptr, text, title, MB_OK | MB_ICONEXCLAMATION);
}
