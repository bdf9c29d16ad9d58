// The push queue's crash rounds by the hundred: tests/tools/msgcrash killed
// at a random moment while it pushes, each round loading what the last left,
// far past the rounds in which the queue reaches its cap. Every file a round
// leaves must keep the queue's rules (PushQueueCrashRound::check); a broken
// one ends the run with its error. Counters: the rounds whose file was
// checked, the rounds killed before their first save, and the most items a
// checked file held (the cap's rule is met only at the cap).
#include "tests/messaging/store/PushQueueCrashRound.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

void BM_PushQueueCrashRounds(benchmark::State& state)
{
    PushQueueCrashRound rounds;
    int round = 0;
    int checked = 0;
    int skipped = 0;
    std::size_t mostHeld = 0;
    for (auto _ : state) {
        std::string error;
        if (!rounds.run(round, &error)) {
            ++skipped;
        } else if (!error.empty()) {
            state.SkipWithError(("round " + std::to_string(round) + ": " + error).c_str());
            break;
        } else {
            ++checked;
            mostHeld = std::max(mostHeld, rounds.held);
        }
        ++round;
    }
    state.counters["checked"] = checked;
    state.counters["killed_before_saving"] = skipped;
    state.counters["most_held"] = static_cast<double>(mostHeld);
}

} // namespace

BENCHMARK(BM_PushQueueCrashRounds)->Iterations(200)->Unit(benchmark::kMillisecond);
