// The large store's crash rounds by the score: tests/tools/msgcrash fills a
// message store to 5,000 messages with its thread database, then is killed
// at random moments while it stores and deletes, each round loading what the
// last left. After each, a fresh load reconciled with the database must hold
// every message stored and not asked to be deleted, once in the inbox and
// once in the database (ThreadStoreCrashRound::rules); a break ends the run
// with its error. Counters: the rounds checked and the messages held.
#include "tests/messaging/store/ThreadStoreCrashRound.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_ThreadStoreCrashRounds(benchmark::State& state)
{
    ThreadStoreCrashRound rounds(static_cast<std::uint32_t>(state.range(0)));
    for (auto _ : state) {
        const std::string error = rounds.run();
        if (!error.empty()) {
            state.SkipWithError(("round " + std::to_string(rounds.rounds) + ": " + error).c_str());
            break;
        }
    }
    state.counters["checked"] = rounds.rounds;
    state.counters["held"] = static_cast<double>(rounds.held.size());
}

} // namespace

BENCHMARK(BM_ThreadStoreCrashRounds)->Arg(5000)->Iterations(20)->Unit(benchmark::kMillisecond);
