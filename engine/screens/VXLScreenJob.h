#pragma once

#include "engine/screens/VXLUiJob.h"

// The base of the jobs that drive one simple screen and have no state machine
// of their own: they do their work when they start (init) and in
// onLayoutAction. The answers 18 to 21 of a child start the next queued
// child; a refresh reaches the child or updates the screen; every other event
// is completed unseen.
class CVXLScreenJob : public CVXLUiJob {
public:
    CVXLScreenJob() = default;

    void onEvent(CVXLEvent* event) override;

protected:
    int filterEvent(CVXLEvent* event) override;
    // The child answer of a notice's key (18 Continue or Ok, 19 Back, 20
    // Cancel, 21 Exit), -1 for any other action.
    static std::int32_t answerOf(std::uint32_t eventId);
    // Takes the notice down, tells the parent and ends the job.
    void answerAndEnd(std::int32_t answer);
    // The notice's key: its answer, and the end of the job.
    void answerKey(std::uint32_t eventId);
    // Owns the job's layout and shows it, as a notice does when it starts.
    void showOwnLayout();
};
