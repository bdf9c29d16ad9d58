#pragma once

#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// The base of the jobs that do one piece of work for the scenario program,
// with or without a screen of their own: the work starts when the start event
// has been completed, the replies to the job's requests come to onReply, and
// every signal below the first external code (the answer to a child notice,
// taken once the notice has gone, and the program's resume events) comes to
// onSignal. A job may hold its stop event until its last request is answered.
class CVXLHandOverJob : public CVXLUiJob {
public:
    static constexpr std::int32_t kFirstExternalCode = 117;

    // Results for the scenario program.
    static constexpr std::int32_t kEndFailed = 7;
    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndDone = 10;
    // The program resumes the job after a flow it handed over.
    static constexpr std::int32_t kSignalResume = 12;

    CVXLHandOverJob();

    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;

protected:
    virtual void onStart() = 0;
    // The subclass completes the reply.
    virtual void onReply(CVXLEvent* reply) { finishEvent(reply); }
    virtual void onSignal(std::int32_t) { }
    // True when the job keeps the stop event to complete it later
    // (finishHeldStop).
    virtual bool onStop() { return false; }
    void finishHeldStop();
    bool stopHeld() const { return heldStop_ != nullptr; }

    // Owns the layout and shows it, or sends it again when it is shown.
    void present(CVXLLayout* layout);
    // Takes the screen down and tells the program.
    void endWith(std::int32_t result);

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Running(const CVXLEvent* event);

    CVXLEvent* heldStop_ = nullptr;
};
