#include "engine/transport/mms/VXLMMSMimeParserJob.h"

#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/jobs/VXLEventTypes.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/transport/mime/VXLMimeEntity.h"
#include "engine/transport/mms/VXLMimeParseRequest.h"
#include "engine/transport/mms/VXLMmsPdu.h"

#include <cstdint>

namespace {

constexpr std::uint64_t kMaxFileOffset = 0x7FFFFFFF;

void removeAllParts(CVXLMultipartBody& body)
{
    while (body.partCount() != 0)
        body.removePart(body.partCount() - 1);
}

} // namespace

CVXLMMSMimeParserJob::CVXLMMSMimeParserJob()
    : readEvent_(kEventXferRun, kEventXferRunDone)
{
}

CVXLMMSMimeParserJob::~CVXLMMSMimeParserJob()
{
    // A request still held is dropped with this job's queues.
    request_ = nullptr;
    releaseStream();
}

void CVXLMMSMimeParserJob::releaseStream()
{
    if (stream_ && store_)
        store_->closeStream(stream_);
    stream_ = nullptr;
    source_.setFileStore(nullptr);
}

void CVXLMMSMimeParserJob::init()
{
    if (!stream_ && store_)
        stream_ = store_->openStream();
    source_.setFileStore(stream_);
    source_.setDestination(&sink_);
    startChild(&sink_);
    startChild(&source_);
}

std::int32_t CVXLMMSMimeParserJob::onFinished()
{
    // Stopped in the middle of a request: its reply may be waiting here,
    // never to be handled.
    cancelEvent(&readEvent_);
    if (request_)
        complete(kResultCancelled);
    if (stream_ && store_)
        store_->closeStream(stream_);
    stream_ = nullptr;
    source_.setFileStore(nullptr);
    return CVXLEventHandler::onFinished();
}

void CVXLMMSMimeParserJob::onEvent(CVXLEvent* event)
{
    if (event == &readEvent_)
        return onWindowRead(event);
    switch (event->effectiveCode()) {
    case kEventMimeParse:
        return onRequest(event);
    case kEventCancelNotice:
        return onCancelNotice(event);
    default:
        finishEvent(event);
    }
}

void CVXLMMSMimeParserJob::onRequest(CVXLEvent* event)
{
    auto* request = static_cast<CVXLMimeParseRequest*>(event);
    if (request_ || request->message.isEmpty()) {
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    request_ = request;
    message_ = request->message;
    cancelling_ = false;
    removeAllParts(saved_);
    bodyRef_ = message_->body();
    if (!bodyRef_.isEmpty() && bodyRef_->kind() == CVXLMimeEntity::kMultipart) {
        const auto* body = static_cast<const CVXLMultipartBody*>(bodyRef_.get());
        for (std::uint32_t i = 0; i < body->partCount(); ++i) {
            if (!saved_.appendPart(body->partAt(i)))
                return complete(kResultFailed);
        }
    }
    if (splitter_.beginRelated(*message_.get()))
        return beginContainer();
    containerEnded(CVXLScanResult::Done);
}

void CVXLMMSMimeParserJob::onCancelNotice(CVXLEvent* event)
{
    auto* notice = static_cast<CVXLCancelNotice*>(event);
    const bool ours = request_ && notice->cancelled() == request_;
    finishEvent(event);
    if (!ours || cancelling_)
        return;
    // A window being read comes back with 24 and ends the request then.
    if (readEvent_.isBusy()) {
        cancelling_ = true;
        cancelEventsWith(&source_);
        return;
    }
    complete(kResultCancelled);
}

void CVXLMMSMimeParserJob::beginContainer()
{
    const CVXLMimeEntity& container = *splitter_.container().get();
    if (container.fileName().length() == 0)
        return feedFromMemory();
    if (!stream_)
        return complete(kResultFailed);
    readWindow();
}

void CVXLMMSMimeParserJob::readWindow()
{
    CVXLMimeMultipartParser& parser = splitter_.parser();
    const CVXLMimeEntity& container = *splitter_.container().get();
    const std::uint64_t start = static_cast<std::uint64_t>(container.dataStart()) + parser.readOffset();
    requested_ = parser.readSize();
    if (start + requested_ > kMaxFileOffset)
        return complete(kResultFailed);
    source_.setPath(container.fileName());
    source_.setReadWindow(static_cast<std::int32_t>(start), static_cast<std::int32_t>(requested_));
    post(&source_, &readEvent_);
}

void CVXLMMSMimeParserJob::onWindowRead(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    finishEvent(reply);
    if (!request_)
        return;
    if (cancelling_ || result == kResultCancelled)
        return complete(kResultCancelled);
    // A missing or unreadable file.
    if (result != kResultSucceeded)
        return complete(kResultFailed);
    const CVXLByteBuffer bytes = sink_.data();
    const std::uint32_t length = bytes.length() < requested_ ? bytes.length() : requested_;
    const CVXLScanResult status = splitter_.parser().feed(bytes.data(), length);
    if (status == CVXLScanResult::NeedMore)
        return readWindow();
    containerEnded(status);
}

void CVXLMMSMimeParserJob::feedFromMemory()
{
    CVXLMimeMultipartParser& parser = splitter_.parser();
    const CVXLByteBuffer bytes = splitter_.container()->bodyBuffer();
    CVXLScanResult status = parser.status();
    while (status == CVXLScanResult::NeedMore) {
        const std::uint32_t at = parser.readOffset();
        std::uint32_t n = at < bytes.length() ? bytes.length() - at : 0;
        if (n > parser.readSize())
            n = parser.readSize();
        status = parser.feed(n ? bytes.data() + at : nullptr, n);
    }
    containerEnded(status);
}

void CVXLMMSMimeParserJob::containerEnded(CVXLScanResult status)
{
    // A container that cannot be parsed to its end fails the request rather
    // than leave a part whose size is unknown.
    if (status == CVXLScanResult::Malformed)
        return complete(kResultFailed);
    splitter_.endContainer();
    if (splitter_.beginDrm())
        return beginContainer();
    complete(kResultSucceeded);
}

void CVXLMMSMimeParserJob::restoreBody()
{
    if (bodyRef_.isEmpty() || bodyRef_->kind() != CVXLMimeEntity::kMultipart)
        return;
    auto* body = static_cast<CVXLMultipartBody*>(bodyRef_.get());
    removeAllParts(*body);
    for (std::uint32_t i = 0; i < saved_.partCount(); ++i)
        body->appendPart(saved_.partAt(i));
}

void CVXLMMSMimeParserJob::complete(std::int32_t result)
{
    CVXLMimeParseRequest* request = request_;
    if (result != kResultSucceeded)
        restoreBody();
    splitter_.clear();
    removeAllParts(saved_);
    bodyRef_.reset();
    message_.reset();
    request_ = nullptr;
    cancelling_ = false;
    if (!request)
        return;
    // Last: a heap request is deleted by this call.
    request->setResult(result);
    finishEvent(request);
}
