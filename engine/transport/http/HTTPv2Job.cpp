#include "engine/transport/http/HTTPv2Job.h"

#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/text/VXLUri.h"
#include "engine/transport/http/VXLHttpRequest.h"
#include "engine/transport/http/VXLHttpRequestComposer.h"
#include "engine/core/jobs/VXLResultCodes.h"

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
        resetExchange();
        if (!resolveTarget()) {
            answerRequest(kResultMalformed);
            return handled();
        }
        post(dialer_, &connectRequest_);
        transition(&CHTTPv2Job::Connecting);
        return handled();
    }
    return super(&CHTTPv2Job::Root);
}

CVXLHsmState CHTTPv2Job::Connecting(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        connection_ = connectRequest_.connection;
        sendHead();
        transition(&CHTTPv2Job::SendingHead);
        return handled();
    case kSigFailed:
        answerRequest(e->result());
        transition(&CHTTPv2Job::Idle);
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingDial);
        return handled();
    }
    return super(&CHTTPv2Job::Root);
}

CVXLHsmState CHTTPv2Job::Active(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigError:
        closeConnection();
        transition(&CHTTPv2Job::ClosingAfterError);
        return handled();
    case kSigCloseAfterCancel:
        closeConnection();
        transition(&CHTTPv2Job::ClosingAfterDone);
        return handled();
    case kSigExchangeDone:
        if (keepConnection()) {
            keptHostPort_ = request_->target().hostPort();
            answerRequest();
            transition(&CHTTPv2Job::KeptAlive);
        } else {
            closeConnection();
            transition(&CHTTPv2Job::ClosingAfterDone);
        }
        return handled();
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
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

// The states below wait for the requester's answer.
CVXLHsmState CHTTPv2Job::WaitingForRequester(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingRequester);
        return handled();
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
            transition(&CHTTPv2Job::ReadingHead);
        } else if (!request_->hasFlag(CVXLHttpRequest::kFlagChunkedBody)) {
            bodyRequest_.remaining = request_->contentLength();
            askForBodyPart();
            transition(&CHTTPv2Job::AwaitingBodyPart);
        } else {
            sendBuffer_.clear();
            askForBodyPart();
            transition(&CHTTPv2Job::AwaitingChunk);
        }
        return handled();
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
        transition(&CHTTPv2Job::SendingBodyPart);
        return handled();
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
            transition(&CHTTPv2Job::ReadingHead);
        } else {
            askForBodyPart();
            transition(&CHTTPv2Job::AwaitingBodyPart);
        }
        return handled();
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
        transition(&CHTTPv2Job::SendingChunkHead);
        return handled();
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
            transition(&CHTTPv2Job::ReadingHead);
            return handled();
        }
        sendBuffer_.clear();
        sendBuffer_.append(part->data(), part->length());
        sendBuffer_.append("\r\n", 2);
        totalSent_ = 0;
        postSend();
        transition(&CHTTPv2Job::SendingChunkData);
        return handled();
    }
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::SendingChunkData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        askForBodyPart();
        transition(&CHTTPv2Job::AwaitingChunk);
        return handled();
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::ReadingHead(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        switch (reader_.feed()) {
        case CVXLHttpResponseReader::kNeedMore:
            askForBytes(kHeadReadSize);
            return handled();
        case CVXLHttpResponseReader::kMalformed:
            fail(kResultMalformed);
            return handled();
        case CVXLHttpResponseReader::kHeadComplete:
            break;
        }
        if (response_.statusCode() >= 100 && response_.statusCode() < 200) {
            // An interim head: what came after it belongs to the final one.
            restartHead();
            goOnOrAskForBytes(kHeadReadSize);
            return handled();
        }
        post(request_->source(), &response_);
        transition(&CHTTPv2Job::AwaitingHeadAck);
        return handled();
    case kSigFailed:
        // A kept connection that the server has closed meanwhile: the
        // request goes once more over a new connection.
        if (onKeptConnection_ && !resent_ && buffered() == 0 && response_.statusText().length() == 0) {
            resent_ = true;
            closeConnection();
            transition(&CHTTPv2Job::ClosingForNewHost);
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
        afterHeadAck();
        return handled();
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

CVXLHsmState CHTTPv2Job::ReadingBody(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        if (buffered() == 0) {
            askForBytes(readSize());
            return handled();
        }
        transition(&CHTTPv2Job::AwaitingBodyAck);
        deliverBody(capToBodyLeft(buffered()));
        return handled();
    case kSigFailed:
        if (closeDelimited_ && e->result() == static_cast<std::int32_t>(kPlatformPeerClosed)) {
            ring_.postSignal(kSigExchangeDone);
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
        if (bodyData_.lengthKnown && bodyData_.remaining == 0) {
            ring_.postSignal(kSigExchangeDone);
            return handled();
        }
        transition(&CHTTPv2Job::ReadingBody);
        askForBytes(capToBodyLeft(readSize()));
        return handled();
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

CVXLHsmState CHTTPv2Job::ReadingChunkSize(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded: {
        std::uint32_t size = 0;
        std::uint32_t line = 0;
        switch (CVXLHttpResponseReader::scanChunkSizeLine(receiveBuffer_, &size, &line)) {
        case CVXLHttpResponseReader::kChunkLineNeedMore:
            askForBytes(readSize());
            return handled();
        case CVXLHttpResponseReader::kChunkLineMalformed:
            fail(kResultMalformed);
            return handled();
        case CVXLHttpResponseReader::kChunkLineDone:
            break;
        }
        receiveBuffer_.remove(0, line);
        if (size == 0) {
            transition(&CHTTPv2Job::ReadingTrailer);
            goOnOrAskForBytes(readSize());
            return handled();
        }
        chunkSize_ = size;
        chunkReceived_ = 0;
        if (buffered() >= size) {
            transition(&CHTTPv2Job::AwaitingChunkEndAck);
            deliverBody(size);
        } else {
            ring_.postSignal(kSigSucceeded);
            transition(&CHTTPv2Job::ReadingChunkData);
        }
        return handled();
    }
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::ReadingChunkData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded: {
        const std::uint32_t b = buffered();
        const std::uint32_t left = chunkSize_ - chunkReceived_;
        if (b == 0) {
            askForBytes(std::min(left, readSize()));
        } else if (b < left) {
            chunkReceived_ += b;
            transition(&CHTTPv2Job::AwaitingChunkAck);
            deliverBody(b);
        } else {
            chunkReceived_ = chunkSize_;
            transition(&CHTTPv2Job::AwaitingChunkEndAck);
            deliverBody(left);
        }
        return handled();
    }
    }
    return super(&CHTTPv2Job::WaitingForConnection);
}

CVXLHsmState CHTTPv2Job::AwaitingChunkAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyData::kReply: {
        if (failedReply(e))
            return handled();
        transition(&CHTTPv2Job::ReadingChunkData);
        askForBytes(std::min(chunkSize_ - chunkReceived_, readSize()));
        return handled();
    }
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

CVXLHsmState CHTTPv2Job::AwaitingChunkEndAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyData::kReply:
        if (failedReply(e))
            return handled();
        transition(&CHTTPv2Job::ReadingChunkSize);
        goOnOrAskForBytes(readSize());
        return handled();
    }
    return super(&CHTTPv2Job::WaitingForRequester);
}

// After the last chunk: the trailer up to its blank line is read too, or it
// would be taken for the start of the next response on a kept connection.
CVXLHsmState CHTTPv2Job::ReadingTrailer(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded: {
        std::uint32_t length = 0;
        switch (CVXLHttpResponseReader::scanTrailer(receiveBuffer_, &length)) {
        case CVXLHttpResponseReader::kChunkLineNeedMore:
            askForBytes(readSize());
            return handled();
        case CVXLHttpResponseReader::kChunkLineMalformed:
            fail(kResultMalformed);
            return handled();
        case CVXLHttpResponseReader::kChunkLineDone:
            break;
        }
        receiveBuffer_.remove(0, length);
        dropTrailingBytes();
        bodyData_.finalPart = true;
        post(request_->source(), &bodyData_);
        transition(&CHTTPv2Job::AwaitingLastAck);
        return handled();
    }
    }
    return super(&CHTTPv2Job::WaitingForConnection);
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
        transition(&CHTTPv2Job::ClosingAfterIdle);
        return handled();
    case kEventStop:
        closeConnection();
        transition(&CHTTPv2Job::ClosingAfterIdle);
        return handled();
    }
    if (isRequestCode(s)) {
        resetExchange();
        if (request_->target().hostPort() == keptHostPort_) {
            onKeptConnection_ = true;
            sendHead();
            transition(&CHTTPv2Job::ResendingOnKept);
        } else {
            closeConnection();
            transition(&CHTTPv2Job::ClosingForNewHost);
        }
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::ResendingOnKept(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalExit:
        return handled();
    case kSigSucceeded:
        transition(&CHTTPv2Job::SendingHead);
        ring_.postSignal(kSigSucceeded);
        return handled();
    case kSigFailed:
        resent_ = true;
        closeConnection();
        transition(&CHTTPv2Job::ClosingForNewHost);
        return handled();
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
            transition(&CHTTPv2Job::ClosingAfterError);
            return handled();
        }
        answerRequest(kResultCancelled);
        transition(&CHTTPv2Job::Idle);
        return handled();
    case kSigSucceeded:
        // The connect finished before the cancel reached the dialer: give
        // the connection back, then answer.
        giveBackConnection();
        transition(&CHTTPv2Job::ClosingAfterError);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::ClosingAfterDone(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        answerRequest(request_ ? request_->result() : 0);
        transition(&CHTTPv2Job::Idle);
        return handled();
    case kSigFailed:
        answerRequest(e->result());
        transition(&CHTTPv2Job::Idle);
        return handled();
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
        transition(&CHTTPv2Job::Idle);
        return handled();
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
        transition(&CHTTPv2Job::Idle);
        return handled();
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
        if (request_)
            ring_.postSignal(request_->requestCode());
        transition(&CHTTPv2Job::Idle);
        return handled();
    case kEventStop:
        return handled();
    case kEventCancelNotice:
        if (request_)
            request_->setResult(kResultCancelled);
        return handled();
    }
    return super(&CHTTPv2Job::Root);
}
