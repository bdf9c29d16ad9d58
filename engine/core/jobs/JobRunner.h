#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLObjectQueue.h"

#include <cstdint>

// Starts and stops free-standing jobs as its children. Jobs handed over
// before the runner has started wait and are attached, in order, when its
// start event arrives. A finished child that lives on the engine heap is
// deleted; others belong to their owners.
class CJobRunner : public CVXLEventHandler {
public:
    // Requests whose subject is the job: attach it, or stop it.
    static constexpr std::int32_t kRunJobCode = 0;
    static constexpr std::int32_t kStopJobCode = 1;

    void runJob(CVXLEventHandler* job);
    std::uint32_t waitingCount() const { return waiting_.count(); }

    void onEvent(CVXLEvent* event) override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "Job Runner"; }

private:
    CVXLObjectQueue waiting_;
};
