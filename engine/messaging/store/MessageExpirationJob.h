#pragma once

#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/messaging/store/VXLStoreRequests.h"

#include <cstdint>

class CMessageStoreManager;

// Deletes received messages (inbox, then premium box) whose expiry has
// passed, one at a time and only while the Producer is idle; a pass every
// six hours. A message without an expiry is kept; one whose read fails is
// passed over, except while the store is busy receiving (78), which puts the
// pass off by ten minutes.
class CMessageExpirationJob : public CVXLEventHandler {
public:
    static constexpr std::uint32_t kFirstRunMs = 2000;
    static constexpr std::uint32_t kStoreWaitMs = 2000;
    static constexpr std::uint32_t kBusyRetryMs = 600000;
    static constexpr std::uint32_t kPassIntervalMs = 21600000;
    static constexpr std::int32_t kEventTimer = 1;
    static constexpr std::int32_t kReplyRead = 3;
    static constexpr std::int32_t kReplyDeleted = 4;

    // What the job needs of the Client.
    class Services {
    public:
        virtual ~Services() = default;
        virtual bool producerIdle() = 0;
        // The engine clock in UTC seconds.
        virtual std::uint32_t nowSeconds() = 0;
    };

    CMessageExpirationJob();

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "MessageExpirationJob"; }

    void setMessageStore(CMessageStoreManager* store) { store_ = store; }
    void setServices(Services* services) { services_ = services; }

    bool timerArmed() const { return timer_.isBusy(); }

private:
    void onTimer();
    void nextMessage();
    void onRead(CVXLEvent* reply);
    void onDeleted(CVXLEvent* reply);
    // Advances when the Producer is idle, else puts the pass off.
    void advance();
    // Ends the timer's run and arms it again.
    void rearm(std::uint32_t delay);
    bool producerIdle() const { return !services_ || services_->producerIdle(); }

    CMessageStoreManager* store_ = nullptr;
    Services* services_ = nullptr;
    CVXLSimpleEvent timer_ {kEventTimer};
    CStoreReadRequest readRequest_ {kReplyRead};
    CStoreDeleteRequest deleteRequest_ {kReplyDeleted};
    CVXLStringArray pass_;
    std::uint32_t index_ = 0;
};
