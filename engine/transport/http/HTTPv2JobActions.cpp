#include "engine/transport/http/HTTPv2Job.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/text/VXLUri.h"
#include "engine/transport/http/VXLHttpRequest.h"
#include "engine/transport/http/VXLHttpRequestComposer.h"

#include <algorithm>

// The HTTP job's event translation and the helpers for the longer row
// actions; the state functions are in HTTPv2Job.cpp.

namespace {

// The requester's answers (body data 8, body part 9, head 10) and the
// machine's own signals after them reach the machine as they are.
bool passesToMachine(std::int32_t code)
{
    return code >= CVXLHttpBodyData::kReply && code <= CHTTPv2Job::kSigSucceeded;
}

} // namespace

// Event translation: replies of the dialer and the connection become the
// machine's success and failure signals; everything is finished before the
// machine runs, so the machine may post the same member event again.
void CHTTPv2Job::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    const bool isReply = event->kind() == kEventReply;
    std::int32_t result = event->status() == kEventCancelledByPeer ? kResultCancelled : event->result();

    if (event == &deadlineTimer_) {
        finishEvent(event);
        deadlineArmed_ = false;
        deadlinePassed_ = true;
        dispatchSignal(kSigTooSlow, kResultTimedOut);
        return;
    }
    if (event == &windowTimer_) {
        finishEvent(event);
        windowArmed_ = false;
        // A window in which enough moved begins the next one; the machine
        // hears only of one in which too little did.
        if (windowBytes_ >= kLowSpeedMinBytes)
            armWindow();
        else
            dispatchSignal(kSigTooSlow, kResultTimedOut);
        return;
    }
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
        if (event == &receiveRequest_ && result == kResultSucceeded)
            windowBytes_ += receiveRequest_.received;
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
        windowBytes_ += sent;
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
    if (code == kEventCancelNotice || passesToMachine(code))
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

// A new request, or one sent again over a new connection: the windows run
// from its first arrival. A header that would end the head early is refused
// before anything is dialled or sent.
bool CHTTPv2Job::acceptRequest()
{
    resetExchange();
    armWindow();
    // A request sent again keeps the bound of its first sending.
    if (!deadlineArmed_) {
        exchangeStart_ = tickTime();
        deadlinePassed_ = false;
        armDeadline();
    }
    if (CVXLHttpRequestComposer::hasSafeFields(*request_))
        return true;
    VXL_LOG_INFO("HTTP request refused: a header holds a line end");
    return false;
}

void CHTTPv2Job::armWindow()
{
    if (windowArmed_)
        return;
    windowArmed_ = true;
    windowBytes_ = 0;
    postDelayed(&windowTimer_, lowSpeedWindowMs_);
}

void CHTTPv2Job::armDeadline()
{
    disarmDeadline();
    std::uint64_t bound = 0;
    const bool replyLengthKnown = response_.hasFlag(CVXLHttpResponse::kFlagContentLength)
        && !response_.hasFlag(CVXLHttpResponse::kFlagChunked);
    const bool headRead = response_.statusCode() != 0;
    if (headRead && !replyLengthKnown && !responseHasNoBody()) {
        bound = settings_ && settings_->maxExchangeMs ? settings_->maxExchangeMs : kDefaultMaxExchangeMs;
        // A large reply announced beforehand gets the time its size needs;
        // the announcement is only an estimate, so a small one keeps the
        // bound of any reply of unknown length.
        if (request_ && request_->expectedReplyLength() != 0) {
            const std::uint64_t bytes
                = std::uint64_t {request_->contentLength()} + request_->expectedReplyLength();
            bound = std::max<std::uint64_t>(bound, kTotalBaseMs + bytes * 1000 / kSlowestBytesPerSecond);
        }
    } else {
        std::uint64_t bytes = request_ ? request_->contentLength() : 0;
        if (headRead && replyLengthKnown && !responseHasNoBody())
            bytes += response_.contentLength();
        bound = kTotalBaseMs + bytes * 1000 / kSlowestBytesPerSecond;
    }
    // A day at most: the timer counts in 32 bits.
    boundMs_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(bound, kLongestBoundMs));
    const std::uint32_t elapsed = tickTime() - exchangeStart_;
    const std::uint32_t left = boundMs_ > elapsed ? boundMs_ - elapsed : 0;
    deadlineArmed_ = true;
    postDelayed(&deadlineTimer_, left);
}

void CHTTPv2Job::disarmDeadline()
{
    if (!deadlineArmed_)
        return;
    deadlineArmed_ = false;
    cancelEvent(&deadlineTimer_);
}

void CHTTPv2Job::disarmWindow()
{
    if (!windowArmed_)
        return;
    windowArmed_ = false;
    cancelEvent(&windowTimer_);
}

// Framing we cannot read is refused before the requester sees the head, so
// no reply file is begun for it.
bool CHTTPv2Job::refusedHead()
{
    if (responseHasNoBody() || !response_.hasFlag(CVXLHttpResponse::kFlagUnknownCoding))
        return false;
    VXL_LOG_INFO(
        "HTTP reply refused: Transfer-Encoding \"%s\"", response_.header("Transfer-Encoding").c_str());
    return true;
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
    const CVXLString head
        = CVXLHttpRequestComposer::composeHead(*request_, settings_ ? *settings_ : kNoSettings);
    sendBuffer_.append(head.c_str(), head.length());
    totalSent_ = 0;
    postSend();
}

void CHTTPv2Job::postSend()
{
    post(connection_, &sendRequest_);
}

void CHTTPv2Job::askForBytes(std::uint32_t wanted)
{
    receiveRequest_.wanted = wanted != 0 ? wanted : 1;
    receiveRequest_.received = 0;
    post(connection_, &receiveRequest_);
}

// Bytes already buffered are taken up at once; otherwise more are read.
void CHTTPv2Job::goOnOrAskForBytes(std::uint32_t wanted)
{
    if (buffered() != 0)
        ring_.postSignal(kSigSucceeded);
    else
        askForBytes(wanted);
}

void CHTTPv2Job::askForBodyPart()
{
    bodyRequest_.part = nullptr;
    post(request_->source(), &bodyRequest_);
}

void CHTTPv2Job::prepareToReadResponse()
{
    receiveBuffer_.clear();
    interimHeads_ = 0;
    restartHead();
    askForBytes(kHeadReadSize);
}

void CHTTPv2Job::restartHead()
{
    reader_.reset();
    response_.reset();
    reader_.bind(&response_);
}

void CHTTPv2Job::fail(std::int32_t result)
{
    if (request_)
        request_->setResult(result);
    errorCode_ = result;
    ring_.postSignal(kSigError);
}

// A requester's reply with a non-zero result fails the exchange.
bool CHTTPv2Job::failedReply(const CVXLEvent* e)
{
    if (e->result() == kResultSucceeded)
        return false;
    fail(e->result());
    return true;
}

// The first reason to take the exchange back is the one it is answered with.
void CHTTPv2Job::markCancelled()
{
    if (abortResult_ == 0)
        abortResult_ = kResultCancelled;
    if (request_)
        request_->setResult(abortResult_);
    errorCode_ = abortResult_;
}

void CHTTPv2Job::giveUp()
{
    if (abortResult_ != 0)
        return;
    if (deadlinePassed_)
        VXL_LOG_INFO("HTTP exchange given up: its total bound passed after %u ms (bound %u ms)",
            tickTime() - exchangeStart_, boundMs_);
    else
        VXL_LOG_INFO(
            "HTTP exchange given up: fewer than %u bytes in %u ms", kLowSpeedMinBytes, lowSpeedWindowMs_);
    abortResult_ = kResultTimedOut;
    markCancelled();
}

// Hands a dialled connection back to the dialer after a cancel; the
// request is answered once it is closed.
void CHTTPv2Job::giveBackConnection()
{
    markCancelled();
    connection_ = connectRequest_.connection;
    closeConnection();
}

void CHTTPv2Job::answerRequest()
{
    if (request_) {
        CVXLHttpRequest* request = request_;
        request_ = nullptr;
        finishEvent(request);
    }
    resent_ = false;
    abortResult_ = 0;
    disarmWindow();
    disarmDeadline();
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
    framer_.reset();
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
    if (response_.hasFlag(CVXLHttpResponse::kFlagConnectionClose) || framer_.endsAtClose()
        || trailingGarbage_)
        return false;
    // HTTP/1.0 keeps the connection only when the server says so.
    return response_.hasFlag(CVXLHttpResponse::kFlagHttp11)
        || response_.hasFlag(CVXLHttpResponse::kFlagKeepAlive);
}

// Reads stop where the known body ends, so what follows it is read apart.
std::uint32_t CHTTPv2Job::bodyReadSize() const
{
    const std::uint32_t ahead = framer_.bodyAhead();
    return ahead != 0 && ahead < readSize() ? ahead : readSize();
}

// Bytes past the body mean the connection cannot be kept.
void CHTTPv2Job::dropTrailingBytes()
{
    if (buffered() != 0) {
        trailingGarbage_ = true;
        receiveBuffer_.clear();
    }
}

// Moves count bytes from the front of the receive buffer into the sink and
// hands them to the requester. Bytes past the end of the body are dropped.
void CHTTPv2Job::deliverBody(std::uint32_t count)
{
    if (count == buffered() && bodyData_.sink->length() == 0) {
        // The whole buffer is body: its block changes holder, uncopied.
        *bodyData_.sink = receiveBuffer_;
        receiveBuffer_.clear();
    } else {
        bodyData_.sink->append(receiveBuffer_.data(), count);
        receiveBuffer_.remove(0, count);
    }
    bodyData_.delivered += count;
    if (bodyData_.lengthKnown)
        bodyData_.remaining = framer_.bodyAhead();
    if (framer_.done())
        dropTrailingBytes();
    post(request_->source(), &bodyData_);
}

CVXLHsmState CHTTPv2Job::afterHeadAck()
{
    if (responseHasNoBody()) {
        ring_.postSignal(kSigExchangeDone);
        return handled();
    }
    bodyData_.sink = response_.sink();
    if (!bodyData_.sink) {
        fail(kResultMalformed);
        return handled();
    }
    if (response_.hasFlag(CVXLHttpResponse::kFlagChunked)) {
        framer_.frameByChunks();
    } else if (response_.hasFlag(CVXLHttpResponse::kFlagContentLength)) {
        framer_.frameByLength(response_.contentLength());
        bodyData_.remaining = response_.contentLength();
        bodyData_.lengthKnown = true;
    } else {
        framer_.frameUntilClose();
    }
    // The head says how much is to come: the total bound follows it.
    armDeadline();
    if (framer_.done()) {
        ring_.postSignal(kSigExchangeDone);
        return handled();
    }
    goOnOrAskForBytes(bodyReadSize());
    return transition(&CHTTPv2Job::ReadingBody);
}
