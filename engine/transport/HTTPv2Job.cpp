#include "engine/transport/HTTPv2Job.h"

#include "engine/core/VXLCancelNotice.h"
#include "engine/core/VXLUri.h"
#include "engine/transport/VXLHttpRequest.h"
#include "engine/transport/VXLHttpRequestComposer.h"
#include "engine/transport/VXLNetResults.h"

namespace {

// The platform reports a peer that closed its side as its own status.
constexpr std::int32_t kPeerClosed = 17;

} // namespace

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

// Event translation: replies of the dialer and the connection become the
// machine's success and failure signals; everything is finished before the
// machine runs, so the machine may post the same member event again.
void CHTTPv2Job::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    const bool isReply = event->kind() == kEventReply;
    std::int32_t result = event->status() == kEventCancelledByPeer ? kResultCancelled : event->result();

    if (!isReply && event->source() == static_cast<CVXLEventHandler*>(this)) {
        finishEvent(event);
        // A held request raised again after a reconnect.
        if (request_ && isRequestCode(code)) {
            dispatch(request_);
            return;
        }
        dispatchSignal(code, result);
        return;
    }
    if (isReply && (event == &connectRequest_ || event == &receiveRequest_ || event == &closeRequest_)) {
        finishEvent(event);
        dispatchSignal(result == kResultSucceeded ? kSigSucceeded : kSigFailed, result);
        return;
    }
    if (isReply && event == &sendRequest_) {
        finishEvent(event);
        if (result != kResultSucceeded) {
            dispatchSignal(kSigFailed, result);
            return;
        }
        // Partial writes are completed before the machine hears of them.
        const std::uint32_t sent = sendRequest_.sent;
        totalSent_ += sent;
        if (sent >= sendBuffer_.length()) {
            sendRequest_.sent = totalSent_;
            dispatchSignal(kSigSucceeded, result);
            return;
        }
        sendBuffer_.remove(0, sent);
        sendRequest_.sent = 0;
        postSend();
        return;
    }
    if (!isReply && isRequestCode(code)) {
        request_ = static_cast<CVXLHttpRequest*>(event);
        dispatch(event);
        return;
    }
    if (code == kEventStart) {
        CVXLHsm::init();
        finishEvent(event);
        return;
    }
    if (code == kEventStop) {
        if (isInState(toHandler(&CHTTPv2Job::Idle))) {
            finishEvent(event);
            return;
        }
        stopPending_ = true;
        dispatchSignal(kEventStop, 0);
        return;
    }
    finishEvent(event);
    if (code == kEventCancelNotice || (code >= 8 && code <= kSigSucceeded))
        dispatchSignal(code, result);
}

void CHTTPv2Job::dispatchSignal(std::int32_t signal, std::int32_t result)
{
    CVXLSimpleEvent event(signal);
    event.setResult(result);
    dispatch(&event);
}

bool CHTTPv2Job::isRequestCode(std::int32_t code) const
{
    return code >= CVXLHttpRequest::kGet && code <= CVXLHttpRequest::kHead;
}

std::uint32_t CHTTPv2Job::readSize() const
{
    return response_.readSize() != 0 ? response_.readSize() : CVXLHttpResponse::kDefaultReadSize;
}

bool CHTTPv2Job::resolveTarget()
{
    const CVXLUri& target = request_->target();
    connectRequest_.hostName.clear();
    connectRequest_.address = 0;
    if (target.hasHostName())
        connectRequest_.hostName = target.hostName();
    else if (target.hasIpv4Address())
        connectRequest_.address = target.ipv4Octets();
    else
        return false;
    connectRequest_.port = target.portNumber();
    connectRequest_.connection = nullptr;
    return connectRequest_.port != 0;
}

void CHTTPv2Job::sendHead()
{
    static const CVXLHttpSettings kNoSettings;
    sendBuffer_.clear();
    const CVXLString head = CVXLHttpRequestComposer::composeHead(*request_, settings_ ? *settings_ : kNoSettings);
    sendBuffer_.append(head.c_str(), head.length());
    totalSent_ = 0;
    postSend();
}

void CHTTPv2Job::postSend()
{
    post(connection_, &sendRequest_);
}

void CHTTPv2Job::receive(std::uint32_t wanted)
{
    receiveRequest_.wanted = wanted != 0 ? wanted : 1;
    receiveRequest_.received = 0;
    post(connection_, &receiveRequest_);
}

void CHTTPv2Job::prepareToReadResponse()
{
    receiveBuffer_.clear();
    reader_.reset();
    response_.reset();
    reader_.bind(&response_);
    receive(kHeadReadSize);
}

void CHTTPv2Job::fail(std::int32_t result)
{
    if (request_)
        request_->setResult(result);
    errorCode_ = result;
    ring_.postSignal(kSigError);
}

void CHTTPv2Job::answerRequest()
{
    if (request_) {
        CVXLHttpRequest* request = request_;
        request_ = nullptr;
        finishEvent(request);
    }
    resent_ = false;
    resetExchange();
}

void CHTTPv2Job::answerRequest(std::int32_t result)
{
    if (request_)
        request_->setResult(result);
    if (result != kResultSucceeded)
        errorCode_ = result;
    answerRequest();
}

void CHTTPv2Job::resetExchange()
{
    response_.reset();
    bodyData_.reset();
    bodyRequest_.reset();
    closeDelimited_ = false;
    trailingGarbage_ = false;
}

void CHTTPv2Job::closeConnection()
{
    closeRequest_.connection = connectRequest_.connection;
    post(dialer_, &closeRequest_);
}

bool CHTTPv2Job::responseHasNoBody() const
{
    const int status = response_.statusCode();
    return request_->requestCode() == CVXLHttpRequest::kHead || status == 204 || status == 304
        || (status >= 100 && status < 200);
}

bool CHTTPv2Job::keepConnection() const
{
    if (!request_ || !request_->hasFlag(CVXLHttpRequest::kFlagKeepConnection))
        return false;
    if (response_.hasFlag(CVXLHttpResponse::kFlagConnectionClose) || closeDelimited_ || trailingGarbage_)
        return false;
    // HTTP/1.0 keeps the connection only when the server says so.
    return response_.hasFlag(CVXLHttpResponse::kFlagHttp11) || response_.hasFlag(CVXLHttpResponse::kFlagKeepAlive);
}

// Moves count bytes from the front of the receive buffer into the sink and
// hands them to the requester. Bytes past a known length are dropped.
void CHTTPv2Job::deliverBody(std::uint32_t count)
{
    if (count > buffered())
        count = buffered();
    bodyData_.sink->append(receiveBuffer_.data(), count);
    receiveBuffer_.remove(0, count);
    bodyData_.delivered += count;
    if (bodyData_.lengthKnown) {
        bodyData_.remaining -= count;
        if (bodyData_.remaining == 0 && buffered() != 0) {
            trailingGarbage_ = true;
            receiveBuffer_.clear();
        }
    }
    post(request_->source(), &bodyData_);
}

void CHTTPv2Job::afterHeadAck()
{
    if (responseHasNoBody()) {
        ring_.postSignal(kSigExchangeDone);
        return;
    }
    bodyData_.sink = response_.sink();
    if (!bodyData_.sink) {
        fail(kNetMalformed);
        return;
    }
    if (response_.hasFlag(CVXLHttpResponse::kFlagChunked)) {
        transition(&CHTTPv2Job::ReadingChunkSize);
        if (buffered() != 0)
            ring_.postSignal(kSigSucceeded);
        else
            receive(readSize());
        return;
    }
    if (response_.hasFlag(CVXLHttpResponse::kFlagContentLength)) {
        if (response_.contentLength() == 0) {
            ring_.postSignal(kSigExchangeDone);
            return;
        }
        bodyData_.remaining = response_.contentLength();
        bodyData_.lengthKnown = true;
    } else {
        closeDelimited_ = true;
    }
    if (buffered() != 0) {
        transition(&CHTTPv2Job::AwaitingBodyAck);
        deliverBody(bodyData_.lengthKnown && bodyData_.remaining < buffered() ? bodyData_.remaining : buffered());
    } else {
        transition(&CHTTPv2Job::ReadingBody);
        receive(bodyData_.lengthKnown && bodyData_.remaining < readSize() ? bodyData_.remaining : readSize());
    }
}

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
            answerRequest(kNetMalformed);
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
            bodyRequest_.part = nullptr;
            post(request_->source(), &bodyRequest_);
            transition(&CHTTPv2Job::AwaitingBodyPart);
        } else {
            sendBuffer_.clear();
            bodyRequest_.part = nullptr;
            post(request_->source(), &bodyRequest_);
            transition(&CHTTPv2Job::AwaitingChunk);
        }
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::AwaitingBodyPart(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyRequest::kReply: {
        if (e->result() != kResultSucceeded) {
            fail(e->result());
            return handled();
        }
        const CVXLByteBuffer* part = bodyRequest_.part;
        if (!part || part->length() == 0) {
            fail(kNetMissingLength);
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
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingRequester);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
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
            bodyRequest_.part = nullptr;
            post(request_->source(), &bodyRequest_);
            transition(&CHTTPv2Job::AwaitingBodyPart);
        }
        return handled();
    }
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::AwaitingChunk(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyRequest::kReply: {
        if (e->result() != kResultSucceeded) {
            fail(e->result());
            return handled();
        }
        const CVXLByteBuffer* part = bodyRequest_.part;
        if (!part) {
            fail(kNetMalformed);
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
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingRequester);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
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
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::SendingChunkData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        bodyRequest_.part = nullptr;
        post(request_->source(), &bodyRequest_);
        transition(&CHTTPv2Job::AwaitingChunk);
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::ReadingHead(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        switch (reader_.feed()) {
        case CVXLHttpResponseReader::kNeedMore:
            receive(kHeadReadSize);
            return handled();
        case CVXLHttpResponseReader::kMalformed:
            fail(kNetMalformed);
            return handled();
        case CVXLHttpResponseReader::kHeadComplete:
            break;
        }
        if (response_.statusCode() >= 100 && response_.statusCode() < 200) {
            // An interim head: what came after it belongs to the final one.
            reader_.reset();
            response_.reset();
            reader_.bind(&response_);
            if (buffered() != 0)
                ring_.postSignal(kSigSucceeded);
            else
                receive(kHeadReadSize);
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
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::AwaitingHeadAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpResponse::kReplyCode:
        if (e->result() != kResultSucceeded) {
            fail(e->result());
            return handled();
        }
        afterHeadAck();
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingRequester);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::ReadingBody(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded:
        if (buffered() == 0) {
            receive(readSize());
            return handled();
        }
        transition(&CHTTPv2Job::AwaitingBodyAck);
        deliverBody(bodyData_.lengthKnown && bodyData_.remaining < buffered() ? bodyData_.remaining : buffered());
        return handled();
    case kSigFailed:
        if (closeDelimited_ && e->result() == kPeerClosed) {
            ring_.postSignal(kSigExchangeDone);
            return handled();
        }
        break;
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::AwaitingBodyAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyData::kReply:
        if (e->result() != kResultSucceeded) {
            fail(e->result());
            return handled();
        }
        if (bodyData_.lengthKnown && bodyData_.remaining == 0) {
            ring_.postSignal(kSigExchangeDone);
            return handled();
        }
        transition(&CHTTPv2Job::ReadingBody);
        receive(bodyData_.lengthKnown && bodyData_.remaining < readSize() ? bodyData_.remaining : readSize());
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingRequester);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::ReadingChunkSize(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded: {
        std::uint32_t size = 0;
        std::uint32_t line = 0;
        switch (CVXLHttpResponseReader::scanChunkSizeLine(receiveBuffer_, &size, &line)) {
        case CVXLHttpResponseReader::kChunkLineNeedMore:
            receive(readSize());
            return handled();
        case CVXLHttpResponseReader::kChunkLineMalformed:
            fail(kNetMalformed);
            return handled();
        case CVXLHttpResponseReader::kChunkLineDone:
            break;
        }
        receiveBuffer_.remove(0, line);
        if (size == 0) {
            transition(&CHTTPv2Job::ReadingTrailer);
            if (buffered() != 0)
                ring_.postSignal(kSigSucceeded);
            else
                receive(readSize());
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
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::ReadingChunkData(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSigSucceeded: {
        const std::uint32_t b = buffered();
        const std::uint32_t left = chunkSize_ - chunkReceived_;
        if (b == 0) {
            receive(left < readSize() ? left : readSize());
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
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::AwaitingChunkAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyData::kReply: {
        if (e->result() != kResultSucceeded) {
            fail(e->result());
            return handled();
        }
        const std::uint32_t left = chunkSize_ - chunkReceived_;
        transition(&CHTTPv2Job::ReadingChunkData);
        receive(left < readSize() ? left : readSize());
        return handled();
    }
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingRequester);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::AwaitingChunkEndAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyData::kReply:
        if (e->result() != kResultSucceeded) {
            fail(e->result());
            return handled();
        }
        transition(&CHTTPv2Job::ReadingChunkSize);
        if (buffered() != 0)
            ring_.postSignal(kSigSucceeded);
        else
            receive(readSize());
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingRequester);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
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
            receive(readSize());
            return handled();
        case CVXLHttpResponseReader::kChunkLineMalformed:
            fail(kNetMalformed);
            return handled();
        case CVXLHttpResponseReader::kChunkLineDone:
            break;
        }
        receiveBuffer_.remove(0, length);
        if (buffered() != 0) {
            trailingGarbage_ = true;
            receiveBuffer_.clear();
        }
        bodyData_.finalPart = true;
        post(request_->source(), &bodyData_);
        transition(&CHTTPv2Job::AwaitingLastAck);
        return handled();
    }
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::AwaitingLastAck(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case CVXLHttpBodyData::kReply:
        if (e->result() != kResultSucceeded)
            fail(e->result());
        else
            ring_.postSignal(kSigExchangeDone);
        return handled();
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingRequester);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
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
    case kEventStop:
    case kEventCancelNotice:
        transition(&CHTTPv2Job::CancellingConnection);
        return handled();
    }
    return super(&CHTTPv2Job::Active);
}

CVXLHsmState CHTTPv2Job::CancellingConnection(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        if (request_)
            request_->setResult(kResultCancelled);
        errorCode_ = kResultCancelled;
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
        if (request_)
            request_->setResult(kResultCancelled);
        errorCode_ = kResultCancelled;
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
        answerRequest(kResultCancelled);
        transition(&CHTTPv2Job::Idle);
        return handled();
    case kSigSucceeded:
        // The connect finished before the cancel reached the dialer: give
        // the connection back, then answer.
        if (request_)
            request_->setResult(kResultCancelled);
        connection_ = connectRequest_.connection;
        closeConnection();
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
