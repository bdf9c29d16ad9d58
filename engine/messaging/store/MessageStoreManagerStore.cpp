#include "engine/messaging/store/MessageStoreManager.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/transport/mime/VXLMultipartBody.h"

namespace {

CVXLMultipartBody* multipartOf(CVXLMimeEntity* entity)
{
    return entity && entity->kind() == CVXLMimeEntity::kMultipart ? static_cast<CVXLMultipartBody*>(entity)
                                                                  : nullptr;
}

// A message's headers as a map, parameters included (an MMS PDU answers its
// fields under their codes through the same calls).
CVXLHeaderMap headerMapOf(const CVXLMessage& message)
{
    CVXLHeaderMap map;
    for (std::uint32_t i = 0, n = message.headerCount(); i < n; ++i) {
        const CVXLString name = message.headerName(static_cast<int>(i));
        for (std::uint32_t v = 0, values = message.valueCount(name); v < values; ++v) {
            const CVXLString& value = message.headerValue(name, static_cast<int>(v));
            if (!value.length())
                continue;
            map.add(name, value);
            const std::uint32_t parameters = message.parameterCount(name, static_cast<int>(v));
            if (parameters == 0)
                continue;
            auto* params = new CVXLHeaderMap;
            for (std::uint32_t k = 0; k < parameters; ++k) {
                const CVXLString parameter
                    = message.parameterName(name, static_cast<int>(v), static_cast<int>(k));
                if (const CVXLString* text = message.parameter(name, parameter, static_cast<int>(v)))
                    params->add(parameter, *text);
            }
            if (!map.setValueObject(name, static_cast<int>(map.valueCount(name)) - 1, params))
                delete params;
        }
    }
    return map;
}

} // namespace

void CMessageStoreManager::onStore(CStoreMessageRequest* request)
{
    const std::int32_t result = storeMessage(request);
    request->setResult(result);
    finishEvent(request);
}

std::uint32_t CMessageStoreManager::limit()
{
    const std::uint32_t value = services_ ? services_->messageLimit() : kDefaultLimit;
    return value ? value : kDefaultLimit;
}

// While the inbox, premium and sent lists hold the limit, the oldest of
// their last ids (compared without the kind letter) is deleted.
bool CMessageStoreManager::makeRoomForLimit(std::int32_t* result)
{
    const std::uint32_t most = limit();
    while (lists_[0].count() + lists_[2].count() + lists_[3].count() >= most) {
        CVXLString candidate;
        for (std::uint32_t kind : {0u, 2u, 3u}) {
            const CVXLStringArray& list = lists_[kind];
            if (!list.count())
                continue;
            const CVXLString last = list.at(static_cast<int>(list.count()) - 1);
            const CVXLString stamp = last.substr(1, last.length() - 1);
            const CVXLString best
                = candidate.length() ? candidate.substr(1, candidate.length() - 1) : CVXLString();
            // Premium wins a tie with the inbox; sent must be strictly older.
            const bool older = kind == 2 ? stamp <= best : stamp < best;
            if (!candidate.length() || older)
                candidate = last;
        }
        if (!candidate.length()) {
            *result = kResultStoreFull;
            return false;
        }
        const std::int32_t deleted = deleteMessage(candidate);
        if (deleted != kResultSucceeded) {
            *result = deleted;
            return false;
        }
    }
    return true;
}

std::int32_t CMessageStoreManager::storeMessage(CStoreMessageRequest* request)
{
    if (request->fullMessage > 1)
        return kResultStoreBadKind;
    if (!request->message)
        return kResultFailed;
    const CVXLMessage& message = *request->message;
    const bool whole = request->fullMessage == 1;
    if (whole && !request->messageId.length())
        return kResultNotFound;
    std::uint32_t kind = request->targetBox;
    if (request->messageId.length())
        kind = kindNumber(request->messageId);
    if (!whole && !request->messageId.length() && (kind == 0 || kind == 2 || kind == 3)) {
        std::int32_t result = kResultSucceeded;
        if (!makeRoomForLimit(&result))
            return result;
    }

    const CVXLHeaderMap messageHeaders = headerMapOf(message);
    MessageImage image;
    std::int32_t result = whole ? composeWhole(message, messageHeaders, request->messageId, image)
                                : composePreview(message, messageHeaders, image);
    if (result != kResultSucceeded)
        return result;

    CVXLString id = request->messageId;
    if (!whole && !id.length()) {
        // A clock set back must not make the id of a message still stored.
        const std::uint32_t now = services_ ? services_->nowSeconds() : 0;
        do
            id = ids_.make(static_cast<VXLMessageStoreKind>(kind), now);
        while (allFiles_.contains(id));
        request->messageId = id;
    }
    result = putMessage(id, kind, whole, image.bytes);
    if (result != kResultSucceeded)
        return result;
    if (!whole && kind != 1)
        postAdd(id, messageHeaders);
    deleteSpentSources(image.sources, id);
    return kResultSucceeded;
}

// A segment of the entity's headers and body; a body the entity keeps in a
// file is read from there, and the file noted as spent once stored.
std::int32_t CMessageStoreManager::appendEntity(
    MessageImage& image, const CVXLHeaderMap& headers, const CVXLMimeEntity* from)
{
    CVXLByteBuffer bytes;
    if (from) {
        if (from->bodyData() || !from->fileName().length() || from->dataSize() == 0) {
            if (from->bodyLength())
                bytes.append(from->bodyData(), from->bodyLength());
        } else {
            image.sources.add(from->fileName(), CVXLString());
            const std::int32_t read = readRange(from->fileName(), from->dataStart(), from->dataSize(), bytes);
            if (read != kResultSucceeded)
                return read;
        }
    }
    return appendSegment(image.bytes, headers, bytes.data(), bytes.length()) ? kResultSucceeded
                                                                             : kResultFailed;
}

// A preview: the message's headers and its body entity (the first part when
// it is multipart).
std::int32_t CMessageStoreManager::composePreview(
    const CVXLMessage& message, const CVXLHeaderMap& headers, MessageImage& image)
{
    std::int32_t result = appendEntity(image, headers, &message);
    if (result != kResultSucceeded)
        return result;
    CVXLMimeEntity* entity = message.body().get();
    CVXLMultipartBody* multipart = multipartOf(entity);
    CVXLMimeEntity* first = multipart ? multipart->partAt(0).get() : entity;
    return first ? appendEntity(image, first->mimeHeaders(), first)
                 : appendEntity(image, CVXLHeaderMap(), nullptr);
}

// A whole message over its preview: the stored summary and body entity stay;
// the totals, the message's headers and every media part are written anew.
std::int32_t CMessageStoreManager::composeWhole(
    const CVXLMessage& message, const CVXLHeaderMap& headers, const CVXLString& id, MessageImage& image)
{
    CVXLMimeEntity* entity = message.body().get();
    CVXLMultipartBody* multipart = multipartOf(entity);
    const std::uint32_t partCount = multipart ? multipart->partCount() : (entity ? 1 : 0);

    CVXLByteBuffer old;
    std::int32_t result = readHead(id, 2, old);
    std::uint32_t offset = 0;
    Segment segment {};
    if (result == kResultSucceeded
        && !(nextSegment(old, &offset, &segment) && nextSegment(old, &offset, &segment)))
        result = kResultDataComplete;
    if (result == kResultSucceeded) {
        image.bytes.append(old.data(), offset);
        CVXLHeaderMap totals;
        totals.add("X-QV-Total-Media-Parts", CVXLString(static_cast<int>(partCount)));
        result = appendEntity(image, totals, nullptr);
    }
    if (result == kResultSucceeded)
        result = appendEntity(image, headers, &message);
    for (std::uint32_t i = 0; result == kResultSucceeded && i < partCount; ++i) {
        CVXLMimeEntity* part = multipart ? multipart->partAt(i).get() : entity;
        if (part)
            result = appendEntity(image, part->mimeHeaders(), part);
    }
    return result;
}

// Puts a composed message in place: room made for it and its entry in
// "mms.new" (a new preview of the inbox or premium box), the entry on the
// disk before the file and taken back when the file fails, then the box list
// and the counters.
std::int32_t CMessageStoreManager::putMessage(
    const CVXLString& id, std::uint32_t kind, bool whole, const CVXLByteBuffer& image)
{
    const bool enterNew = !whole && kind != 1 && !newIndex_.contains(id) && (kind == 0 || kind == 2);

    std::uint32_t needed = image.length() + (!whole && id.c_str()[0] != 'm' ? kNewIndexEntryBytes : 0);
    std::uint32_t budget = freeBudget();
    if (needed > budget) {
        const std::uint32_t shortfall = needed - budget;
        freeSpace(usage_ > shortfall ? usage_ - shortfall : 0, id);
        budget = freeBudget();
        if (needed > budget)
            return kResultStoreNoRoom;
    }

    std::int32_t result = kResultSucceeded;
    if (enterNew) {
        newIndex_.add(id, CVXLString());
        result = appendToNewIndex(id);
        if (result != kResultSucceeded) {
            newIndex_.remove(id);
            return result;
        }
    }
    result = replaceFile(id, image);
    if (result != kResultSucceeded) {
        if (enterNew) {
            newIndex_.remove(id);
            writeIndex(kNewIndex, newIndex_);
        }
        return result;
    }
    if (!allFiles_.contains(id)) {
        allFiles_.add(id, CVXLString());
        insertSorted(kind, id);
    }
    if (enterNew) {
        if (kind == 0) {
            ++inboxNew_;
            if (services_)
                services_->setHasNewMessages();
        } else {
            ++premiumNew_;
        }
        writeNewCount(kind);
    }
    writeTotal(kind);
    return kResultSucceeded;
}

void CMessageStoreManager::postAdd(const CVXLString& id, const CVXLHeaderMap& summary)
{
    if (!threadDB_)
        return;
    auto* add = new CThreadAddRequest(kReplyThreadAdd);
    add->setReplyWanted(false);
    add->messageId = id;
    const CVXLString& sent = summary.value(CVXLString("X-QV-Message-Sent-Time"));
    CVXLString seconds = sent.length() > 11 ? sent.substr(0, sent.length() - 3) : sent;
    const int value = seconds.toInt();
    add->sentTime = value > 0 ? static_cast<std::uint32_t>(value) : 0;
    add->sender = summary.value(CVXLString("X-QV-From-Address"));
    for (const char* list : {"X-QV-To-Address-List", "X-QV-CC-Address-List", "X-QV-BCC-Address-List"}) {
        CVXLStringArray entries;
        CVXLAddressee::splitList(summary.value(CVXLString(list)), entries);
        for (std::uint32_t i = 0; i < entries.count(); ++i) {
            const CVXLString entry = entries.at(static_cast<int>(i));
            if (add->recipients.indexOf(entry) < 0)
                add->recipients.insertAt(entry, -1);
        }
    }
    add->sent = kindNumber(id) == 3 ? 1 : 0;
    add->alreadyRead = isNew(id) ? 0 : 1;
    post(threadDB_, add);
}
