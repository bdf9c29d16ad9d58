#pragma once

#include "engine/records/OutboundQueueRequests.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/screens/VXLHandOverJob.h"
#include "engine/screens/VXLLayoutError.h"

#include <cstdint>
#include <vector>

// UI job 41: the messages the outbound queue could not send ("fail_event",
// its report) on an error screen with Ok, Cancel, Exit and Back. Ok sends
// every message again (10 once all went; none: 9), Cancel deletes them all
// when sent messages are not kept (configuration item 53; else 8), Back
// gives 8 and Exit 9. The walk stops at the first message the queue refuses
// and shows that error; its answer gives 8, Exit 9.
class CVXLFailureJob : public CVXLHandOverJob {
public:
    static constexpr int kTypeId = 41;
    static constexpr std::int32_t kReplyResent = 30822;
    static constexpr std::int32_t kReplyDeleted = 30824;
    static constexpr std::uint32_t kLayoutState = 1;
    static constexpr const char* kPropertyEvent = "fail_event";

    int typeId() const override { return kTypeId; }
    CVXLUiJob* newInstance() const override { return new CVXLFailureJob; }
    CVXLLayout* getLayout() override { return &layout_; }
    void onLayoutAction(std::uint32_t eventId) override;

    const CVXLLayoutError& layout() const { return layout_; }
    const std::vector<CVXLString>& ids() const { return ids_; }

protected:
    void onStart() override;
    void onReply(CVXLEvent* reply) override;
    void onSignal(std::int32_t signal) override;
    bool onStop() override;

private:
    enum class Walk { None, Resend, Delete };

    void copyFailure(const CVXLEvent* failed);
    void startWalk(Walk walk);
    void postCurrent();

    CVXLLayoutError layout_;
    std::int32_t code_ = 0;
    CVXLString text_;
    std::vector<CVXLString> ids_;
    bool retry_ = true;
    std::size_t position_ = 0;
    Walk walk_ = Walk::None;
    bool refused_ = false;
    COutboundRetryRequest resend_ {kReplyResent};
    CMessageItemRequest delete_ {kReplyDeleted};
};
