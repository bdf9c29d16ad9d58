#include "engine/files/VXLFileStoreManager.h"

#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/files/VXLFileDeleteRequest.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLFileWriteRequest.h"
#include "engine/transfer/VXLFileStreamSinkJob.h"
#include "engine/transfer/VXLFileStreamSourceJob.h"

CVXLFileStoreManager::CVXLFileStoreManager() = default;

CVXLFileStoreManager::~CVXLFileStoreManager()
{
    // Stream jobs still attached (an engine torn down without a stop).
    for (CVXLEventHandler* child = firstChild(); child;) {
        CVXLEventHandler* next = child->nextSibling();
        if (child != &bufferSource_ && child != &bufferSink_)
            releaseJob(child);
        child = next;
    }
    if (ownedStore_ && factory_)
        factory_->destroyFileStore(ownedStore_);
}

void CVXLFileStoreManager::onEvent(CVXLEvent* event)
{
    switch (event->effectiveCode()) {
    case kEventStart:
        return onStart(event);
    case kEventStop:
        return onStop(event);
    case kFileRequestDelete:
        return onDelete(event);
    case kDeleteDone:
        return onDeleteDone(event);
    case kFileRequestRead:
        return onRead(event);
    case kFileRequestWrite:
        return onWrite(event);
    case kReadOpened:
        return onReadOpened(event);
    case kWriteOpened:
        return onWriteOpened(event);
    case kReadTransferred:
        return onReadTransferred(event);
    case kWriteTransferred:
        return onWriteTransferred(event);
    case kReadClosed:
        return onReadClosed(event);
    case kWriteClosed:
        return onWriteClosed(event);
    case kSizeKnown:
        return onSizeKnown(event);
    case kEventFileOpenForReading:
    case kEventFileStoreOpenForReading:
        return onOpenForReading(event);
    case kEventFileOpenForWriting:
        return onOpenForWriting(event);
    default:
        finishEvent(event);
    }
}

void CVXLFileStoreManager::onStart(CVXLEvent* event)
{
    if (!store_ && factory_) {
        ownedStore_ = factory_->createFileStore();
        store_ = ownedStore_;
    }
    event->setResult(store_ ? kResultSucceeded : kResultStorageFailed);
    startChild(&bufferSource_);
    startChild(&bufferSink_);
    finishEvent(event);
}

// The stream jobs stop with the other children, which closes their streams
// and drops a replace's temporary file; the replies of the cut transfer come
// back to a stopping manager and are never acted on.
void CVXLFileStoreManager::onStop(CVXLEvent* event)
{
    if (pendingOpen_) {
        pendingOpen_->job = nullptr;
        pendingOpen_->setResult(kResultCancelled);
        finishEvent(pendingOpen_);
        pendingOpen_ = nullptr;
    }
    if (current_) {
        current_->setResult(kResultCancelled);
        finishCurrent();
    }
    finishEvent(event);
}

std::int32_t CVXLFileStoreManager::onFinished()
{
    if (ownedStore_ && factory_) {
        factory_->destroyFileStore(ownedStore_);
        store_ = nullptr;
        ownedStore_ = nullptr;
    }
    return CVXLEventHandler::onFinished();
}

void CVXLFileStoreManager::releaseJob(CVXLEventHandler* job)
{
    auto* streamJob = static_cast<CVXLStreamJob*>(job);
    if (store_ && streamJob->fileStore())
        store_->closeStream(streamJob->fileStore());
    streamJob->setFileStore(nullptr);
    delete streamJob;
}

void CVXLFileStoreManager::childFinished(CVXLEventHandler* child)
{
    if (child == &bufferSource_ || child == &bufferSink_)
        return;
    if (child == currentSource_)
        currentSource_ = nullptr;
    if (child == currentSink_)
        currentSink_ = nullptr;
    releaseJob(child);
}

void CVXLFileStoreManager::finishCurrent()
{
    CVXLEvent* event = current_;
    current_ = nullptr;
    finishEvent(event);
}

void CVXLFileStoreManager::onDelete(CVXLEvent* event)
{
    auto* request = static_cast<CVXLFileDeleteRequest*>(event);
    if (!store_) {
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    current_ = request;
    store_->deleteItem(request->fileName.c_str(), &deleteCallback_);
}

void CVXLFileStoreManager::onDeleteDone(CVXLEvent* callback)
{
    const std::int32_t status = callback->result();
    finishEvent(callback);
    if (!current_)
        return;
    current_->setResult(status, CVXLString());
    finishCurrent();
}

void CVXLFileStoreManager::onRead(CVXLEvent* event)
{
    auto* request = static_cast<CVXLFileReadRequest*>(event);
    if (!store_) {
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    current_ = request;
    request->fileSize = 0;
    request->buffer.clear();
    readRequest_.fileName = request->fileName;
    readRequest_.job = nullptr;
    post(this, &readRequest_);
}

void CVXLFileStoreManager::onOpenForReading(CVXLEvent* event)
{
    auto* request = static_cast<CVXLNamedRequest*>(event);
    request->job = nullptr;
    if (!store_) {
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    pendingOpen_ = request;
    sizeCallback_.reset();
    store_->itemInfo(request->fileName.c_str(), &sizeCallback_);
}

void CVXLFileStoreManager::onSizeKnown(CVXLEvent* callback)
{
    const std::int32_t status = callback->result();
    const std::uint32_t size = sizeCallback_.size();
    finishEvent(callback);
    CVXLNamedRequest* request = pendingOpen_;
    pendingOpen_ = nullptr;
    if (!request)
        return;
    if (status != static_cast<std::int32_t>(kPlatformOk)) {
        request->setResult(kResultNotFound, CVXLString());
        return finishEvent(request);
    }
    CVXLPlatformFileStream* stream = store_->openStream();
    if (!stream) {
        request->setResult(kResultNoStream, CVXLString());
        return finishEvent(request);
    }
    auto* job = new CVXLFileStreamSourceJob();
    if (!job) {
        store_->closeStream(stream);
        request->setResult(kResultFailed, CVXLString());
        return finishEvent(request);
    }
    job->setAnnouncedTotal(size > 0x7FFFFFFFu ? -1 : static_cast<std::int32_t>(size));
    job->setFileStore(stream);
    job->setPath(request->fileName);
    startChild(job);
    request->job = job;
    finishEvent(request);
}

void CVXLFileStoreManager::onReadOpened(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    auto* job = static_cast<CVXLFileStreamSourceJob*>(readRequest_.job);
    readRequest_.job = nullptr;
    finishEvent(reply);
    auto* request = static_cast<CVXLFileReadRequest*>(current_);
    if (!request)
        return;
    if (result != kResultSucceeded || !job) {
        request->setResult(result != kResultSucceeded ? result : kResultFailed, text);
        return finishCurrent();
    }
    currentSource_ = job;
    request->fileSize = job->fileSize();
    if (request->readLength != 0 || request->readStart != 0)
        job->setReadWindow(request->readStart, request->readLength);
    job->setDestination(&bufferSink_);
    transferStart_.setReplyCode(kReadTransferred);
    post(job, &transferStart_);
}

void CVXLFileStoreManager::onReadTransferred(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    auto* request = static_cast<CVXLFileReadRequest*>(current_);
    if (request) {
        request->buffer = bufferSink_.data();
        request->setResult(result, text);
    }
    transferStop_.setReplyCode(kReadClosed);
    post(currentSource_, &transferStop_);
}

void CVXLFileStoreManager::onReadClosed(CVXLEvent* reply)
{
    finishEvent(reply);
    if (currentSource_) {
        currentSource_->stop();
        currentSource_ = nullptr;
    }
    if (current_)
        finishCurrent();
}

void CVXLFileStoreManager::onWrite(CVXLEvent* event)
{
    auto* request = static_cast<CVXLFileWriteRequest*>(event);
    if (!store_) {
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    current_ = request;
    bufferSource_.setBuffer(request->buffer);
    writeRequest_.fileName = request->fileName;
    writeRequest_.job = nullptr;
    post(this, &writeRequest_);
}

void CVXLFileStoreManager::onOpenForWriting(CVXLEvent* event)
{
    auto* request = static_cast<CVXLNamedRequest*>(event);
    request->job = nullptr;
    if (!store_) {
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    CVXLPlatformFileStream* stream = store_->openStream();
    if (!stream) {
        request->setResult(kResultNoStream, CVXLString());
        return finishEvent(request);
    }
    auto* job = new CVXLFileStreamSinkJob();
    if (!job) {
        store_->closeStream(stream);
        request->setResult(kResultFailed, CVXLString());
        return finishEvent(request);
    }
    job->setFileStore(stream);
    job->setPath(request->fileName);
    startChild(job);
    request->job = job;
    finishEvent(request);
}

void CVXLFileStoreManager::onWriteOpened(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    auto* job = static_cast<CVXLFileStreamSinkJob*>(writeRequest_.job);
    writeRequest_.job = nullptr;
    finishEvent(reply);
    auto* request = static_cast<CVXLFileWriteRequest*>(current_);
    if (!request)
        return;
    if (result != kResultSucceeded || !job) {
        bufferSource_.setBuffer(CVXLByteBuffer());
        request->setResult(result != kResultSucceeded ? result : kResultFailed, text);
        return finishCurrent();
    }
    currentSink_ = job;
    job->setOpenMode(request->openMode);
    bufferSource_.setDestination(job);
    transferStart_.setReplyCode(kWriteTransferred);
    post(&bufferSource_, &transferStart_);
}

void CVXLFileStoreManager::onWriteTransferred(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    finishEvent(reply);
    if (current_)
        current_->setResult(result, text);
    transferStop_.setReplyCode(kWriteClosed);
    post(&bufferSource_, &transferStop_);
}

void CVXLFileStoreManager::onWriteClosed(CVXLEvent* reply)
{
    finishEvent(reply);
    if (currentSink_) {
        currentSink_->stop();
        currentSink_ = nullptr;
    }
    if (current_)
        finishCurrent();
}
