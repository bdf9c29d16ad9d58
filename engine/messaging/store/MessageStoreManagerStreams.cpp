#include "engine/messaging/store/MessageStoreManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/transfer/VXLFileStreamSinkJob.h"
#include "engine/transfer/VXLFileStreamSourceJob.h"

void CMessageStoreManager::onOpenForReading(CVXLNamedRequest* request)
{
    request->job = nullptr;
    CVXLString name = request->fileName;
    std::int32_t start = 0;
    std::int32_t length = 0;
    const int bar = name.findChar('|');
    if (bar >= 0) {
        const int bar2 = name.findChar('|', bar + 1);
        if (bar2 < 0) {
            request->setResult(kResultNotFound);
            return finishEvent(request);
        }
        start = name.substr(bar + 1, static_cast<std::uint32_t>(bar2 - bar - 1)).toInt();
        length = name.substr(bar2 + 1, name.length() - static_cast<std::uint32_t>(bar2) - 1).toInt();
        name = name.substr(0, static_cast<std::uint32_t>(bar));
        if (start < 0 || length <= 0) {
            request->setResult(kResultNotFound);
            return finishEvent(request);
        }
    }
    std::uint32_t size = 0;
    if (!fileSize(name, &size)) {
        request->setResult(kResultNotFound);
        return finishEvent(request);
    }
    CVXLPlatformFileStream* stream = store_->openStream();
    if (!stream) {
        request->setResult(kResultNoStream);
        return finishEvent(request);
    }
    auto* job = new CVXLFileStreamSourceJob();
    job->setAnnouncedTotal(size > 0x7FFFFFFFu ? -1 : static_cast<std::int32_t>(size));
    job->setFileStore(stream);
    job->setPath(name);
    if (bar >= 0)
        job->setReadWindow(start, length);
    startChild(job);
    request->job = job;
    request->setResult(kResultSucceeded);
    finishEvent(request);
}

void CMessageStoreManager::onOpenForWriting(CVXLNamedRequest* request)
{
    request->job = nullptr;
    const CVXLString& name = request->fileName;
    if (!name.length() || name == kNewIndex || name == kNotYetIndex || allFiles_.contains(name)) {
        // Stored messages and indexes are written by the store alone.
        VXL_LOG_INFO("message store: a write of %s refused", name.c_str());
        request->setResult(kResultNotFound);
        return finishEvent(request);
    }
    const bool relay
        = name == "temp_mmboxmms.raw" || name == "temp_mmboxnot.raw" || name == "temp_mmboxmsg.raw";
    auto* write = dynamic_cast<CStoreFileWriteRequest*>(request);
    const std::uint32_t hint = write ? write->sizeHint : 0;
    const std::uint64_t needed = hint ? 2ull * hint + 1024 : kRoomWithoutHint;
    const std::uint32_t budget = freeBudget();
    if (budget < needed) {
        const std::int64_t target
            = static_cast<std::int64_t>(usage_) + budget - static_cast<std::int64_t>(needed);
        // A relay mailbox transfer is for the copies being viewed: they stay.
        freeSpace(target > 0 ? static_cast<std::uint32_t>(target) : 0, CVXLString(relay ? "m" : ""));
    }
    CVXLPlatformFileStream* stream = store_->openStream();
    if (!stream) {
        request->setResult(kResultNoStream);
        return finishEvent(request);
    }
    auto* job = new CVXLFileStreamSinkJob();
    job->setFileStore(stream);
    job->setPath(name);
    // A transfer file is read by the job that fetched it and deleted at the
    // next load: a crash loses nothing the fetch cannot get again.
    if (isTransferFile(name))
        job->setScratch();
    startChild(job);
    if (relay)
        relayWriter_ = job;
    request->job = job;
    request->setResult(kResultSucceeded);
    finishEvent(request);
}

void CMessageStoreManager::childFinished(CVXLEventHandler* child)
{
    if (child == relayWriter_)
        relayWriter_ = nullptr;
    auto* job = static_cast<CVXLStreamJob*>(child);
    if (store_ && job->fileStore())
        store_->closeStream(job->fileStore());
    job->setFileStore(nullptr);
    delete job;
}
