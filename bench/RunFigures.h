#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

// The figures of a benchmark that times whole runs one by one (programs
// started, screens awaited): the median and the spread of the runs, as
// counters "<prefix>median_ms", "min", "q1" (the 25th percentile), "q3" and
// "max", and how many runs gave a time ("<prefix>runs").
inline void reportRuns(benchmark::State& state, std::vector<double> samples, const std::string& prefix = "")
{
    state.counters[prefix + "runs"] = static_cast<double>(samples.size());
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double fraction) {
        return samples[static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5)];
    };
    state.counters[prefix + "median_ms"] = at(0.5);
    state.counters[prefix + "min_ms"] = samples.front();
    state.counters[prefix + "q1_ms"] = at(0.25);
    state.counters[prefix + "q3_ms"] = at(0.75);
    state.counters[prefix + "max_ms"] = samples.back();
}
