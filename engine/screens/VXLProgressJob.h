#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/screens/VXLLayoutProgressBar.h"
#include "engine/screens/VXLUiJob.h"

#include <cstdint>

// The progress-bar screen (type 42). Given a pair of persistent settings keys
// (current and total) it waits for the total, then follows the current value
// every 50 ms, ending with 18 once the current value reaches the total when
// asked to; started without them (by the program) it counts seconds on an
// ever-growing range. The user's Back, Cancel or Exit ends it with 19, 20 or
// 21. Values are 64-bit: a transfer's byte counts pass 2^31.
class CVXLProgressJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 42;
    static constexpr std::int32_t kFirstExternalCode = 118;
    static constexpr std::int32_t kTimerCode = 118;
    static constexpr std::uint32_t kPollingMs = 1000;
    static constexpr std::uint32_t kWaitingMs = 20;
    static constexpr std::uint32_t kRunningMs = 50;
    static constexpr std::int64_t kPollingRange = 1000;
    static constexpr std::int32_t kNoLayoutState = -1;

    CVXLProgressJob();

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLProgressJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    void onLayoutAction(std::uint32_t eventId) override;
    std::int32_t onFinished() override;

    void setParameters(
        std::uint32_t layoutState, const char* currentKey, const char* totalKey, bool autoFinish);
    const CVXLLayoutProgressBar& layout() const { return layout_; }
    bool isPolling() { return isIn(&CVXLProgressJob::ProgressPolling); }
    bool isWaiting() { return isIn(&CVXLProgressJob::ProgressWaiting); }
    bool isRunning() { return isIn(&CVXLProgressJob::ProgressRunning); }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    // Takes the user's answers in every state.
    CVXLHsmState Active(const CVXLEvent* event);
    CVXLHsmState ProgressPolling(const CVXLEvent* event);
    CVXLHsmState ProgressWaiting(const CVXLEvent* event);
    CVXLHsmState ProgressRunning(const CVXLEvent* event);
    CVXLHsmState Done(const CVXLEvent* event);

    // The total key holds a non-zero number.
    bool totalReady() const;
    // Reads current and total and works out the percentage.
    void readValues();
    void writeLayout(std::int64_t position, std::int64_t range, std::int64_t percentage);
    void arm(std::uint32_t milliseconds);
    void finishTimer();

    CVXLLayoutProgressBar layout_;
    CVXLSimpleEvent timer_ {kTimerCode};
    std::int32_t layoutState_ = kNoLayoutState;
    CVXLString currentKey_;
    CVXLString totalKey_;
    // 1 when started without parameters.
    std::uint8_t mode_ = 1;
    std::uint8_t autoFinish_ = 0;
    std::uint64_t current_ = 0;
    std::uint64_t total_ = 0;
    std::uint64_t percentage_ = 0;
    // The counting of a polling progress.
    std::int64_t pollCurrent_ = 0;
    std::int64_t pollRange_ = kPollingRange;
};
