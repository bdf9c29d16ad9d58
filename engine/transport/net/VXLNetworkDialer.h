#pragma once

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/transport/net/VXLNetworkJob.h"

#include <cstdint>

class CVXLCloseRequest;
class CVXLConnectRequest;
class CVXLHttpSettings;
class CVXLNetworkConnection;
class CVXLPlatformConnection;
class CVXLPlatformFactory;

// Owns the packet-data connection and the socket connections made over it.
// A connect request (4) brings the packet-data connection up when needed,
// looks the host name up off the engine thread when the request has one,
// opens and connects a socket (asking the platform again when the socket
// says the connect has ended, or after 100 ms, at most 150 times while it
// is under way) and answers with a started
// CVXLNetworkConnection; a close request (5) stops, shuts and deletes one.
// The packet-data connection is dropped 15 s after the last connection went.
class CVXLNetworkDialer : public CVXLNetworkJob {
public:
    enum Signal : std::int32_t {
        kConnectRequest = 4,
        kCloseRequest = 5,
        kSigStep = 7,
        kSigSocketClosed = 8,
        kSigDialResult = 9,
        kSigDialed = 10,
        kSigDialFailed = 11,
        kSigDialTimeout = 12,
        kSigConnectResult = 13,
        kSigConnected = 14,
        kSigConnectFailed = 16,
        kSigConnectTimeout = 17,
        kSigChildEnded = 18,
        kSigSocketShut = 19,
        kSigLingerTimeout = 20,
        kSigHungUp = 21,
        kSigRetryTimer = 22,
        kSigResolved = 23,
        kSigConnectReady = 24,
    };
    static constexpr std::uint32_t kDialTimeoutMs = 120000;
    static constexpr std::uint32_t kConnectTimeoutMs = 120000;
    static constexpr std::uint32_t kRetryDelayMs = 100;
    static constexpr std::uint32_t kMaxRetries = 150;
    static constexpr std::uint32_t kLingerMs = 15000;
    // As many as the platform factory hands out.
    static constexpr std::uint32_t kMaxConnections = 32;

    explicit CVXLNetworkDialer(CVXLPlatformFactory* factory, const CVXLHttpSettings* settings = nullptr);
    ~CVXLNetworkDialer() override;

    std::uint32_t connectionCount() const { return connectionCount_; }
    std::uint32_t retryCount() const { return retryCount_; }
    // The packet-data connection is up (dialled and not yet hung up).
    bool online() const { return online_; }
    std::uint32_t dialCount() const { return dialCount_; }

    void init() override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "CVXLNetworkDialer"; }

private:
    CVXLHsmState initial(const CVXLEvent* e);
    CVXLHsmState Root(const CVXLEvent* e);
    CVXLHsmState Offline(const CVXLEvent* e);
    CVXLHsmState Dialing(const CVXLEvent* e);
    CVXLHsmState AwaitingDial(const CVXLEvent* e);
    CVXLHsmState OpeningSocket(const CVXLEvent* e);
    CVXLHsmState Connecting(const CVXLEvent* e);
    CVXLHsmState RetryWait(const CVXLEvent* e);
    CVXLHsmState ClosingSocket(const CVXLEvent* e);
    CVXLHsmState SocketClosed(const CVXLEvent* e);
    CVXLHsmState Online(const CVXLEvent* e);
    CVXLHsmState Releasing(const CVXLEvent* e);
    CVXLHsmState AwaitingRelease(const CVXLEvent* e);
    CVXLHsmState ShuttingSocket(const CVXLEvent* e);
    CVXLHsmState SocketShut(const CVXLEvent* e);
    CVXLHsmState LingerStart(const CVXLEvent* e);
    CVXLHsmState Lingering(const CVXLEvent* e);
    CVXLHsmState HangingUp(const CVXLEvent* e);
    CVXLHsmState AwaitingHangUp(const CVXLEvent* e);
    CVXLHsmState CancelDialing(const CVXLEvent* e);
    CVXLHsmState AfterCancelDial(const CVXLEvent* e);
    CVXLHsmState StopDialing(const CVXLEvent* e);
    CVXLHsmState StopAfterDial(const CVXLEvent* e);
    CVXLHsmState StopConnecting(const CVXLEvent* e);
    CVXLHsmState StopAfterSocket(const CVXLEvent* e);
    CVXLHsmState StoppingAll(const CVXLEvent* e);
    CVXLHsmState StopAwaitRelease(const CVXLEvent* e);
    CVXLHsmState StopShutting(const CVXLEvent* e);
    CVXLHsmState StopShutSocket(const CVXLEvent* e);
    CVXLHsmState StopHangUp(const CVXLEvent* e);
    CVXLHsmState StopAwaitHangUp(const CVXLEvent* e);
    CVXLHsmState Stopped(const CVXLEvent* e);

    using State = CVXLHsmState (CVXLNetworkDialer::*)(const CVXLEvent*);
    // A state that does one thing in a step of its own.
    CVXLHsmState stepThen(const CVXLEvent* e, State next, void (CVXLNetworkDialer::*action)());

    bool takesRequests() override;
    void afterEvent(CVXLEvent* event) override;

    // Row helpers.
    bool takeConnect(const CVXLEvent* e);
    void postEntryStep();
    void postStep(std::int32_t code, std::int32_t result);
    void armTimeout(std::int32_t code, std::uint32_t delay);
    void setCallbackCode(std::int32_t code);
    void connectSocket();
    void lookedUp(std::uint32_t address);
    void closeHeldSocket();
    void closeDataConnection();
    void hangUp();
    void armLinger();
    void destroyHeldSocket();
    void wrapSocket();
    void stopReleased();
    void stopFirstConnection();
    void shutReleased();
    void deleteReleased();
    CVXLHsmState leaveWithoutSocket();
    CVXLHsmState stopNextConnection();
    CVXLNetworkConnection* findConnection(const CVXLEventHandler* face) const;
    bool hasConnections() const { return connectionCount_ != 0; }

    CVXLPlatformConnection* dataConnection_ = nullptr;
    CVXLNetworkConnection* connections_[kMaxConnections] = {};
    std::uint32_t connectionCount_ = 0;
    CVXLSimpleEvent timeoutTimer_ {kSigDialTimeout};
    CVXLSimpleEvent retryTimer_ {kSigRetryTimer};
    std::uint32_t dialTimeout_ = kDialTimeoutMs;
    std::uint32_t connectTimeout_ = kConnectTimeoutMs;
    std::uint32_t retryDelay_ = kRetryDelayMs;
    std::uint32_t retryCount_ = 0;
    std::uint32_t retryLimit_ = kMaxRetries;
    std::uint32_t lingerTime_ = kLingerMs;
    CVXLPlatformConnection* socket_ = nullptr;
    CVXLSimpleEvent childEnded_ {kSigChildEnded};
    CVXLNetworkConnection* released_ = nullptr;
    CVXLCallbackEvent callback_;
    CVXLCallbackEvent lookup_;
    CVXLCallbackEvent connectReady_;
    CVXLSimpleEvent step_ {kSigStep};

    CVXLPlatformFactory* factory_;
    bool online_ = false;
    bool stopDeferred_ = false;
    std::uint32_t dialCount_ = 0;
};
