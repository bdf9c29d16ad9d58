#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLEventRing.h"
#include "engine/core/jobs/VXLHsm.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/transport/http/VXLHttpBodyData.h"
#include "engine/transport/http/VXLHttpBodyFramer.h"
#include "engine/transport/http/VXLHttpBodyRequest.h"
#include "engine/transport/http/VXLHttpResponse.h"
#include "engine/transport/http/VXLHttpResponseReader.h"
#include "engine/transport/net/VXLCloseRequest.h"
#include "engine/transport/net/VXLConnectRequest.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLReceiveRequest.h"
#include "engine/transport/net/VXLSendRequest.h"

#include <cstdint>

class CVXLHttpRequest;

// Carries out one HTTP exchange at a time for a requester: a connection from
// the dialer, the request head and body, the response head handed to the
// requester, then the body streamed into the requester's sink part by part,
// each part acknowledged before the next is read. A connection is kept for
// 13 s for a following request to the same host and port. An exchange is
// given up with 65 when fewer than kLowSpeedMinBytes move, sent and received
// together, in a window of kLowSpeedWindowMs: windows follow each other from
// the request on, so a trickle ends within two windows of its start. A
// steady trickle above that least still ends with 65 at the exchange's total
// bound: kTotalBaseMs and the bytes it is known to move (the request body,
// then the reply's Content-Length) at kSlowestBytesPerSecond. While the
// reply's length is not known it is the settings' maximum, or what the bound
// of the length announced before the exchange (the request's expected reply
// length) comes to, when that is longer.
class CHTTPv2Job : public CVXLHsm, public CVXLEventHandler {
public:
    enum Signal : std::int32_t {
        kSigKeepAliveTimer = 11,
        kSigCancelDone = 12,
        kSigError = 13,
        kSigCloseAfterCancel = 14,
        kSigExchangeDone = 15,
        kSigFailed = 16,
        kSigSucceeded = 17,
        kSigTooSlow = 18,
    };
    static constexpr std::uint32_t kKeepAliveMs = 13000;
    static constexpr std::uint32_t kHeadReadSize = 1024;
    // A byte a second moves 60 bytes a window, and a request and a reply head
    // a few hundred more; the slowest link we serve (~2 KB/s) moves 120 KB.
    // 1 KB fails the first and passes the second a hundredfold.
    static constexpr std::uint32_t kLowSpeedWindowMs = 60000;
    static constexpr std::uint32_t kLowSpeedMinBytes = 1024;
    // What an exchange may take besides its bytes (dial, heads, a pause),
    // and the rate its known bytes are given: an eighth of that link.
    static constexpr std::uint32_t kTotalBaseMs = 2 * kLowSpeedWindowMs;
    static constexpr std::uint32_t kSlowestBytesPerSecond = 256;
    // The bound of an exchange whose reply length is not known, unless the
    // settings name another.
    static constexpr std::uint32_t kDefaultMaxExchangeMs = 10 * 60 * 1000;
    // No bound is longer than a day.
    static constexpr std::uint32_t kLongestBoundMs = 24 * 60 * 60 * 1000;
    // Interim (1xx) heads taken before a final one; more are a peer that
    // would keep the exchange busy for ever.
    static constexpr std::uint32_t kMaxInterimHeads = 16;

    explicit CHTTPv2Job(CVXLEventHandler* dialer = nullptr);
    ~CHTTPv2Job() override;

    void setDialer(CVXLEventHandler* dialer) { dialer_ = dialer; }
    void setSettings(const CVXLHttpSettings* settings) { settings_ = settings; }
    // A shorter window for tests against real peers; kLowSpeedWindowMs
    // otherwise.
    void setLowSpeedWindow(std::uint32_t ms) { lowSpeedWindowMs_ = ms; }
    // The last failure of an exchange (the Client's error code).
    std::int32_t errorCode() const { return errorCode_; }
    // Leaves every active state, so that the next start begins anew.
    void resetMachine() { exitAll(); }

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "HTTPv2 Job"; }

    // The states, in the order of the state table; callers may ask isIn.
    CVXLHsmState Root(const CVXLEvent* e);
    CVXLHsmState Idle(const CVXLEvent* e);
    CVXLHsmState Connecting(const CVXLEvent* e);
    CVXLHsmState Active(const CVXLEvent* e);
    // Groups of Active's states by whom they wait for; each group handles
    // stop and cancellation alike.
    CVXLHsmState WaitingForConnection(const CVXLEvent* e);
    CVXLHsmState WaitingForRequester(const CVXLEvent* e);
    CVXLHsmState SendingHead(const CVXLEvent* e);
    CVXLHsmState AwaitingBodyPart(const CVXLEvent* e);
    CVXLHsmState SendingBodyPart(const CVXLEvent* e);
    CVXLHsmState AwaitingChunk(const CVXLEvent* e);
    CVXLHsmState SendingChunkHead(const CVXLEvent* e);
    CVXLHsmState SendingChunkData(const CVXLEvent* e);
    CVXLHsmState ReadingHead(const CVXLEvent* e);
    CVXLHsmState AwaitingHeadAck(const CVXLEvent* e);
    CVXLHsmState ReadingBody(const CVXLEvent* e);
    CVXLHsmState AwaitingBodyAck(const CVXLEvent* e);
    CVXLHsmState AwaitingLastAck(const CVXLEvent* e);
    CVXLHsmState KeptAlive(const CVXLEvent* e);
    CVXLHsmState ResendingOnKept(const CVXLEvent* e);
    CVXLHsmState CancellingConnection(const CVXLEvent* e);
    CVXLHsmState CancellingRequester(const CVXLEvent* e);
    CVXLHsmState CancellingDial(const CVXLEvent* e);
    CVXLHsmState ClosingAfterDone(const CVXLEvent* e);
    CVXLHsmState ClosingAfterError(const CVXLEvent* e);
    CVXLHsmState ClosingAfterIdle(const CVXLEvent* e);
    CVXLHsmState ClosingForNewHost(const CVXLEvent* e);

private:
    CVXLHsmState initial(const CVXLEvent* e);

    // Helpers for the longer row actions.
    bool acceptRequest();
    bool resolveTarget();
    void armWindow();
    void disarmWindow();
    // Arms the total bound from the bytes known so far; again when the
    // reply's head says how long its body is.
    void armDeadline();
    void disarmDeadline();
    bool refusedHead();
    void sendHead();
    void postSend();
    void askForBytes(std::uint32_t wanted);
    void prepareToReadResponse();
    void restartHead();
    CVXLHsmState afterHeadAck();
    void deliverBody(std::uint32_t count);
    void dropTrailingBytes();
    std::uint32_t bodyReadSize() const;
    void goOnOrAskForBytes(std::uint32_t wanted);
    void askForBodyPart();
    bool failedReply(const CVXLEvent* e);
    void markCancelled();
    void giveUp();
    void giveBackConnection();
    void fail(std::int32_t result);
    void answerRequest();
    void answerRequest(std::int32_t result);
    void closeConnection();
    void resetExchange();
    bool keepConnection() const;
    bool responseHasNoBody() const;
    bool isRequestCode(std::int32_t code) const;
    std::uint32_t readSize() const;
    std::uint32_t buffered() const { return receiveBuffer_.length(); }
    void dispatchSignal(std::int32_t signal, std::int32_t result);

    CVXLHttpRequest* request_ = nullptr;
    CVXLString keptHostPort_;
    CVXLHttpResponse response_;
    CVXLHttpBodyData bodyData_;
    CVXLHttpBodyRequest bodyRequest_;
    CVXLConnectRequest connectRequest_;
    CVXLReceiveRequest receiveRequest_;
    CVXLSendRequest sendRequest_;
    CVXLCloseRequest closeRequest_;
    CVXLSimpleEvent keepAliveTimer_ {kSigKeepAliveTimer};
    CVXLSimpleEvent windowTimer_ {kSigTooSlow};
    CVXLSimpleEvent deadlineTimer_ {kSigTooSlow};
    CVXLByteBuffer receiveBuffer_;
    CVXLByteBuffer sendBuffer_;
    CVXLHttpResponseReader reader_;
    CVXLHttpBodyFramer framer_;
    std::uint32_t totalSent_ = 0;
    CVXLSimpleEvent slots_[4];
    CVXLEventRing ring_;

    CVXLEventHandler* dialer_ = nullptr;
    CVXLEventHandler* connection_ = nullptr;
    const CVXLHttpSettings* settings_ = nullptr;
    std::int32_t errorCode_ = 0;
    std::uint32_t lowSpeedWindowMs_ = kLowSpeedWindowMs;
    // Sent and received since the window began.
    std::uint64_t windowBytes_ = 0;
    std::uint32_t interimHeads_ = 0;
    // What an exchange taken back from the network or the requester is
    // answered with: 24 after a stop or cancel, 65 when too slow.
    std::int32_t abortResult_ = 0;
    bool windowArmed_ = false;
    bool deadlineArmed_ = false;
    // The total bound passed, rather than a window with too little.
    bool deadlinePassed_ = false;
    // When the exchange began (the engine's tick time), and its total bound
    // as last armed (ms from then).
    std::uint32_t exchangeStart_ = 0;
    std::uint32_t boundMs_ = 0;
    // Extra bytes past the body: the connection cannot be kept.
    bool trailingGarbage_ = false;
    // The exchange runs on a kept connection and has not been sent again.
    bool onKeptConnection_ = false;
    bool resent_ = false;
    // A stop that arrived mid-exchange is answered once the job is idle.
    bool stopPending_ = false;
};
