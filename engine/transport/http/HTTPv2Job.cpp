#include "engine/transport/http/HTTPv2Job.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/text/VXLUri.h"
#include "engine/transport/http/VXLHttpRequest.h"
#include "engine/transport/http/VXLHttpRequestComposer.h"

#include <algorithm>

CHTTPv2Job::CHTTPv2Job(CVXLEventHandler* dialer)
    : CVXLHsm(&CHTTPv2Job::initial)
    , ring_(static_cast<CVXLEventHandler*>(this), slots_, 4)
    , dialer_(dialer)
{
    reader_.setBuffer(&receiveBuffer_);
    receiveRequest_.buffer = &receiveBuffer_;
    sendRequest_.buffer = &sendBuffer_;
}

CHTTPv2Job::~CHTTPv2Job() = default;

CVXLHsmState CHTTPv2Job::initial(const CVXLEvent*)
{
    setState(&CHTTPv2Job::Idle);
    return handled();
}

CVXLHsmState CHTTPv2Job::Root(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalInit:
        setState(&CHTTPv2Job::Idle);
        return handled();
    case kSigTooSlow:
        // Where nothing is outstanding the exchange is ending anyway.
        return handled();
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CHTTPv2Job::Idle(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    if (s == kSignalEntry) {
        connection_ = nullptr;
        onKeptConnection_ = false;
        if (stopPending_) {
            stopPending_ = false;
            finishEvent(&stopEvent());
        }
        return handled();
    }
    if (isRequestCode(s)) {
        if (!acceptRequest() || !resolveTarget()) {
            answerRequest(kResultMalformed);
            return handled();
        }
        post(dialer_, &connectRequest_);
        return transition(&CHTTPv2Job::Connecting);
    }
    return super(&CHTTPv2Job::Root);
}

CVXLHsmState CHTTPv2Job::Connecting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        connection_ = connectRequest_.connection;
        sendHead();
        return transition(&CHTTPv2Job::SendingHead);
    case kSigFailed:
        answerRequest(e->result());
        return transition(&CHTTPv2Job::Idle);
    case kSigTooSlow:
        giveUp();
        return transition(&CHTTPv2Job::CancellingDial);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CHTTPv2Job::CancellingDial);
    }
    return super(&CHTTPv2Job::Root);
}

CVXLHsmState CHTTPv2Job::Active(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigError:
        closeConnection();
        return transition(&CHTTPv2Job::ClosingAfterError);
    case kSigCloseAfterCancel:
        closeConnection();
        return transition(&CHTTPv2Job::ClosingAfterDone);
    case kSigExchangeDone:
        if (keepConnection()) {
            keptHostPort_ = request_->target().hostPort();
            answerRequest();
            return transition(&CHTTPv2Job::KeptAlive);
        }
        closeConnection();
        return transition(&CHTTPv2Job::ClosingAfterDone);
    case kSigFailed:
        fail(e->result());
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        return handled();
    }
    return super(&CHTTPv2Job::Root);
}

// The states below wait for the connection: a stop or a cancellation
// notice first takes back what is outstanding with it.
CVXLHsmState CHTTPv2Job::WaitingForConnection(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigTooSlow:
        giveUp();
        return transition(&CHTTPv2Job::CancellingConnection);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CHTTPv2Job::CancellingConnection);
    }
    return super(&CHTTPv2Job::Active);
}

// The states below wait for the requester's answer.
CVXLHsmState CHTTPv2Job::WaitingForRequester(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigTooSlow:
        giveUp();
        return transition(&CHTTPv2Job::CancellingRequester);
    case kEventStop:
    case kEventCancelNotice:
        return transition(&CHTTPv2Job::CancellingRequester);
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::SendingHead(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        if (request_->requestCode() != CVXLHttpRequest::kPost
            || (!request_->hasFlag(CVXLHttpRequest::kFlagChunkedBody) && request_->contentLength() == 0)) {
            prepareToReadResponse();
            return transition(&CHTTPv2Job::ReadingHead);
        }
        if (!request_->hasFlag(CVXLHttpRequest::kFlagChunkedBody)) {
            bodyRequest_.remaining = request_->contentLength();
            askForBodyPart();
            return transition(&CHTTPv2Job::AwaitingBodyPart);
        }
        sendBuffer_.clear();
        askForBodyPart();
        return transition(&CHTTPv2Job::AwaitingChunk);
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::AwaitingBodyPart(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyRequest::kReply: {
        if (failedReply(e))
            return handled();
        const CVXLByteBuffer* part = bodyRequest_.part;
        if (!part || part->length() == 0) {
            fail(kResultMissingLength);
            return handled();
        }
        // Never more than the length announced in the head.
        std::uint32_t n = part->length();
        if (n > bodyRequest_.remaining)
            n = bodyRequest_.remaining;
        sendBuffer_.clear();
        sendBuffer_.append(part->data(), n);
        totalSent_ = 0;
        postSend();
        return transition(&CHTTPv2Job::SendingBodyPart);
    }
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

CVXLHsmState CHTTPv2Job::SendingBodyPart(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded: {
        const std::uint32_t sent = sendRequest_.sent;
        bodyRequest_.remaining -= sent < bodyRequest_.remaining ? sent : bodyRequest_.remaining;
        if (bodyRequest_.remaining == 0) {
            prepareToReadResponse();
            return transition(&CHTTPv2Job::ReadingHead);
        }
        askForBodyPart();
        return transition(&CHTTPv2Job::AwaitingBodyPart);
    }
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::AwaitingChunk(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyRequest::kReply: {
        if (failedReply(e))
            return handled();
        const CVXLByteBuffer* part = bodyRequest_.part;
        if (!part) {
            fail(kResultMalformed);
            return handled();
        }
        CVXLString line;
        line.appendNumber(part->length(), 16, false);
        line += part->length() == 0 ? "\r\n\r\n" : "\r\n";
        sendBuffer_.clear();
        sendBuffer_.append(line.c_str(), line.length());
        totalSent_ = 0;
        postSend();
        return transition(&CHTTPv2Job::SendingChunkHead);
    }
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

CVXLHsmState CHTTPv2Job::SendingChunkHead(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded: {
        const CVXLByteBuffer* part = bodyRequest_.part;
        if (!part || part->length() == 0) {
            prepareToReadResponse();
            return transition(&CHTTPv2Job::ReadingHead);
        }
        sendBuffer_.clear();
        sendBuffer_.append(part->data(), part->length());
        sendBuffer_.append("\r\n", 2);
        totalSent_ = 0;
        postSend();
        return transition(&CHTTPv2Job::SendingChunkData);
    }
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::SendingChunkData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        askForBodyPart();
        return transition(&CHTTPv2Job::AwaitingChunk);
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::ReadingHead(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        switch (reader_.feed()) {
        case CVXLScanResult::NeedMore:
            askForBytes(kHeadReadSize);
            return handled();
        case CVXLScanResult::Malformed:
            fail(kResultMalformed);
            return handled();
        case CVXLScanResult::Done:
            break;
        }
        if (response_.statusCode() >= 100 && response_.statusCode() < 200) {
            if (++interimHeads_ > kMaxInterimHeads) {
                VXL_LOG_INFO("HTTP reply refused: more than %u interim heads", kMaxInterimHeads);
                fail(kResultMalformed);
                return handled();
            }
            // An interim head: what came after it belongs to the final one.
            restartHead();
            goOnOrAskForBytes(kHeadReadSize);
            return handled();
        }
        if (refusedHead()) {
            fail(kResultMalformed);
            return handled();
        }
        post(request_->source(), &response_);
        return transition(&CHTTPv2Job::AwaitingHeadAck);
    case kSigFailed:
        // A kept connection that the server has closed meanwhile: the
        // request goes once more over a new connection.
        if (onKeptConnection_ && !resent_ && buffered() == 0 && response_.statusText().length() == 0) {
            resent_ = true;
            closeConnection();
            return transition(&CHTTPv2Job::ClosingForNewHost);
        }
        if (e->result() == static_cast<std::int32_t>(kPlatformPeerClosed)) {
            // A broken exchange, not a connection that is down.
            VXL_LOG_INFO("HTTP reply cut short: the peer closed inside its head");
            fail(kResultTransactionFailed);
            return handled();
        }
        break;
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::AwaitingHeadAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpResponse::kReplyCode:
        if (failedReply(e))
            return handled();
        return afterHeadAck();
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

CVXLHsmState CHTTPv2Job::ReadingBody(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded: {
        CVXLHttpBodyFramer::Taken taken;
        const CVXLScanResult result = framer_.take(receiveBuffer_.data(), buffered(), &taken);
        if (result == CVXLScanResult::Malformed) {
            fail(kResultMalformed);
            return handled();
        }
        receiveBuffer_.remove(0, taken.framing);
        if (taken.body != 0) {
            deliverBody(taken.body);
            return transition(&CHTTPv2Job::AwaitingBodyAck);
        }
        if (result == CVXLScanResult::Done) {
            // Chunks end with an empty part of their own.
            dropTrailingBytes();
            bodyData_.finalPart = true;
            post(request_->source(), &bodyData_);
            return transition(&CHTTPv2Job::AwaitingLastAck);
        }
        askForBytes(bodyReadSize());
        return handled();
    }
    case kSigFailed:
        if (framer_.endsAtClose() && e->result() == static_cast<std::int32_t>(kPlatformPeerClosed)) {
            ring_.postSignal(kSigExchangeDone);
            return handled();
        }
        if (e->result() == static_cast<std::int32_t>(kPlatformPeerClosed)) {
            VXL_LOG_INFO("HTTP reply cut short: the peer closed after %llu bytes of its body",
                static_cast<unsigned long long>(bodyData_.delivered));
            fail(kResultTransactionFailed);
            return handled();
        }
        break;
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::AwaitingBodyAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyData::kReply:
        if (failedReply(e))
            return handled();
        if (framer_.done()) {
            ring_.postSignal(kSigExchangeDone);
            return handled();
        }
        goOnOrAskForBytes(bodyReadSize());
        return transition(&CHTTPv2Job::ReadingBody);
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

CVXLHsmState CHTTPv2Job::AwaitingLastAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyData::kReply:
        if (!failedReply(e))
            ring_.postSignal(kSigExchangeDone);
        return handled();
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

CVXLHsmState CHTTPv2Job::KeptAlive(const CVXLEvent* e)
{
    const std::int32_t s = signalOf(e);
    switch (s) {
    case kSignalEntry:
        postDelayed(&keepAliveTimer_, kKeepAliveMs);
        return handled();
    case kSignalExit:
        keptHostPort_.clear();
        cancelEvent(&keepAliveTimer_);
        return handled();
    case kSigKeepAliveTimer:
        closeConnection();
        return transition(&CHTTPv2Job::ClosingAfterIdle);
    case kEventStop:
        closeConnection();
        return transition(&CHTTPv2Job::ClosingAfterIdle);
    }
    if (isRequestCode(s)) {
        if (!acceptRequest()) {
            answerRequest(kResultMalformed);
            return handled();
        }
        if (request_->target().hostPort() == keptHostPort_) {
            onKeptConnection_ = true;
            sendHead();
            return transition(&CHTTPv2Job::ResendingOnKept);
        }
        closeConnection();
        return transition(&CHTTPv2Job::ClosingForNewHost);
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::ResendingOnKept(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalExit:
        return handled();
    case kSigSucceeded:
        ring_.postSignal(kSigSucceeded);
        return transition(&CHTTPv2Job::SendingHead);
    case kSigFailed:
        resent_ = true;
        closeConnection();
        return transition(&CHTTPv2Job::ClosingForNewHost);
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::CancellingConnection(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        markCancelled();
        if (cancelEventsWith(connection_) == 0)
            ring_.postSignal(kSigCancelDone);
        return handled();
    case CVXLHttpResponse::kReplyCode:
    case kSigCancelDone:
    case kSigFailed:
    case kSigSucceeded:
        ring_.postSignal(kSigCloseAfterCancel);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::CancellingRequester(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        markCancelled();
        if (!request_ || cancelEventsWith(request_->source()) == 0)
            ring_.postSignal(kSigCancelDone);
        return handled();
    case CVXLHttpBodyData::kReply:
    case CVXLHttpBodyRequest::kReply:
    case CVXLHttpResponse::kReplyCode:
    case kSigCancelDone:
    case kSigFailed:
        ring_.postSignal(kSigCloseAfterCancel);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::CancellingDial(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (cancelEventsWith(dialer_) == 0)
            ring_.postSignal(kSigCancelDone);
        return handled();
    case kSigCancelDone:
    case kSigFailed:
        // A connect the dialer had already answered before the cancel reached
        // it carries 24 now, but its connection was handed out: give it back.
        if (connectRequest_.connection) {
            giveBackConnection();
            return transition(&CHTTPv2Job::ClosingAfterError);
        }
        answerRequest(abortResult_ != 0 ? abortResult_ : kResultCancelled);
        return transition(&CHTTPv2Job::Idle);
    case kSigSucceeded:
        // The connect finished before the cancel reached the dialer: give
        // the connection back, then answer.
        giveBackConnection();
        return transition(&CHTTPv2Job::ClosingAfterError);
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::ClosingAfterDone(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        answerRequest(request_ ? request_->result() : 0);
        return transition(&CHTTPv2Job::Idle);
    case kSigFailed:
        answerRequest(e->result());
        return transition(&CHTTPv2Job::Idle);
    case kEventStop:
        return handled();
    case kEventCancelNotice:
        if (request_)
            request_->setResult(kResultCancelled);
        return handled();
    }
    return super(&CHTTPv2Job::Root);
}

CVXLHsmState CHTTPv2Job::ClosingAfterError(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
    case kSigFailed:
        answerRequest(request_ ? request_->result() : 0);
        return transition(&CHTTPv2Job::Idle);
    case kEventStop:
    case kEventCancelNotice:
        return handled();
    }
    return super(&CHTTPv2Job::Root);
}

CVXLHsmState CHTTPv2Job::ClosingAfterIdle(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
    case kSigFailed:
        return transition(&CHTTPv2Job::Idle);
    case kEventStop:
    case kEventCancelNotice:
        return handled();
    }
    return super(&CHTTPv2Job::Root);
}

CVXLHsmState CHTTPv2Job::ClosingForNewHost(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
    case kSigFailed:
        // A request stopped, cancelled or given up as too slow meanwhile is
        // answered, not sent again: a stopped job would never serve it, a
        // cancelled one must not.
        if (request_ && abortResult_ != 0) {
            answerRequest(abortResult_);
            return transition(&CHTTPv2Job::Idle);
        }
        if (request_)
            ring_.postSignal(request_->requestCode());
        return transition(&CHTTPv2Job::Idle);
    case kSigTooSlow:
        giveUp();
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        markCancelled();
        return handled();
    }
    return super(&CHTTPv2Job::Root);
}
