#include "engine/transport/http/VXLHttpProcessor.h"

#include "engine/core/base/VXLIndexIterator.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/transport/http/VXLHttpBodyData.h"
#include "engine/transport/http/VXLHttpBodyRequest.h"
#include "engine/transport/http/VXLHttpRequestComposer.h"
#include "engine/transport/http/VXLHttpResponse.h"
#include "engine/transport/http/VXLHttpTransaction.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/tasks/VXLTransactionCodes.h"

#include <cstdint>
#include <initializer_list>

namespace {

constexpr std::int32_t kLargestExpectedTotal = INT32_MAX;

bool isSuccessStatus(int status)
{
    return status >= 200 && status <= 299;
}

// The body's framing is the transport's own: a copied length that disagrees
// with the body would make the job send it twice or wait for bytes that
// never come.
bool isFramingHeader(const CVXLString& name)
{
    return name.compare("Content-Length", false) == 0 || name.compare("Transfer-Encoding", false) == 0;
}

} // namespace

CVXLHttpProcessor::CVXLHttpProcessor()
{
    setProcessorName("CVXLHttpProcessor");
}

CVXLHttpProcessor::~CVXLHttpProcessor() = default;

void CVXLHttpProcessor::setSettings(const CVXLHttpSettings* settings)
{
    settings_ = settings;
    job_.setSettings(settings);
}

bool CVXLHttpProcessor::acceptsTransaction(CVXLTransaction* transaction)
{
    return transaction && !isBusy() && transaction->typeName() == kHttpTransactionType;
}

int CVXLHttpProcessor::beginTransaction(CVXLTransaction* transaction)
{
    if (!acceptsTransaction(transaction))
        return 0;
    auto* http = static_cast<CVXLHttpTransaction*>(transaction);
    const CVXLEntityRef body = http->responseMessage().body();
    if (body.isEmpty() || body->fileName().length() == 0)
        return 0;
    takeTransaction(transaction);
    responseBody_ = body;
    responseBody_->setDataStart(0);
    responseBody_->setDataSize(0);
    adapterOpen_ = false;
    return 1;
}

void CVXLHttpProcessor::forgetExchange()
{
    requestBody_.clear();
    chunk_.clear();
    writeBuffer_.clear();
    request_ = nullptr;
    pendingChunk_ = nullptr;
    pendingHead_ = nullptr;
}

void CVXLHttpProcessor::init()
{
    CVXLProcessor::init();
    result_ = kResultSucceeded;
    forgetExchange();
    expectedTotal_ = -1;
    bodyHandedOut_ = false;
    cancelRequested_ = false;
    // A job stopped in the middle of an exchange starts over from Idle.
    job_.resetMachine();
    startChild(&job_);
    startChild(&responseFiles_);
    startChild(&adapter_);
}

void CVXLHttpProcessor::finishTransaction()
{
    // Answers that came back after the own stop are not wanted any more, and
    // the events must be free for the next transaction.
    for (CVXLEvent* event : {static_cast<CVXLEvent*>(&get_), static_cast<CVXLEvent*>(&post_),
             static_cast<CVXLEvent*>(&open_), static_cast<CVXLEvent*>(&write_), &close_})
        cancelEvent(event);
    responseBody_.reset();
    forgetExchange();
    adapterOpen_ = false;
    CVXLProcessor::finishTransaction();
}

void CVXLHttpProcessor::onEvent(CVXLEvent* event)
{
    const std::int32_t code = event->effectiveCode();
    switch (code) {
    case kEventStop:
        // Children cannot stop while this processor holds one of their
        // events: hand them back first.
        answer(pendingHead_, kResultCancelled);
        answer(pendingChunk_, kResultCancelled);
        return CVXLProcessor::onEvent(event);
    case kEventCancelTransaction:
        return CVXLProcessor::onEvent(event);
    case kEventStart:
        finishEvent(event);
        return startRequest();
    case kEventCancelNotice:
        // What the notice names is answered when the file step it waits for
        // reports; nothing more to do with the notice itself.
        finishEvent(event);
        return;
    case CVXLHttpBodyRequest::kCode:
        return onBodyRequest(event);
    case CVXLHttpResponse::kRequestCode:
        return onResponseHead(event);
    case CVXLHttpBodyData::kCode:
        return onBodyData(event);
    }
    if (event == &get_ || event == &post_)
        return onRequestDone(event);
    if (event == &open_)
        return onOpened(event);
    if (event == &write_)
        return onWritten(event);
    if (event == &close_)
        return onClosed(event);
    finishEvent(event);
}

void CVXLHttpProcessor::startRequest()
{
    auto* transaction = static_cast<CVXLHttpTransaction*>(this->transaction());
    if (!transaction || cancelRequested_)
        return end(kResultCancelled);
    // Without a dialer the job's connect would go nowhere and never be answered.
    if (!dialer_)
        return end(kResultTransactionFailed);
    switch (transaction->method()) {
    case CVXLHttpTransaction::kMethodPost:
        request_ = &post_;
        break;
    case CVXLHttpTransaction::kMethodGet:
        request_ = &get_;
        break;
    default:
        return end(kResultTransactionFailed);
    }
    request_->reset(settings_ ? settings_->proxyUri : CVXLString());
    request_->setUrl(transaction->url());
    request_->setExpectedReplyLength(transaction->expectedReplyLength());
    request_->setHttp10();
    composeHeaders(*request_, *transaction);
    if (request_ == &post_) {
        const CVXLEntityRef body = transaction->requestMessage().body();
        if (!body.isEmpty())
            requestBody_ = body->bodyBuffer();
        request_->setContentLength(requestBody_.length());
    } else {
        request_->setContentLength(0);
    }
    post(&job_, request_);
}

void CVXLHttpProcessor::composeHeaders(CVXLHttpRequest& request, const CVXLHttpTransaction& transaction)
{
    static const CVXLHttpSettings kNoSettings;
    const CVXLHttpSettings& settings = settings_ ? *settings_ : kNoSettings;
    CVXLHttpRequestComposer::setEngineHeaders(request, settings);
    const CVXLMessage& message = transaction.requestMessage();
    for (std::uint32_t i = 0; i < message.headerCount(); ++i) {
        const CVXLString name = message.headerName(static_cast<int>(i));
        if (!isFramingHeader(name))
            request.setHeader(name, message.lastHeaderValue(name));
    }
    if (&request == &post_) {
        const CVXLEntityRef body = message.body();
        if (!body.isEmpty() && body->contentType().length() != 0)
            request.setHeader("Content-Type", body->contentType());
    }
}

// A length-delimited body goes out in one part; should the job ask again,
// an empty part makes it fail rather than send the body twice.
void CVXLHttpProcessor::onBodyRequest(CVXLEvent* event)
{
    auto* request = static_cast<CVXLHttpBodyRequest*>(event);
    if (cancelRequested_) {
        event->setResult(kResultCancelled);
    } else {
        noMoreBody_.clear();
        request->part = bodyHandedOut_ ? &noMoreBody_ : &requestBody_;
        bodyHandedOut_ = true;
    }
    finishEvent(event);
}

void CVXLHttpProcessor::onResponseHead(CVXLEvent* event)
{
    auto* response = static_cast<CVXLHttpResponse*>(event);
    if (auto* transaction = static_cast<CVXLHttpTransaction*>(this->transaction())) {
        for (CVXLIndexIterator it = response->headers().begin(); !it.atEnd(); it.next()) {
            const auto* value = static_cast<const CVXLString*>(it.value());
            transaction->responseMessage().addHeader(it.key(), value ? *value : CVXLString());
        }
    }
    expectedTotal_ = -1;
    if (response->hasFlag(CVXLHttpResponse::kFlagContentLength)
        && response->contentLength() <= static_cast<std::uint32_t>(kLargestExpectedTotal))
        expectedTotal_ = static_cast<std::int32_t>(response->contentLength());
    if (cancelRequested_) {
        event->setResult(kResultCancelled);
        return finishEvent(event);
    }
    if (!isSuccessStatus(response->statusCode())) {
        event->setResult(kResultHttpStatus);
        return finishEvent(event);
    }
    chunk_.clear();
    response->setSink(&chunk_);
    response->setReadSize(kReadChunkBytes);
    // The file is created or emptied before the body is read, so that a 2xx
    // reply without a body leaves an empty file, never an older one.
    pendingHead_ = event;
    adapter_.setProgressKeys(kProgressTotalKey, kProgressCurrentKey);
    adapter_.setFileStoreManager(fileRequestTarget_ ? fileRequestTarget_ : &responseFiles_);
    open_.fileName = responseBody_->fileName();
    open_.expectedTotal = expectedTotal_;
    post(&adapter_, &open_);
}

void CVXLHttpProcessor::onBodyData(CVXLEvent* event)
{
    if (event->result() != kResultSucceeded || chunk_.length() == 0) {
        chunk_.clear();
        return finishEvent(event);
    }
    if (cancelRequested_ || !adapterOpen_) {
        chunk_.clear();
        event->setResult(
            cancelRequested_ ? static_cast<std::int32_t>(kResultCancelled) : kResultTransactionFailed);
        return finishEvent(event);
    }
    std::uint32_t count = chunk_.length();
    const std::uint32_t size = responseBody_->dataSize();
    if (expectedTotal_ >= 0) {
        const auto total = static_cast<std::uint32_t>(expectedTotal_);
        const std::uint32_t room = size < total ? total - size : 0;
        if (count > room)
            count = room;
    }
    if (count == 0) {
        chunk_.clear();
        return finishEvent(event);
    }
    writeBuffer_.clear();
    // A whole part changes holder without a copy: the two share its block
    // until chunk_ lets go of it below.
    if (count == chunk_.length())
        writeBuffer_ = chunk_;
    else if (!writeBuffer_.append(chunk_.data(), count)) {
        chunk_.clear();
        event->setResult(kResultTransactionFailed);
        return finishEvent(event);
    }
    chunk_.clear();
    responseBody_->setDataSize(size + count);
    pendingChunk_ = event;
    write_.buffer = &writeBuffer_;
    write_.expectedTotal = expectedTotal_;
    post(&adapter_, &write_);
}

void CVXLHttpProcessor::onRequestDone(CVXLEvent* event)
{
    result_ = event->result();
    finishEvent(event);
    request_ = nullptr;
    if (adapterOpen_) {
        close_.setResult(result_);
        return post(&adapter_, &close_);
    }
    end(result_);
}

void CVXLHttpProcessor::onOpened(CVXLEvent* event)
{
    const std::int32_t result = event->result();
    finishEvent(event);
    // Opened even when the answer arrives cancelled: the close is still owed.
    adapterOpen_ = adapter_.isOpen();
    answer(pendingHead_, cancelRequested_ ? kResultCancelled : result);
}

void CVXLHttpProcessor::onWritten(CVXLEvent* event)
{
    const std::int32_t result = event->result();
    finishEvent(event);
    answer(pendingChunk_, cancelRequested_ ? kResultCancelled : result);
}

void CVXLHttpProcessor::onClosed(CVXLEvent* event)
{
    const std::int32_t result = event->result();
    finishEvent(event);
    adapterOpen_ = false;
    // A file that could not be written or closed may lack bytes; the
    // adapter's result may be the sink's platform status.
    if (result != kResultSucceeded)
        result_ = kResultFailed;
    end(result_);
}

void CVXLHttpProcessor::onCancel()
{
    cancelRequested_ = true;
    answer(pendingHead_, kResultCancelled);
    answer(pendingChunk_, kResultCancelled);
    const int touched = cancelEventsWith(&adapter_) + cancelEventsWith(&job_);
    if (touched == 0 && !stopRequested())
        CVXLProcessor::onCancel();
}

// Hands a held event of the HTTP job back; a failure ends the exchange.
void CVXLHttpProcessor::answer(CVXLEvent*& held, std::int32_t result)
{
    if (!held)
        return;
    CVXLEvent* event = held;
    held = nullptr;
    if (result != kResultSucceeded)
        event->setResult(result);
    finishEvent(event);
}

void CVXLHttpProcessor::end(std::int32_t result)
{
    finish(cancelRequested_ ? kResultCancelled : result);
}
