#include "engine/messaging/store/MessageStoreManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/messaging/store/VXLHeaderBlock.h"

void CMessageStoreManager::onCountQuery(CStoreCountQuery* query)
{
    const std::uint32_t kind = query->kind < kKinds ? query->kind : 0;
    query->freeBudget = freeBudget();
    query->count = query->kind < kKinds ? lists_[kind].count() : 0;
    query->fileCount = query->count;
    query->newCount = query->kind == 0 ? inboxNew_ : query->kind == 2 ? premiumNew_ : 0;
    query->setResult(kResultSucceeded);
    finishEvent(query);
}

void CMessageStoreManager::onIdListQuery(CStoreIdListQuery* query)
{
    query->ids.clear();
    query->count = 0;
    if (query->kind < kKinds) {
        const CVXLStringArray& list = lists_[query->kind];
        for (std::uint32_t i = query->start; i < list.count() && query->count < query->size; ++i) {
            query->ids.insertAt(list.at(static_cast<int>(i)), -1);
            ++query->count;
        }
    }
    query->setResult(kResultSucceeded);
    finishEvent(query);
}

void CMessageStoreManager::onPartsQuery(CStorePartsQuery* query)
{
    query->fileSize = 0;
    query->fileStatus = fileSize(query->messageId, &query->fileSize) ? kPlatformOk : kPlatformNoSuchItem;
    if (query->fileStatus != kPlatformOk) {
        query->setResult(kResultNotFound);
        return finishEvent(query);
    }
    if (query->partCount == 0 || !query->parts) {
        query->setResult(kResultSucceeded);
        return finishEvent(query);
    }
    CVXLByteBuffer bytes;
    std::int32_t result = readHead(query->messageId, query->partCount + 4, bytes);
    std::uint32_t filled = 0;
    if (result == kResultSucceeded) {
        std::uint32_t offset = 0;
        Segment segment {};
        for (std::uint32_t i = 0; filled < query->partCount && nextSegment(bytes, &offset, &segment); ++i) {
            if (i < 4)
                continue;
            query->parts[filled].clear();
            CVXLHeaderBlock::read(bytes, segment.headerOffset, segment.headerLength, query->parts[filled]);
            ++filled;
        }
        result = filled ? kResultSucceeded : kResultDataComplete;
    }
    query->setResult(result);
    finishEvent(query);
}

void CMessageStoreManager::onRead(CStoreReadRequest* request)
{
    CVXLStoredMessageRead& read = request->read;
    read.summary.clear();
    read.totals.clear();
    read.message.clear();
    read.content.clear();
    read.bodyLocator.clear();
    read.bodyLength = 0;
    read.text.clear();
    read.read = !isNew(read.messageId);
    read.bodySource = this;

    std::uint32_t first = 0;
    std::uint32_t last = 0;
    switch (request->mode) {
    case 0:
        first = last = 2;
        break;
    case 2:
        last = 1;
        break;
    case 3:
        last = 2;
        break;
    case 4:
        last = 3;
        break;
    case 5:
        last = request->partIndex + 4;
        break;
    default:
        break;
    }

    CVXLByteBuffer bytes;
    std::int32_t result = readHead(read.messageId, last + 1, bytes);
    if (result == kResultSucceeded) {
        std::uint32_t offset = 0;
        Segment segment {};
        for (std::uint32_t i = 0; i <= last; ++i) {
            if (!nextSegment(bytes, &offset, &segment)) {
                result = kResultDataComplete;
                break;
            }
            if (i < first)
                continue;
            CVXLHeaderMap* target = nullptr;
            if (i == 0)
                target = &read.summary;
            else if (i == 2)
                target = &read.totals;
            else if (i == 3)
                target = &read.message;
            else if (i == 1 && request->mode != 5)
                target = &read.content;
            else if (i >= 4 && i == last)
                target = &read.content;
            if (!target)
                continue;
            CVXLHeaderBlock::read(bytes, segment.headerOffset, segment.headerLength, *target);
            if (target != &read.content)
                continue;
            read.bodyLocator = locatorOf(read.messageId, segment);
            read.bodyLength = segment.bodyLength;
            if (request->mode == 5) {
                if (request->asText && segment.bodyLength)
                    read.text.appendBytes(bytes.data() + segment.bodyOffset, segment.bodyLength);
                markRead(request);
            }
        }
    }
    request->setResult(result);
    if (request->isRequest() && request->source())
        finishEvent(request);
}

void CMessageStoreManager::markRead(CStoreReadRequest* request)
{
    const CVXLString& id = request->read.messageId;
    request->read.read = true;
    if (!newIndex_.contains(id)) {
        // Already read here; the thread database may still count it.
        postMarkRead(id);
        return;
    }
    newIndex_.remove(id);
    const std::uint32_t kind = kindNumber(id);
    if (kind == 0 && inboxNew_)
        --inboxNew_;
    else if (kind == 2 && premiumNew_)
        --premiumNew_;
    postMarkRead(id);
    writeNewCount(kind);
    writeTotal(kind);
    if (writeIndex(kNewIndex, newIndex_) != kResultSucceeded)
        VXL_LOG_FAILURE("message store: \"mms.new\" not rewritten after %s was read", id.c_str());
}
