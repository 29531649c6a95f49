// Start-up under Wine: the time from CreateProcessA to the program's top-level window of the
// given title being visible, polled every millisecond. The programs take turns, one warm-up
// launch each first; every launch is ended once its window shows, by ending the process: how a
// program ends (Velmora.exe runs its apply sequence, pause included) is not part of the figure
// and would only change the conditions the next launch meets. The
// last program is the yardstick: each other one gets the ratio of the medians and the median of
// its ratios to the yardstick's launch of the same round (process creation under Wine drifts
// slowly, and launches side by side drift alike).
//   startup_bench [--runs N] PROGRAM TITLE [PROGRAM TITLE...]   (default: 9 runs)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/bench/measure.h"

using bench::Median;
using bench::Now;

namespace {

constexpr double kGiveUpMs = 30000;

struct Program {
    std::string path;
    std::string title;
    std::vector<double> times;
};

HWND VisibleWindow(const std::string& title) {
    HWND window = FindWindowA(nullptr, title.c_str());
    return window && IsWindowVisible(window) ? window : nullptr;
}

// One launch; the time to the visible window in ms, or a negative number when it never showed.
double Launch(const Program& program) {
    // A window left over from an earlier launch would end the wait at once.
    for (double start = Now(); FindWindowA(nullptr, program.title.c_str()); Sleep(10))
        if (Now() - start > kGiveUpMs) return -1;

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    std::vector<char> commandLine(program.path.begin(), program.path.end());
    commandLine.push_back('\0');
    const double start = Now();
    if (!CreateProcessA(program.path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "startup_bench: cannot start %s (error %lu)\n", program.path.c_str(),
                     GetLastError());
        return -1;
    }
    HWND window = nullptr;
    double shown = -1;
    for (;;) {
        window = VisibleWindow(program.title);
        if (window) {
            shown = Now() - start;
            break;
        }
        if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0 || Now() - start > kGiveUpMs)
            break;
        Sleep(1);
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, static_cast<DWORD>(kGiveUpMs));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 9;
    std::vector<Program> programs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::atoi(argv[++i]);
        } else if (i + 1 < argc) {
            programs.push_back({arg, argv[i + 1], {}});
            ++i;
        } else {
            std::fprintf(stderr, "usage: startup_bench [--runs N] PROGRAM TITLE...\n");
            return 2;
        }
    }
    if (programs.empty() || runs < 1) {
        std::fprintf(stderr, "usage: startup_bench [--runs N] PROGRAM TITLE...\n");
        return 2;
    }

    for (int run = -1; run < runs; ++run) {
        for (std::size_t k = 0; k < programs.size(); ++k) {
            // Take turns in the order as well, so neither always follows the other.
            Program& program = programs[(k + static_cast<std::size_t>(run + 1)) % programs.size()];
            const double ms = Launch(program);
            if (ms < 0) {
                std::fprintf(stderr, "startup_bench: no visible window \"%s\" from %s\n",
                             program.title.c_str(), program.path.c_str());
                return 1;
            }
            if (run >= 0) program.times.push_back(ms);
        }
    }
    const Program& yardstick = programs.back();
    for (const Program& program : programs) {
        std::string name = program.path.substr(program.path.find_last_of("\\/") + 1);
        std::vector<double> paired;
        for (std::size_t run = 0; run < program.times.size(); ++run)
            paired.push_back(program.times[run] / yardstick.times[run]);
        std::printf(
            "startup program=%s runs=%d median_ms=%.1f min_ms=%.1f max_ms=%.1f ratio=%.3f "
            "paired_ratio=%.3f\n",
            name.c_str(), runs, Median(program.times),
            *std::min_element(program.times.begin(), program.times.end()),
            *std::max_element(program.times.begin(), program.times.end()),
            Median(program.times) / Median(yardstick.times), Median(paired));
    }
    std::fflush(stdout);
    return 0;
}
