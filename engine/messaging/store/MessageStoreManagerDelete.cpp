#include "engine/messaging/store/MessageStoreManager.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/threads/VXLThreadDB.h"

template <class Notice> void CMessageStoreManager::postNotice(Notice* notice, const CVXLString& id)
{
    if (!threadDB_) {
        delete notice;
        return;
    }
    notice->messageId = id;
    notice->setReplyWanted(false);
    post(threadDB_, notice);
}

void CMessageStoreManager::postMarkRead(const CVXLString& id)
{
    postNotice(new CThreadMarkReadRequest(kReplyThreadMarkRead), id);
}

void CMessageStoreManager::onDelete(CStoreDeleteRequest* request)
{
    request->setResult(deleteMessage(request->messageId));
    finishEvent(request);
}

std::int32_t CMessageStoreManager::deleteMessage(const CVXLString& id)
{
    if (!id.length() || id == kNewIndex || id == kNotYetIndex)
        return kResultNotFound;
    const std::int32_t removed = removeFile(id);
    if (removed != kResultSucceeded)
        return removed;
    const std::uint32_t kind = kindNumber(id);
    allFiles_.remove(id);
    removeFromList(kind, id);
    writeTotal(kind);
    if (newIndex_.contains(id)) {
        postMarkRead(id);
        newIndex_.remove(id);
        if (kind == 0 && inboxNew_)
            --inboxNew_;
        else if (kind == 2 && premiumNew_)
            --premiumNew_;
        writeNewCount(kind);
        if (writeIndex(kNewIndex, newIndex_) != kResultSucceeded)
            VXL_LOG_FAILURE("message store: \"mms.new\" not rewritten after %s was deleted", id.c_str());
    }
    if (kind != 1)
        postNotice(new CThreadRemoveRequest(kReplyThreadRemove), id);
    if (premium_) {
        auto* notice = new CStoreDeleteRequest(kPremiumFileDeleted);
        notice->setRequestCode(kPremiumFileDeleted);
        notice->messageId = id;
        notice->setReplyWanted(false);
        post(premium_, notice);
    }
    return kResultSucceeded;
}

// While a relay mailbox transfer file is written the copies are being
// viewed: the purge is answered without deleting.
void CMessageStoreManager::onMmboxPurge(CVXLEvent* request)
{
    request->setResult(relayWriter_ ? kResultSucceeded : deleteMailboxCopies());
    finishEvent(request);
}

std::int32_t CMessageStoreManager::deleteMailboxCopies()
{
    CVXLStringArray& copies = lists_[1];
    while (copies.count()) {
        const CVXLString id = copies.at(0);
        const std::int32_t result = deleteMessage(id);
        if (result != kResultSucceeded)
            return result;
    }
    return kResultSucceeded;
}

void CMessageStoreManager::onWipe(CVXLEvent* request)
{
    std::int32_t result = kResultSucceeded;
    allFiles_.add(CVXLString(kNewIndex), CVXLString());
    allFiles_.add(CVXLString(kNotYetIndex), CVXLString());
    while (allFiles_.nameCount() && result == kResultSucceeded) {
        const CVXLString name = allFiles_.nameAt(0);
        result = removeFile(name);
        allFiles_.remove(name);
    }
    const std::int32_t loaded = load();
    request->setResult(result != kResultSucceeded ? result : loaded);
    finishEvent(request);
}

// Relay copies go first, then media parts are stripped (segments after 3),
// oldest names first, until the usage is at most the target.
std::int32_t CMessageStoreManager::freeSpace(std::uint32_t target, const CVXLString& keep)
{
    const bool keepCopies = relayWriter_ || (keep.length() && keep.c_str()[0] == 'm');
    std::int32_t result = keepCopies ? kResultSucceeded : deleteMailboxCopies();
    if (result != kResultSucceeded)
        return result;
    for (std::uint32_t n = 0; n < allFiles_.nameCount() && usage_ > target; ++n) {
        const CVXLString name = allFiles_.nameAt(static_cast<int>(n));
        if (name == keep)
            continue;
        CVXLByteBuffer bytes;
        if (readHead(name, 5, bytes) != kResultSucceeded)
            continue;
        std::uint32_t offset = 0;
        Segment segment {};
        std::uint32_t count = 0;
        while (count < 4 && nextSegment(bytes, &offset, &segment))
            ++count;
        if (count < 4 || offset >= bytes.length())
            continue;
        bytes.truncate(offset);
        result = replaceFile(name, bytes);
        if (result != kResultSucceeded)
            return result;
    }
    return kResultSucceeded;
}

void CMessageStoreManager::onSummaryRewrite(CStoreSummaryRewriteRequest* request)
{
    CVXLByteBuffer old;
    std::int32_t result = readFile(request->messageId, old);
    std::uint32_t offset = 0;
    Segment segment {};
    if (result == kResultSucceeded
        && !(nextSegment(old, &offset, &segment) && nextSegment(old, &offset, &segment)))
        result = kResultDataComplete;
    if (result == kResultSucceeded) {
        // The new summary, then everything from segment 1 on as it was.
        CVXLByteBuffer image;
        const std::uint32_t rest = segment.headerOffset - 8;
        if (!appendSegment(image, request->headers, nullptr, 0)
            || !image.append(old.data() + rest, old.length() - rest))
            result = kResultFailed;
        else
            result = replaceFile(request->messageId, image);
    }
    request->setResult(result);
    finishEvent(request);
}
