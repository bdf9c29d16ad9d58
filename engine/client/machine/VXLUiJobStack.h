#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/jobs/VXLEventRing.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

class CVXLEventHandler;
class CVXLLayout;
class CVXLUiJob;
class CVXLUiJobPool;

// The stack of running UI jobs, shared by the Producer's stack machines and
// their built-in helpers. The current job is on top and each job links to the
// one below. Popped jobs are released one at a time, oldest first: the head
// of the releasing list is stopped, and when it has finished the next one is.
// Once the list is empty, a resume target set by the program is told with its
// code, so that the program goes on only after the screens are gone.
class CVXLUiJobStack : public CVXLObject {
public:
    static constexpr std::uint32_t kRingSlots = 4;

    CVXLUiJobStack(CVXLEventHandler* owner, CVXLUiJobPool* pool);
    CVXLUiJobStack(const CVXLUiJobStack&) = delete;
    CVXLUiJobStack& operator=(const CVXLUiJobStack&) = delete;
    ~CVXLUiJobStack() override;

    void setPool(CVXLUiJobPool* pool) { pool_ = pool; }
    CVXLUiJob* current() const { return current_; }
    CVXLUiJob* oldestReleasing() const { return releasing_; }
    std::uint32_t depth() const;
    std::uint32_t releasingCount() const;

    // Takes the job of the type from the pool and makes it current, covering
    // the job that was; null (nothing changed) when the pool has none.
    CVXLUiJob* push(int typeId, CVXLEventHandler* machine);
    // Attaches the current job as a child of the machine unless it already
    // runs; false when there is no current job.
    bool startCurrent(CVXLEventHandler* machine);
    // Pops `count` jobs (fewer when the stack runs out) into the releasing
    // list; the job then on top is current again.
    void pop(std::uint32_t count = 1);
    // Pops every job on top that the machine pushed.
    void unwind(const CVXLEventHandler* machine);
    void setResume(CVXLEventHandler* target, std::int32_t code);
    CVXLEventHandler* resumeTarget() const { return resumeTarget_; }
    // Gives back the ended jobs the machine pushed that are still on the
    // stack; the machine is going away.
    void dropEnded(const CVXLEventHandler* machine);
    // A child job of a machine has finished; false when it is none of ours.
    bool released(CVXLEventHandler* job);
    // Posts an event with the code from the owner to the current job.
    void sendToCurrent(std::int32_t code);
    // The user interface let go of a layout: the oldest job being released,
    // else the current one, is told.
    void deliverLayoutReleased(CVXLLayout* layout);

private:
    void popOne();
    // Stops the head of the releasing list; a job that never started cannot
    // finish, so it is given back at once (and the next one is looked at).
    void releaseHead();
    void giveBack(CVXLUiJob* job);
    void postResumeIfIdle();
    // Tells the program waiting on a job that ended that it did (kSignalJobEnded).
    void tellEnded(CVXLUiJob* job);

    CVXLUiJob* current_ = nullptr;
    CVXLUiJob* releasing_ = nullptr;
    CVXLSimpleEvent slots_[kRingSlots];
    CVXLEventRing ring_;
    CVXLEventHandler* owner_;
    CVXLUiJobPool* pool_;
    CVXLEventHandler* resumeTarget_ = nullptr;
    std::int32_t resumeCode_ = 0;
};
