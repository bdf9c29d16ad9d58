#pragma once

#include <benchmark/benchmark.h>

#include <chrono>

// Runs ours and then its bound in turn in every iteration of one benchmark,
// so the load on the machine weighs on both alike, and gives how many times
// longer ours took in all.
template <typename Ours, typename Bound>
double alternatingRatio(benchmark::State& state, const Ours& ours, const Bound& bound)
{
    using Clock = std::chrono::steady_clock;
    Clock::duration oursTime {}, boundTime {};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(ours());
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(bound());
        oursTime += t1 - t0;
        boundTime += Clock::now() - t1;
    }
    return static_cast<double>(oursTime.count()) / static_cast<double>(boundTime.count());
}
