// The core on the simulated Windows. Beside its time every benchmark reports the platform calls
// one run makes ("calls"), so that a change in the number of calls shows at once; the apply
// runs also report the virtual time of their pauses ("virtual_ms"), which costs no real time
// here.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "adapters/os_platform.h"
#include "apply/apply_sequence.h"
#include "platform/sim/sim_control.h"
#include "regulatory/country_table.h"
#include "tests/bench/apply_floor.h"
#include "tests/bench/bench_fixture.h"
#include "tests/support/fake_dialog.h"

namespace {

const std::string& MachineText(int instances) {
    static std::map<int, std::string> texts;
    auto found = texts.find(instances);
    if (found == texts.end())
        found = texts.emplace(instances, bench::AdapterMachine(instances)).first;
    return found->second;
}

// A fresh machine with that many adapter instances. Nothing is journaled: on long runs the
// journal would cost more than the calls it records.
void NewMachine(int instances) {
    simwin::Reset();
    simwin::SetJournalMode(simwin::JournalMode::Off);
    std::string error;
    if (!bench::LoadMachine(MachineText(instances), &error)) {
        std::fprintf(stderr, "sim_bench: the machine does not load: %s\n", error.c_str());
        std::abort();
    }
}

void ReportCalls(benchmark::State& state, std::size_t calls) {
    state.counters["calls"] =
        benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kAvgIterations);
}

void BM_ResolveCountry_AllNames(benchmark::State& state) {
    simwin::Reset();
    const std::size_t before = simwin::CallCount();
    for (auto _ : state) {
        for (const CountryEntry& row : kCountryTable) {
            CountryChoice choice = ResolveCountry(row.name);
            benchmark::DoNotOptimize(choice);
        }
    }
    ReportCalls(state, simwin::CallCount() - before);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kCountryCount));
}
BENCHMARK(BM_ResolveCountry_AllNames)->Unit(benchmark::kMicrosecond);

// One walk over all instance numbers, as each writer makes it; it changes nothing, so one
// machine serves every iteration.
void BM_SearchPass(benchmark::State& state) {
    const int instances = static_cast<int>(state.range(0));
    NewMachine(instances);
    const std::size_t before = simwin::CallCount();
    for (auto _ : state) {
        const COsPlatform platform;
        int found = 0;
        ForEachAdapterInstance(platform, [&](int) { ++found; });
        benchmark::DoNotOptimize(found);
        if (found != instances) state.SkipWithError("the walk missed instances");
    }
    ReportCalls(state, simwin::CallCount() - before);
}
BENCHMARK(BM_SearchPass)
    ->ArgName("instances")
    ->Arg(0)
    ->Arg(1)
    ->Arg(100)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

// The whole sequence with a card manager to close and a device to restart. It marks and writes
// the instances, so every iteration gets a fresh machine, built outside the timing.
void BM_ApplySequence(benchmark::State& state) {
    const int instances = static_cast<int>(state.range(0));
    std::size_t calls = 0;
    std::uint64_t virtualMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        NewMachine(instances);
        simwin::AddWindow(kCardManagerTitle);
        simwin::AddDevice({"Kelvane PC Card"});
        testsupport::FakeDialog dialog("Taiwan");
        const std::size_t callsBefore = simwin::CallCount();
        const std::uint64_t clockBefore = simwin::NowMs();
        state.ResumeTiming();

        ApplySelection(dialog);

        calls += simwin::CallCount() - callsBefore;
        virtualMs += simwin::NowMs() - clockBefore;
        if (dialog.ends != 1) state.SkipWithError("the dialog was not ended once");
    }
    ReportCalls(state, calls);
    state.counters["virtual_ms"] =
        benchmark::Counter(static_cast<double>(virtualMs), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ApplySequence)
    ->ArgName("instances")
    ->Arg(1)
    ->Arg(100)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

// The same machine and choice with only the calls the work needs: the yardstick for the calls
// and the time of the sequence above.
void BM_ApplyFloor(benchmark::State& state) {
    const int instances = static_cast<int>(state.range(0));
    const CountryChoice choice = ResolveCountry("Taiwan");
    std::size_t calls = 0;
    std::uint64_t virtualMs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        NewMachine(instances);
        simwin::AddDevice({"Kelvane PC Card"});
        const std::size_t callsBefore = simwin::CallCount();
        const std::uint64_t clockBefore = simwin::NowMs();
        state.ResumeTiming();

        bench::ApplyFloor(choice);

        calls += simwin::CallCount() - callsBefore;
        virtualMs += simwin::NowMs() - clockBefore;
    }
    ReportCalls(state, calls);
    state.counters["virtual_ms"] =
        benchmark::Counter(static_cast<double>(virtualMs), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ApplyFloor)
    ->ArgName("instances")
    ->Arg(1)
    ->Arg(100)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
