#pragma once

#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Steps a tree of jobs the way the Client's tick does, on a clock the test
// drives: attach jobs under the driver's root, step, advance time. The root
// carries the clock, so every job attached below reads its time.
class JobTreeDriver {
public:
    JobTreeDriver();
    ~JobTreeDriver();
    JobTreeDriver(const JobTreeDriver&) = delete;
    JobTreeDriver& operator=(const JobTreeDriver&) = delete;

    CVXLEventHandler& root();
    CVXLEngineClock& clock() { return clock_; }
    std::uint32_t now() const { return clock_.tickTime(); }
    void advance(std::uint32_t milliseconds) { clock_.advance(milliseconds); }

    // Attaches a job as a child of the root (its start event is queued).
    void attach(CVXLEventHandler* job);
    // One step of the whole tree, inside a tick.
    void step();
    // Steps once, then while something can run now, at most `maxSteps` steps
    // in all (like a tick, which always steps once); returns the number of
    // steps taken. Time does not move.
    int runUntilIdle(int maxSteps = 1000);
    // Milliseconds until the tree needs a step (kNoDeadline for none).
    std::uint32_t nextTimeout();
    // Moves the clock to the next deadline and steps until idle again; false
    // when nothing is armed.
    bool runToNextTimer(int maxSteps = 1000);
    // For trees that talk to real processes: calls `work` (which steps the
    // tree) until `done` holds, the driven clock following real time; between
    // calls, while nothing can run now, it waits on the platform's sockets
    // until one is ready or the next timer is due, at most `nap`. False when
    // `realMs` of real time have passed first.
    bool followRealTime(const std::function<void()>& work, const std::function<bool()>& done, int realMs,
        std::chrono::microseconds nap);

private:
    class Root;

    CVXLEngineClock clock_;
    Root* root_;
};

// A job that records what it is handed, for tests. By default it finishes
// every event at once; `handler` replaces that (it must finish or keep the
// event itself).
class TraceJob : public CVXLEventHandler {
public:
    explicit TraceJob(std::string name, std::vector<std::string>* trace = nullptr);

    const char* name() const override { return name_.c_str(); }
    void onEvent(CVXLEvent* event) override;
    void childStarted(CVXLEventHandler* child) override;
    void childFinished(CVXLEventHandler* child) override;
    void onUiRequest(std::int32_t code) override;

    std::function<void(TraceJob&, CVXLEvent*)> handler;
    // Effective codes and results in the order handed over.
    std::vector<std::int32_t> codes;
    std::vector<std::int32_t> results;
    std::vector<CVXLEvent*> events;
    std::vector<CVXLEventHandler*> started;
    std::vector<CVXLEventHandler*> finishedChildren;

private:
    std::string name_;
    std::vector<std::string>* trace_;
};
