#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLVariant.h"
#include "engine/core/base/VXLVariantMap.h"

#include <cstdint>

class CVXLUiJobStack;
class CVXLUiJobPool;

// The base of the screen-flow jobs that the scenario program starts. A UI job
// is identified by its type id, exchanges named properties with the program,
// is suspended while another job covers it and resumed when it is current
// again, and sends the program its events by posting them to the stack
// machine, its parent.
class CVXLUiJob : public CVXLEventHandler {
public:
    static constexpr int kMinTypeId = 1;
    static constexpr int kMaxTypeId = 46;

    CVXLUiJob();
    ~CVXLUiJob() override;

    virtual int typeId() const = 0;
    // The empty value when the name is absent.
    virtual CVXLVariant property(const CVXLString& name) const;
    virtual void setProperty(const CVXLString& name, const CVXLVariant& value);
    // Another job covers this one, or it was popped.
    virtual void suspend();
    // It became the current job again; `previous` was current before.
    virtual void resume(CVXLUiJob* previous);
    // The user interface released a layout of this job. Pointer-sized, since
    // a layout is handed over by reference.
    virtual void layoutCallback(std::intptr_t a, std::intptr_t b);
    // The user chose an action that the job's layout offers.
    virtual void onLayoutAction(std::uint32_t eventId);

    // Set by the UI-job stack while the job is the current, started one.
    bool isCurrentActive() const { return currentActive_; }
    void setCurrentActive(bool active) { currentActive_ = active; }
    // The machine that pushed the job onto the UI-job stack.
    CVXLEventHandler* pushedBy() const { return pushedBy_; }
    bool isPooled() const { return pooled_; }
    // It finished on its own while still on the UI-job stack.
    bool hasEnded() const { return ended_; }

private:
    friend class CVXLUiJobStack;
    friend class CVXLUiJobPool;

    CVXLVariantMap properties_;
    bool currentActive_ = false;
    // The job below on the UI-job stack, or the next one in the releasing list.
    CVXLUiJob* link_ = nullptr;
    CVXLEventHandler* pushedBy_ = nullptr;
    // Pooled jobs belong to the pool; an explicit flag, since a pooled job may
    // sit at the start of the pool's block and pass the allocator's guard test.
    bool pooled_ = false;
    bool inUse_ = false;
    bool ended_ = false;
};
