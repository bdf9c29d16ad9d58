#pragma once

#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/service/VRAXJobRequest.h"

#include <cstdint>

// Makes sure the phone is registered and holds a destination list (UI job
// 6). With "vrax.ver_id" present it ends with 10 at once; otherwise it asks
// the VRAX job to register and download the list, with a spinner until
// "int.destlist.progress_total" names a size and a progress display after,
// and ends with 10, or with the cancel notice or the failure's error screen
// (whose first key tries again). It has no screen of its own.
class CVXLDestListRefreshJob : public CVXLUiJob {
public:
    static constexpr int kTypeId = 6;
    static constexpr std::int32_t kFirstExternalCode = 121;

    static constexpr std::int32_t kSignalCheck = 117;
    static constexpr std::int32_t kSignalCancelled = 118;
    static constexpr std::int32_t kReplyRegister = 122;
    static constexpr std::int32_t kTimerPoll = 123;
    static constexpr std::uint32_t kPollMs = 100;

    static constexpr std::int32_t kEndBack = 8;
    static constexpr std::int32_t kEndExit = 9;
    static constexpr std::int32_t kEndRegistered = 10;
    static constexpr std::int32_t kErrorRegistration = 66;
    // "You have chosen to cancel registration."
    static constexpr std::uint32_t kNoticeRegistrationCancelled = 2;
    static constexpr std::uint32_t kProgressState = 4;

    CVXLDestListRefreshJob();

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLDestListRefreshJob; }
    void init() override;
    void onEvent(CVXLEvent* event) override;
    std::int32_t onFinished() override;

    const CVRAXJobRequest& registerEvent() const { return registerEvent_; }

private:
    CVXLHsmState Initial(const CVXLEvent* event);
    CVXLHsmState Check(const CVXLEvent* event);
    CVXLHsmState Registering(const CVXLEvent* event);
    CVXLHsmState WaitStart(const CVXLEvent* event);
    CVXLHsmState Progress(const CVXLEvent* event);
    CVXLHsmState AfterCancel(const CVXLEvent* event);
    CVXLHsmState Cancelled(const CVXLEvent* event);
    CVXLHsmState Failed(const CVXLEvent* event);
    CVXLHsmState Finished(const CVXLEvent* event);

    bool downloadStarted() const;
    void stopChild();
    CVXLHsmState finish(std::int32_t result);

    CVRAXJobRequest registerEvent_;
    CVXLSimpleEvent pollEvent_ {kTimerPoll};
    CVXLEventHandler* vraxJob_ = nullptr;
    // What a cancelled request ends with once its traffic is gone.
    std::int32_t cancelResult_ = kEndBack;
};
