#pragma once

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/platform/VXLSinkInterface.h"
#include "engine/transport/net/VXLNetworkJob.h"

#include <cstdint>

class CVXLHttpSettings;
class CVXLReceiveRequest;
class CVXLSendRequest;

// One open socket connection, lent by the dialer to one HTTP job at a time.
// Serves one receive or send request at a time; a receive that finds no data
// or a send that finds no room watches the socket and tries again when the
// host's wait finds it ready. Watches each request with a time-out and closes
// the socket when a request times out or is cancelled, or when it is stopped.
// The platform socket belongs to the dialer.
class CVXLNetworkConnection : public CVXLNetworkJob {
public:
    enum Signal : std::int32_t {
        kSigStopStep = 6,
        kSigClosed = 7,
        kSigReceived = 8,
        kSigNoData = 9,
        kSigReady = 10,
        kSigReceiveFailed = 11,
        kSigReceiveTimeout = 12,
        kSigSent = 13,
        kSigSendFailed = 14,
        kSigSendTimeout = 15,
    };
    static constexpr std::int32_t kReceiveRequest = 4;
    static constexpr std::int32_t kSendRequest = 5;
    static constexpr std::uint32_t kReceiveTimeoutMs = 60000;
    static constexpr std::uint32_t kSendTimeoutMs = 60000;

    explicit CVXLNetworkConnection(
        CVXLPlatformConnection* socket, const CVXLHttpSettings* settings = nullptr);
    ~CVXLNetworkConnection() override;

    CVXLPlatformConnection* socket() const { return socket_; }

    const char* name() const override { return "CVXLNetworkConnection"; }

private:
    // Collects what the platform's receive delivers into the served request;
    // the socket reads straight onto the end of the request's buffer.
    class ReceiveListener : public CVXLDataSink {
    public:
        explicit ReceiveListener(CVXLNetworkConnection* owner);
        void dataArrived(const std::uint8_t* bytes, std::uint32_t count) override;
        void complete(std::uint32_t status) override;
        std::uint8_t* roomFor(std::uint32_t size) override;
        void roomFilled(std::uint32_t count) override;

        CVXLNetworkConnection* owner;
        CVXLReceiveRequest* request = nullptr;
        // Where the room roomFor gave starts in the request's buffer.
        std::uint32_t roomStart = 0;
        CVXLSimpleEvent notification;
    };
    // Offers the served request's buffer to the platform's send.
    class SendListener : public CVXLSinkInterface {
    public:
        explicit SendListener(CVXLNetworkConnection* owner);
        const std::uint8_t* getData() override;
        std::uint32_t getLength() override;
        void consume(std::uint32_t count, std::uint32_t error) override;

        CVXLNetworkConnection* owner;
        CVXLSendRequest* request = nullptr;
        CVXLSimpleEvent notification;
    };

    CVXLHsmState initial(const CVXLEvent* e);
    CVXLHsmState Root(const CVXLEvent* e);
    CVXLHsmState Idle(const CVXLEvent* e);
    CVXLHsmState Receiving(const CVXLEvent* e);
    CVXLHsmState Sending(const CVXLEvent* e);
    CVXLHsmState ClosingAfterReceive(const CVXLEvent* e);
    CVXLHsmState ClosingAfterSend(const CVXLEvent* e);
    CVXLHsmState StoppingFromReceive(const CVXLEvent* e);
    CVXLHsmState StoppingFromSend(const CVXLEvent* e);
    CVXLHsmState ClosedFromReceive(const CVXLEvent* e);
    CVXLHsmState ClosedFromSend(const CVXLEvent* e);
    CVXLHsmState Stopped(const CVXLEvent* e);

    // Shared rows of the closing and stopping states.
    CVXLHsmState closing(const CVXLEvent* e, bool afterReceive);
    CVXLHsmState stopping(const CVXLEvent* e, bool fromReceive);
    CVXLHsmState closed(const CVXLEvent* e, bool fromReceive);

    bool takesRequests() override;
    bool takeRequest(const CVXLEvent* e, std::int32_t timeoutCode, std::uint32_t timeout);
    void startReceive();
    void startSend();
    void watchSocket(CVXLPlatformConnection::Readiness what);
    void closeSocket();
    void cancelTimers();

    CVXLPlatformConnection* socket_;
    ReceiveListener receiveListener_;
    SendListener sendListener_;
    std::uint32_t receiveTimeout_ = kReceiveTimeoutMs;
    std::uint32_t sendTimeout_ = kSendTimeoutMs;
    CVXLCallbackEvent ready_;
    CVXLSimpleEvent timeoutTimer_ {kSigReceiveTimeout};
    CVXLCallbackEvent closeCallback_;
    CVXLSimpleEvent stopStep_ {kSigStopStep};
};
