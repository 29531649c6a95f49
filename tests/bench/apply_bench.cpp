// The apply sequence against the real registry, under Wine, beside its floor (apply_floor.h) on
// the same machines. Every run starts from a freshly loaded machine; the program and the floor
// take turns, and the medians are compared. The fixed pauses of both are timed as they happen,
// taken out of their times and reported apart.
//   apply_bench [--runs N] [INSTANCES...]      (default: 9 runs, machines of 1 and 100 instances)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "apply/apply_sequence.h"
#include "tests/bench/apply_floor.h"
#include "tests/bench/bench_fixture.h"
#include "tests/bench/measure.h"
#include "tools/regfixture/reg_fixture.h"

using bench::Median;
using bench::Now;

namespace {

// Time spent in Sleep since the last reset. The program's import slot for Sleep is defined
// below and leads here, so the pauses of the sequence and of the floor are measured where they
// happen.
double pausedMs = 0;

void WINAPI TimedSleep(DWORD milliseconds) {
    using SleepFunction = void(WINAPI*)(DWORD);
    static const auto realSleep = reinterpret_cast<SleepFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep")));
    const double start = Now();
    realSleep(milliseconds);
    pausedMs += Now() - start;
}

}  // namespace

extern "C" {
extern decltype(&TimedSleep) const sleepSlot __asm__("__imp__Sleep@4");
decltype(&TimedSleep) const sleepSlot = TimedSleep;
}

namespace {

// The dialog's part in the sequence, without a window: the calls that take one get none.
class BenchDialog : public CSelectionHost {
  public:
    void SaveData() override {}
    HWND Window() const override { return nullptr; }
    std::string SelectedName() override { return "Taiwan"; }
    void EndCancel() override { ++ends; }
    int ends = 0;
};

bool RunningOnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

void Fresh(const std::string& machine) {
    std::string error;
    if (!bench::LoadMachine(machine, &error)) {
        std::fprintf(stderr, "apply_bench: the machine does not load: %s\n", error.c_str());
        std::exit(1);
    }
}

struct Run {
    double ms;        // without the pauses
    double pausedMs;  // the pauses
};

Run RunProgram(const std::string& machine) {
    Fresh(machine);
    BenchDialog dialog;
    pausedMs = 0;
    const double start = Now();
    ApplySelection(dialog);
    const double total = Now() - start;
    if (dialog.ends != 1) {
        std::fprintf(stderr, "apply_bench: the sequence did not end the dialog once\n");
        std::exit(1);
    }
    return {total - pausedMs, pausedMs};
}

Run RunFloor(const std::string& machine, const CountryChoice& choice) {
    Fresh(machine);
    pausedMs = 0;
    const double start = Now();
    bench::ApplyFloor(choice);
    const double total = Now() - start;
    return {total - pausedMs, pausedMs};
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 9;
    std::vector<int> machines;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::atoi(argv[++i]);
        else
            machines.push_back(std::atoi(argv[i]));
    }
    if (machines.empty()) machines = {1, 100};
    if (runs < 1) runs = 1;
    // It replaces the network adapter class key: never on a real machine.
    if (!RunningOnWine()) {
        std::fprintf(stderr, "apply_bench: rewrites the network adapter class key; Wine only\n");
        return 2;
    }

    const CountryChoice choice = ResolveCountry("Taiwan");
    for (int instances : machines) {
        const std::string machine = bench::AdapterMachine(instances);

        // Both must leave the same registry, or the comparison means nothing. These first runs
        // also warm the caches for the timed ones.
        RunProgram(machine);
        const std::string afterProgram = regfixture::Dump(HKEY_LOCAL_MACHINE, bench::kClassKey);
        RunFloor(machine, choice);
        const std::string afterFloor = regfixture::Dump(HKEY_LOCAL_MACHINE, bench::kClassKey);
        if (afterProgram != afterFloor || afterProgram.empty()) {
            std::fprintf(stderr, "apply_bench: program and floor leave different registries\n");
            return 1;
        }

        std::vector<double> program, floor, pauses, floorPauses, paired;
        for (int run = 0; run < runs; ++run) {
            // Take turns, so a change in the machine's load falls on both alike.
            Run p{};
            Run f{};
            if (run % 2 == 0) {
                p = RunProgram(machine);
                f = RunFloor(machine, choice);
            } else {
                f = RunFloor(machine, choice);
                p = RunProgram(machine);
            }
            program.push_back(p.ms);
            pauses.push_back(p.pausedMs);
            floor.push_back(f.ms);
            floorPauses.push_back(f.pausedMs);
            paired.push_back(p.ms / f.ms);
        }
        const double programMs = Median(program);
        const double floorMs = Median(floor);
        std::printf(
            "apply instances=%d runs=%d program_ms=%.1f floor_ms=%.1f ratio=%.3f "
            "paired_ratio=%.3f program_min_ms=%.1f program_max_ms=%.1f floor_min_ms=%.1f "
            "floor_max_ms=%.1f pauses_ms=%.1f floor_pauses_ms=%.1f\n",
            instances, runs, programMs, floorMs, programMs / floorMs, Median(paired),
            *std::min_element(program.begin(), program.end()),
            *std::max_element(program.begin(), program.end()),
            *std::min_element(floor.begin(), floor.end()),
            *std::max_element(floor.begin(), floor.end()), Median(pauses), Median(floorPauses));
        std::fflush(stdout);
    }
    return 0;
}
