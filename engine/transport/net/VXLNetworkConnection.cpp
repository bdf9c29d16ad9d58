#include "engine/transport/net/VXLNetworkConnection.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/transport/net/VXLReceiveRequest.h"
#include "engine/transport/net/VXLSendRequest.h"

CVXLNetworkConnection::ReceiveListener::ReceiveListener(CVXLNetworkConnection* owner)
    : owner(owner)
{
}

void CVXLNetworkConnection::ReceiveListener::dataArrived(const std::uint8_t* bytes, std::uint32_t count)
{
    if (!request || !request->buffer || !bytes || count == 0)
        return;
    if (request->buffer->append(bytes, count))
        request->received += count;
}

std::uint8_t* CVXLNetworkConnection::ReceiveListener::roomFor(std::uint32_t size)
{
    if (!request || !request->buffer)
        return nullptr;
    roomStart = request->buffer->length();
    return request->buffer->extend(size);
}

void CVXLNetworkConnection::ReceiveListener::roomFilled(std::uint32_t count)
{
    if (!request || !request->buffer)
        return;
    request->buffer->truncate(roomStart + count);
    request->received += count;
}

void CVXLNetworkConnection::ReceiveListener::complete(std::uint32_t status)
{
    std::int32_t code = kSigReceived;
    if (status != 0)
        code = kSigReceiveFailed;
    else if (!request || request->received == 0)
        code = kSigNoData;
    notification.setRequestCode(code);
    notification.setReplyCode(code);
    notification.setResult(static_cast<std::int32_t>(status));
    request = nullptr;
    owner->post(owner, &notification);
}

CVXLNetworkConnection::SendListener::SendListener(CVXLNetworkConnection* owner)
    : owner(owner)
{
}

const std::uint8_t* CVXLNetworkConnection::SendListener::getData()
{
    return request && request->buffer ? request->buffer->data() : nullptr;
}

std::uint32_t CVXLNetworkConnection::SendListener::getLength()
{
    return request && request->buffer ? request->buffer->length() : 0;
}

void CVXLNetworkConnection::SendListener::consume(std::uint32_t count, std::uint32_t error)
{
    if (request)
        request->sent = count;
    const std::int32_t code = error == 0 ? kSigSent : kSigSendFailed;
    notification.setRequestCode(code);
    notification.setReplyCode(code);
    notification.setResult(static_cast<std::int32_t>(error));
    request = nullptr;
    owner->post(owner, &notification);
}

CVXLNetworkConnection::CVXLNetworkConnection(CVXLPlatformConnection* socket, const CVXLHttpSettings* settings)
    : CVXLNetworkJob(&CVXLNetworkConnection::initial, settings)
    , socket_(socket)
    , receiveListener_(this)
    , sendListener_(this)
    , ready_(this, kSigReady)
    , closeCallback_(this, kSigClosed)
{
}

CVXLNetworkConnection::~CVXLNetworkConnection() = default;

bool CVXLNetworkConnection::takesRequests()
{
    return isIn(&CVXLNetworkConnection::Idle);
}

// Answers 90 at once when data traffic is off; otherwise the request becomes
// the current one, watched by its time-out.
bool CVXLNetworkConnection::takeRequest(const CVXLEvent* e, std::int32_t timeoutCode, std::uint32_t timeout)
{
    if (trafficOff()) {
        answer(const_cast<CVXLEvent*>(e), kResultDataTrafficOff);
        return false;
    }
    current_ = const_cast<CVXLEvent*>(e);
    timeoutTimer_.setRequestCode(timeoutCode);
    timeoutTimer_.setReplyCode(timeoutCode);
    postDelayed(&timeoutTimer_, timeout);
    return true;
}

void CVXLNetworkConnection::cancelTimers()
{
    if (socket_)
        socket_->unwatch();
    cancelEvent(&ready_);
    cancelEvent(&timeoutTimer_);
}

void CVXLNetworkConnection::watchSocket(CVXLPlatformConnection::Readiness what)
{
    ready_.setRequestCode(kSigReady);
    ready_.setReplyCode(kSigReady);
    if (socket_)
        socket_->watch(what, &ready_);
}

void CVXLNetworkConnection::startReceive()
{
    auto* request = static_cast<CVXLReceiveRequest*>(current_);
    request->received = 0;
    receiveListener_.request = request;
    if (socket_)
        socket_->receive(&receiveListener_, request->wanted);
    else
        receiveListener_.complete(kResultConnectFailed);
}

void CVXLNetworkConnection::startSend()
{
    sendListener_.request = static_cast<CVXLSendRequest*>(current_);
    if (socket_)
        socket_->send(&sendListener_);
    else
        sendListener_.consume(0, kResultConnectFailed);
}

void CVXLNetworkConnection::closeSocket()
{
    closeCallback_.setRequestCode(kSigClosed);
    closeCallback_.setReplyCode(kSigClosed);
    if (socket_)
        socket_->close(&closeCallback_);
    else
        closeCallback_.call(0);
}

CVXLHsmState CVXLNetworkConnection::initial(const CVXLEvent*)
{
    setState(&CVXLNetworkConnection::Idle);
    return handled();
}

CVXLHsmState CVXLNetworkConnection::Root(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalInit) {
        setState(&CVXLNetworkConnection::Idle);
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CVXLNetworkConnection::Idle(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kReceiveRequest:
        if (!takeRequest(e, kSigReceiveTimeout, receiveTimeout_))
            return handled();
        return transition(&CVXLNetworkConnection::Receiving);
    case kSendRequest:
        if (!takeRequest(e, kSigSendTimeout, sendTimeout_))
            return handled();
        return transition(&CVXLNetworkConnection::Sending);
    case kEventStop:
        return transition(&CVXLNetworkConnection::Stopped);
    }
    return super(&CVXLNetworkConnection::Root);
}

CVXLHsmState CVXLNetworkConnection::Receiving(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startReceive();
        return handled();
    case kSigReceived:
    case kSigReceiveFailed:
        cancelTimers();
        answerCurrent(e->result());
        return transition(&CVXLNetworkConnection::Idle);
    case kSigNoData:
        watchSocket(CVXLPlatformConnection::Readiness::Readable);
        return handled();
    case kSigReady:
        startReceive();
        return handled();
    case kSigReceiveTimeout:
        cancelTimers();
        answerCurrent(kResultTimedOut);
        return transition(&CVXLNetworkConnection::ClosingAfterReceive);
    case kEventCancelNotice:
        cancelTimers();
        answerCurrent(kResultCancelled);
        current_ = const_cast<CVXLEvent*>(e);
        return transition(&CVXLNetworkConnection::ClosingAfterReceive);
    case kEventStop:
        // Answered rather than dropped: its requester would wait for ever.
        cancelTimers();
        receiveListener_.request = nullptr;
        answerCurrent(kResultCancelled);
        return transition(&CVXLNetworkConnection::StoppingFromReceive);
    }
    return super(&CVXLNetworkConnection::Root);
}

CVXLHsmState CVXLNetworkConnection::Sending(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startSend();
        return handled();
    case kSigSent: {
        // Nothing sent: the HTTP job would offer the same bytes again at once
        // and spin; the request waits for room instead, watched by its
        // time-out, which no attempt re-arms.
        auto* request = static_cast<CVXLSendRequest*>(current_);
        if (request && request->sent == 0 && request->buffer && request->buffer->length() != 0 && socket_) {
            watchSocket(CVXLPlatformConnection::Readiness::Writable);
            return handled();
        }
        cancelTimers();
        answerCurrent(e->result());
        return transition(&CVXLNetworkConnection::Idle);
    }
    case kSigSendFailed:
        cancelTimers();
        answerCurrent(e->result());
        return transition(&CVXLNetworkConnection::Idle);
    case kSigReady:
        startSend();
        return handled();
    case kSigSendTimeout:
        cancelTimers();
        answerCurrent(kResultTimedOut);
        return transition(&CVXLNetworkConnection::ClosingAfterSend);
    case kEventCancelNotice:
        cancelTimers();
        answerCurrent(kResultCancelled);
        current_ = const_cast<CVXLEvent*>(e);
        return transition(&CVXLNetworkConnection::ClosingAfterSend);
    case kEventStop:
        cancelTimers();
        sendListener_.request = nullptr;
        answerCurrent(kResultCancelled);
        return transition(&CVXLNetworkConnection::StoppingFromSend);
    }
    return super(&CVXLNetworkConnection::Root);
}

// Late notifications of the request that ended are finished on arrival (see
// onEvent) and otherwise ignored here.
CVXLHsmState CVXLNetworkConnection::closing(const CVXLEvent* e, bool afterReceive)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        closeSocket();
        return handled();
    case kSigClosed:
        answerCurrent(kResultSucceeded);
        return transition(&CVXLNetworkConnection::Idle);
    case kEventStop:
        answerCurrent(kResultSucceeded);
        return afterReceive ? transition(&CVXLNetworkConnection::ClosedFromReceive)
                            : transition(&CVXLNetworkConnection::ClosedFromSend);
    }
    return super(&CVXLNetworkConnection::Root);
}

CVXLHsmState CVXLNetworkConnection::ClosingAfterReceive(const CVXLEvent* e)
{
    return closing(e, true);
}

CVXLHsmState CVXLNetworkConnection::ClosingAfterSend(const CVXLEvent* e)
{
    return closing(e, false);
}

CVXLHsmState CVXLNetworkConnection::stopping(const CVXLEvent* e, bool fromReceive)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        post(this, &stopStep_);
        return handled();
    case kSigStopStep:
        closeSocket();
        return fromReceive ? transition(&CVXLNetworkConnection::ClosedFromReceive)
                           : transition(&CVXLNetworkConnection::ClosedFromSend);
    }
    return super(&CVXLNetworkConnection::Root);
}

CVXLHsmState CVXLNetworkConnection::StoppingFromReceive(const CVXLEvent* e)
{
    return stopping(e, true);
}

CVXLHsmState CVXLNetworkConnection::StoppingFromSend(const CVXLEvent* e)
{
    return stopping(e, false);
}

CVXLHsmState CVXLNetworkConnection::closed(const CVXLEvent* e, bool)
{
    if (signalOf(e) == kSigClosed) {
        answerCurrent(kResultSucceeded);
        return transition(&CVXLNetworkConnection::Stopped);
    }
    return super(&CVXLNetworkConnection::Root);
}

CVXLHsmState CVXLNetworkConnection::ClosedFromReceive(const CVXLEvent* e)
{
    return closed(e, true);
}

CVXLHsmState CVXLNetworkConnection::ClosedFromSend(const CVXLEvent* e)
{
    return closed(e, false);
}

CVXLHsmState CVXLNetworkConnection::Stopped(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        finishEvent(&stopEvent());
        return handled();
    }
    return super(&CVXLNetworkConnection::Root);
}
