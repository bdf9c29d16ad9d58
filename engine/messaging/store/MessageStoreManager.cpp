#include "engine/messaging/store/MessageStoreManager.h"

#include "engine/core/base/VXLBigEndian.h"
#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLNameListener.h"
#include "engine/core/platform/VXLPlatformFileStream.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "engine/core/platform/VXLPlatformStore.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/messaging/store/VXLAddressee.h"
#include "engine/messaging/store/VXLHeaderBlock.h"
#include "engine/messaging/threads/VXLThreadDB.h"
#include "engine/transfer/VXLFileStreamSinkJob.h"
#include "engine/transfer/VXLFileStreamSourceJob.h"
#include "engine/transport/mime/VXLMultipartBody.h"

namespace {

constexpr const char* kTransferFiles[] = {
    "temp_not.raw", "temp_mmboxnot.raw", "not_ind_resp.raw", "temp_mmboxmsg.raw", "temp_mmboxmms.raw", "temp_mms.raw",
};

// The platform store answers at once; these keep what it said.
class StatusCollector : public CVXLCallback {
public:
    void call(std::uint32_t value) override
    {
        if (count < 4)
            values[count] = value;
        ++count;
    }
    std::uint32_t last() const { return count ? values[count < 4 ? count - 1 : 3] : kPlatformOpenFailed; }
    std::uint32_t values[4] = {};
    std::uint32_t count = 0;
};

class NameCollector : public CVXLNameListener {
public:
    void setName(const char* name) override { current = name; }
    void done(std::uint32_t value) override { status = value; }
    CVXLString current;
    std::uint32_t status = kPlatformNoMoreEntries;
};

class BytesCollector : public CVXLDataSink {
public:
    explicit BytesCollector(CVXLByteBuffer& out)
        : bytes(out)
    {
    }
    void dataArrived(const std::uint8_t* data, std::uint32_t count) override
    {
        if (!bytes.append(data, count))
            failed = true;
    }
    void complete(std::uint32_t value) override { status = value; }
    CVXLByteBuffer& bytes;
    std::uint32_t status = kPlatformReadFailed;
    bool failed = false;
};

class BytesSource : public CVXLSinkInterface {
public:
    explicit BytesSource(const CVXLByteBuffer& in)
        : bytes(in)
    {
    }
    const std::uint8_t* getData() override { return bytes.data() + offset; }
    std::uint32_t getLength() override { return bytes.length() - offset; }
    void consume(std::uint32_t count, std::uint32_t error) override
    {
        offset += count;
        status = error;
    }
    const CVXLByteBuffer& bytes;
    std::uint32_t offset = 0;
    std::uint32_t status = kPlatformOk;
};

CVXLMultipartBody* multipartOf(CVXLMimeEntity* entity)
{
    return entity && entity->kind() == CVXLMimeEntity::kMultipart ? static_cast<CVXLMultipartBody*>(entity) : nullptr;
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
                const CVXLString parameter = message.parameterName(name, static_cast<int>(v), static_cast<int>(k));
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

CMessageStoreManager::CMessageStoreManager() = default;

CMessageStoreManager::~CMessageStoreManager()
{
    delete reconcile_;
}

bool CMessageStoreManager::isTransferFile(const CVXLString& name)
{
    for (const char* transfer : kTransferFiles) {
        if (name == transfer)
            return true;
    }
    return false;
}

std::uint32_t CMessageStoreManager::boxCount(std::uint32_t kind) const
{
    return kind == 0 || kind == 2 || kind == 3 ? lists_[kind].count() : 0;
}

CVXLString CMessageStoreManager::boxIdAt(std::uint32_t kind, std::uint32_t position) const
{
    return kind == 0 || kind == 2 || kind == 3 ? lists_[kind].at(static_cast<int>(position)) : CVXLString();
}

void CMessageStoreManager::onEvent(CVXLEvent* event)
{
    if (!event->isRequest()) {
        if (event == reconcile_)
            return onReconciled(reconcile_);
        return finishEvent(event);
    }
    switch (event->requestCode()) {
    case kEventStart:
        return onStart(event);
    case kEventStop:
        // A reconcile still out is dropped; the start it held ends with it.
        if (startEvent_) {
            cancelEventsWith(threadDB_);
            startEvent_->setResult(kResultCancelled);
            finishEvent(startEvent_);
            startEvent_ = nullptr;
        }
        return finishEvent(event);
    case kEventCancelNotice:
        return finishEvent(event);
    case kEventStoreCount:
        return onCountQuery(static_cast<CStoreCountQuery*>(event));
    case kEventStoreIdList:
        return onIdListQuery(static_cast<CStoreIdListQuery*>(event));
    case kEventStoreParts:
        return onPartsQuery(static_cast<CStorePartsQuery*>(event));
    case kEventStoreRead:
        return onRead(static_cast<CStoreReadRequest*>(event));
    case kEventStoreMessage:
        return onStore(static_cast<CStoreMessageRequest*>(event));
    case kEventStoreDelete:
        return onDelete(static_cast<CStoreDeleteRequest*>(event));
    case kEventStoreMmboxPurge:
        return onMmboxPurge(event);
    case kEventStoreWipe:
        return onWipe(event);
    case kEventStoreSummaryRewrite:
        return onSummaryRewrite(static_cast<CStoreSummaryRewriteRequest*>(event));
    case kEventFileOpenForReading:
    case kEventFileStoreOpenForReading:
    case kEventStoreFileOpenForReading:
        return onOpenForReading(static_cast<CVXLNamedRequest*>(event));
    case kEventFileOpenForWriting:
    case kEventStoreFileOpenForWriting:
    case kEventStoreTransferFileOpen:
        return onOpenForWriting(static_cast<CVXLNamedRequest*>(event));
    default:
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
}

// ---------------------------------------------------------------- loading

void CMessageStoreManager::onStart(CVXLEvent* event)
{
    if (!store_) {
        event->setResult(kResultFailed);
        return finishEvent(event);
    }
    const std::int32_t result = load();
    if (result != kResultSucceeded || firstLoadDone_ || !threadDB_) {
        firstLoadDone_ = true;
        event->setResult(result);
        return finishEvent(event);
    }
    firstLoadDone_ = true;
    // The thread database names the ids it does not know; they are read
    // and added, or deleted when their summary is damaged.
    delete reconcile_;
    reconcile_ = new CThreadReconcileRequest(kReplyReconcile);
    reconcile_->setHeapAllocated(false);
    for (std::uint32_t kind : {0u, 2u, 3u}) {
        for (std::uint32_t i = 0; i < lists_[kind].count(); ++i)
            reconcile_->addId(lists_[kind].at(static_cast<int>(i)));
    }
    startEvent_ = event;
    post(threadDB_, reconcile_);
}

void CMessageStoreManager::onReconciled(CThreadReconcileRequest* reply)
{
    for (int i = static_cast<int>(reply->unknownIds.count()) - 1; i >= 0; --i) {
        const CVXLString id = reply->unknownIds.at(i);
        CStoreReadRequest read;
        read.mode = 4;
        read.read.messageId = id;
        onRead(&read);
        if (read.read.summary.nameCount() >= 3) {
            postAdd(id, read.read.summary);
        } else {
            VXL_LOG_INFO("message store: %s has no readable summary; deleted", id.c_str());
            deleteMessage(id);
        }
    }
    finishEvent(reply);
    if (startEvent_) {
        CVXLEvent* start = startEvent_;
        startEvent_ = nullptr;
        start->setResult(kResultSucceeded);
        finishEvent(start);
    }
}

std::int32_t CMessageStoreManager::load()
{
    loaded_ = false;
    for (CVXLStringArray& list : lists_)
        list.clear();
    allFiles_.clear();
    newIndex_.clear();
    notYetIndex_.clear();
    inboxNew_ = premiumNew_ = 0;
    usage_ = 0;

    CVXLStringArray names;
    NameCollector lister;
    store_->first(&lister);
    while (lister.status == kPlatformOk) {
        names.insertAt(lister.current, -1);
        lister.status = kPlatformNoMoreEntries;
        store_->next(&lister);
    }
    if (lister.status != kPlatformNoMoreEntries)
        return kResultFailed;

    for (std::uint32_t i = 0; i < names.count(); ++i) {
        const CVXLString name = names.at(static_cast<int>(i));
        const bool index = name == kNewIndex || name == kNotYetIndex;
        if (!index && (CVXLStoredMessageId::kindOf(name) == VXLMessageStoreKind::Temporary || isTransferFile(name))) {
            StatusCollector deleted;
            store_->deleteItem(name.c_str(), &deleted);
            VXL_LOG_INFO("message store: temporary %s deleted at load (%u)", name.c_str(), deleted.last());
            continue;
        }
        allFiles_.add(name, CVXLString());
    }

    // Indexes: ids whose file has gone are dropped; a missing index is made.
    struct IndexFile {
        const char* name;
        CVXLHeaderMap* ids;
    } indexes[] = { { kNewIndex, &newIndex_ }, { kNotYetIndex, &notYetIndex_ } };
    for (IndexFile& index : indexes) {
        bool rewrite = false;
        const bool existed = allFiles_.contains(CVXLString(index.name));
        if (existed) {
            CVXLByteBuffer bytes;
            const std::int32_t read = readFile(index.name, bytes);
            if (read != kResultSucceeded)
                return read;
            CVXLHeaderBlock::readIndex(bytes, *index.ids);
            for (int n = static_cast<int>(index.ids->nameCount()) - 1; n >= 0; --n) {
                const CVXLString id = index.ids->nameAt(n);
                const bool own = index.ids == &notYetIndex_ && (id == kNewIndex || id == kNotYetIndex);
                if (!own && !allFiles_.contains(id)) {
                    VXL_LOG_INFO("message store: %s named %s, whose file is gone", index.name, id.c_str());
                    index.ids->remove(id);
                    rewrite = true;
                }
            }
        } else {
            rewrite = true;
        }
        if (index.ids == &notYetIndex_) {
            for (const char* own : { kNewIndex, kNotYetIndex }) {
                if (!notYetIndex_.contains(CVXLString(own))) {
                    if (existed)
                        VXL_LOG_INFO("message store: %s given back its entry %s", kNotYetIndex, own);
                    notYetIndex_.add(CVXLString(own), CVXLString());
                    rewrite = true;
                }
            }
        }
        if (rewrite) {
            // Sizes are counted below, so the write's own change is not.
            CVXLByteBuffer bytes;
            CVXLHeaderBlock::writeIndex(*index.ids, bytes);
            const std::int32_t written = replaceFile(index.name, bytes);
            if (written != kResultSucceeded)
                return written;
            allFiles_.remove(CVXLString(index.name));
            allFiles_.add(CVXLString(index.name), CVXLString());
        }
    }

    usage_ = 0;
    for (std::uint32_t n = 0; n < allFiles_.nameCount(); ++n) {
        const CVXLString name = allFiles_.nameAt(static_cast<int>(n));
        std::uint32_t size = 0;
        if (fileSize(name, &size))
            usage_ += size;
        if (name == kNewIndex || name == kNotYetIndex || notYetIndex_.contains(name))
            continue;
        insertSorted(kindNumber(name), name);
    }
    allFiles_.remove(CVXLString(kNewIndex));
    allFiles_.remove(CVXLString(kNotYetIndex));

    bool hasNew = false;
    for (std::uint32_t n = 0; n < newIndex_.nameCount(); ++n) {
        const CVXLString id = newIndex_.nameAt(static_cast<int>(n));
        const std::uint32_t kind = kindNumber(id);
        if (kind == 0) {
            ++inboxNew_;
            hasNew = true;
        } else if (kind == 2) {
            ++premiumNew_;
        }
    }
    if (hasNew && services_)
        services_->setHasNewMessages();
    writeCounters();
    loaded_ = true;
    return kResultSucceeded;
}

// ---------------------------------------------------------------- queries

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

// ---------------------------------------------------------------- reading

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

// ---------------------------------------------------------------- storing

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
        for (std::uint32_t kind : { 0u, 2u, 3u }) {
            const CVXLStringArray& list = lists_[kind];
            if (!list.count())
                continue;
            const CVXLString last = list.at(static_cast<int>(list.count()) - 1);
            const CVXLString stamp = last.substr(1, last.length() - 1);
            const CVXLString best = candidate.length() ? candidate.substr(1, candidate.length() - 1) : CVXLString();
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
std::int32_t CMessageStoreManager::appendEntity(MessageImage& image, const CVXLHeaderMap& headers,
                                                const CVXLMimeEntity* from)
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
    return appendSegment(image.bytes, headers, bytes.data(), bytes.length()) ? kResultSucceeded : kResultFailed;
}

// A preview: the message's headers and its body entity (the first part when
// it is multipart).
std::int32_t CMessageStoreManager::composePreview(const CVXLMessage& message, const CVXLHeaderMap& headers,
                                                  MessageImage& image)
{
    std::int32_t result = appendEntity(image, headers, &message);
    if (result != kResultSucceeded)
        return result;
    CVXLMimeEntity* entity = message.body().get();
    CVXLMultipartBody* multipart = multipartOf(entity);
    CVXLMimeEntity* first = multipart ? multipart->partAt(0).get() : entity;
    return first ? appendEntity(image, first->mimeHeaders(), first) : appendEntity(image, CVXLHeaderMap(), nullptr);
}

// A whole message over its preview: the stored summary and body entity stay;
// the totals, the message's headers and every media part are written anew.
std::int32_t CMessageStoreManager::composeWhole(const CVXLMessage& message, const CVXLHeaderMap& headers,
                                                const CVXLString& id, MessageImage& image)
{
    CVXLMimeEntity* entity = message.body().get();
    CVXLMultipartBody* multipart = multipartOf(entity);
    const std::uint32_t partCount = multipart ? multipart->partCount() : (entity ? 1 : 0);

    CVXLByteBuffer old;
    std::int32_t result = readHead(id, 2, old);
    std::uint32_t offset = 0;
    Segment segment {};
    if (result == kResultSucceeded && !(nextSegment(old, &offset, &segment) && nextSegment(old, &offset, &segment)))
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
// "mms.new" (a new preview of the inbox or premium box), the index written
// before the file and taken back when the file fails, then the box list and
// the counters.
std::int32_t CMessageStoreManager::putMessage(const CVXLString& id, std::uint32_t kind, bool whole,
                                              const CVXLByteBuffer& image)
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
        result = writeIndex(kNewIndex, newIndex_);
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

template <class Notice>
void CMessageStoreManager::postNotice(Notice* notice, const CVXLString& id)
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
    for (const char* list : { "X-QV-To-Address-List", "X-QV-CC-Address-List", "X-QV-BCC-Address-List" }) {
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

// ---------------------------------------------------------------- deleting

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
    if (result == kResultSucceeded && !(nextSegment(old, &offset, &segment) && nextSegment(old, &offset, &segment)))
        result = kResultDataComplete;
    if (result == kResultSucceeded) {
        // The new summary, then everything from segment 1 on as it was.
        CVXLByteBuffer image;
        const std::uint32_t rest = segment.headerOffset - 8;
        if (!appendSegment(image, request->headers, nullptr, 0) || !image.append(old.data() + rest, old.length() - rest))
            result = kResultFailed;
        else
            result = replaceFile(request->messageId, image);
    }
    request->setResult(result);
    finishEvent(request);
}

// ---------------------------------------------------------------- streams of other jobs

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
    const bool relay = name == "temp_mmboxmms.raw" || name == "temp_mmboxnot.raw" || name == "temp_mmboxmsg.raw";
    auto* write = dynamic_cast<CStoreFileWriteRequest*>(request);
    const std::uint32_t hint = write ? write->sizeHint : 0;
    const std::uint64_t needed = hint ? 2ull * hint + 1024 : kRoomWithoutHint;
    const std::uint32_t budget = freeBudget();
    if (budget < needed) {
        const std::int64_t target = static_cast<std::int64_t>(usage_) + budget - static_cast<std::int64_t>(needed);
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

// ---------------------------------------------------------------- files

std::int32_t CMessageStoreManager::readFile(const CVXLString& name, CVXLByteBuffer& bytes)
{
    return readRange(name, 0, 0xFFFFFFFFu, bytes);
}

// Reads exactly count bytes at the stream's position; false at the end of
// the file or on a failure.
static bool readExactly(CVXLPlatformFileStream* stream, std::uint32_t count, CVXLByteBuffer& bytes)
{
    while (count) {
        const std::uint32_t before = bytes.length();
        BytesCollector collector(bytes);
        stream->read(&collector, count < 65536 ? count : 65536);
        const std::uint32_t got = bytes.length() - before;
        if (collector.failed || collector.status != kPlatformOk || got == 0 || got > count)
            return false;
        count -= got;
    }
    return true;
}

std::int32_t CMessageStoreManager::readHead(const CVXLString& name, std::uint32_t segments, CVXLByteBuffer& bytes)
{
    CVXLPlatformFileStream* stream = store_->openStream();
    if (!stream)
        return kResultNoStream;
    StatusCollector opened;
    stream->open(name.c_str(), kStreamRead, &opened);
    const std::int32_t result = opened.last() == kPlatformOk ? kResultSucceeded : kResultNotFound;
    // What the file holds short of the wanted segments is left to the
    // segment walk to find.
    for (std::uint32_t n = 0; result == kResultSucceeded && n < segments; ++n) {
        const std::uint32_t at = bytes.length();
        if (!readExactly(stream, 8, bytes))
            break;
        const std::uint64_t rest = static_cast<std::uint64_t>(vxlGetUInt32BE(bytes, at)) + vxlGetUInt32BE(bytes, at + 4);
        if (rest > 0x7FFFFFFFu || !readExactly(stream, static_cast<std::uint32_t>(rest), bytes))
            break;
    }
    StatusCollector closed;
    stream->close(&closed);
    store_->closeStream(stream);
    return result;
}

std::int32_t CMessageStoreManager::readRange(const CVXLString& name, std::uint32_t start, std::uint32_t count, CVXLByteBuffer& bytes)
{
    CVXLPlatformFileStream* stream = store_->openStream();
    if (!stream)
        return kResultNoStream;
    StatusCollector opened;
    stream->open(name.c_str(), kStreamRead, &opened);
    std::int32_t result = opened.last() == kPlatformOk ? kResultSucceeded : kResultNotFound;
    if (result == kResultSucceeded && start) {
        StatusCollector sought;
        stream->seek(static_cast<std::int32_t>(start), false, &sought);
        if (sought.last() != kPlatformOk)
            result = kResultStorageFailed;
    }
    std::uint32_t left = count;
    while (result == kResultSucceeded && left) {
        const std::uint32_t before = bytes.length();
        BytesCollector collector(bytes);
        stream->read(&collector, left < 65536 ? left : 65536);
        if (collector.failed)
            result = kResultFailed;
        else if (collector.status == kPlatformEndOfData)
            break;
        else if (collector.status != kPlatformOk)
            result = kResultStorageFailed;
        left -= count == 0xFFFFFFFFu ? 0 : bytes.length() - before;
    }
    if (result == kResultSucceeded && count != 0xFFFFFFFFu && left)
        result = kResultDataComplete;
    StatusCollector closed;
    stream->close(&closed);
    store_->closeStream(stream);
    return result;
}

std::int32_t CMessageStoreManager::replaceFile(const CVXLString& name, const CVXLByteBuffer& bytes)
{
    std::uint32_t oldSize = 0;
    const bool existed = fileSize(name, &oldSize);
    CVXLPlatformFileStream* stream = store_->openStream();
    if (!stream)
        return kResultNoStream;
    StatusCollector opened;
    stream->open(name.c_str(), kStreamReplace, &opened);
    std::int32_t result = opened.last() == kPlatformOk ? kResultSucceeded : kResultStorageFailed;
    if (result == kResultSucceeded && bytes.length()) {
        BytesSource source(bytes);
        stream->write(&source);
        if (source.status != kPlatformOk || source.offset != bytes.length())
            result = kResultStorageFailed;
    }
    StatusCollector closed;
    stream->close(&closed);
    store_->closeStream(stream);
    if (result == kResultSucceeded && closed.last() != kPlatformOk)
        result = kResultStorageFailed;
    if (result == kResultSucceeded)
        addUsage(static_cast<std::int64_t>(bytes.length()) - (existed ? oldSize : 0));
    return result;
}

std::int32_t CMessageStoreManager::removeFile(const CVXLString& name)
{
    std::uint32_t size = 0;
    const bool existed = fileSize(name, &size);
    StatusCollector deleted;
    store_->deleteItem(name.c_str(), &deleted);
    if (deleted.last() != kPlatformOk)
        return kResultStorageFailed;
    if (existed)
        addUsage(-static_cast<std::int64_t>(size));
    return kResultSucceeded;
}

// The files that held the bodies of a stored message are spent.
void CMessageStoreManager::deleteSpentSources(const CVXLHeaderMap& sources, const CVXLString& id)
{
    for (std::uint32_t n = 0; n < sources.nameCount(); ++n) {
        const CVXLString source = sources.nameAt(static_cast<int>(n));
        if (source == id || allFiles_.contains(source) || source == kNewIndex || source == kNotYetIndex)
            continue;
        StatusCollector deleted;
        store_->deleteItem(source.c_str(), &deleted);
    }
}

bool CMessageStoreManager::fileSize(const CVXLString& name, std::uint32_t* size)
{
    StatusCollector info;
    store_->itemInfo(name.c_str(), &info);
    if (info.count < 2 || info.values[1] != kPlatformOk)
        return false;
    *size = info.values[0];
    return true;
}

std::uint32_t CMessageStoreManager::freeBudget()
{
    StatusCollector info;
    store_->info(&info);
    return info.count >= 2 ? info.values[1] : 0;
}

std::int32_t CMessageStoreManager::writeIndex(const char* name, const CVXLHeaderMap& ids)
{
    CVXLByteBuffer bytes;
    if (!CVXLHeaderBlock::writeIndex(ids, bytes))
        return kResultFailed;
    return replaceFile(CVXLString(name), bytes);
}

bool CMessageStoreManager::nextSegment(const CVXLByteBuffer& bytes, std::uint32_t* offset, Segment* segment)
{
    const std::uint64_t length = bytes.length();
    if (*offset >= length || length - *offset < 8)
        return false;
    const std::uint32_t h = vxlGetUInt32BE(bytes, *offset);
    const std::uint32_t b = vxlGetUInt32BE(bytes, *offset + 4);
    if (static_cast<std::uint64_t>(h) + b > length - *offset - 8)
        return false;
    const std::uint32_t headerOffset = *offset + 8;
    *segment = { headerOffset, h, headerOffset + h, b };
    *offset = headerOffset + h + b;
    return true;
}

std::uint32_t CMessageStoreManager::kindNumber(const CVXLString& id)
{
    return static_cast<std::uint32_t>(CVXLStoredMessageId::kindOf(id));
}

bool CMessageStoreManager::appendSegment(CVXLByteBuffer& out, const CVXLHeaderMap& headers, const std::uint8_t* body,
                                         std::uint32_t bodyLength)
{
    CVXLByteBuffer block;
    if (!CVXLHeaderBlock::write(headers, block))
        return false;
    return vxlAppendUInt32BE(out, block.length()) && vxlAppendUInt32BE(out, bodyLength)
        && (block.length() == 0 || out.append(block.data(), block.length()))
        && (bodyLength == 0 || out.append(body, bodyLength));
}

CVXLString CMessageStoreManager::locatorOf(const CVXLString& id, const Segment& segment)
{
    if (segment.bodyLength == 0)
        return CVXLString();
    CVXLString locator = id;
    locator += "|";
    locator.appendNumber(segment.bodyOffset, 10, false);
    locator += "|";
    locator.appendNumber(segment.bodyLength, 10, false);
    return locator;
}

// ---------------------------------------------------------------- lists and counters

void CMessageStoreManager::insertSorted(std::uint32_t kind, const CVXLString& id)
{
    if (kind >= kKinds)
        return;
    CVXLStringArray& list = lists_[kind];
    std::uint32_t at = 0;
    while (at < list.count() && list.at(static_cast<int>(at)) > id)
        ++at;
    list.insertAt(id, static_cast<int>(at));
}

void CMessageStoreManager::removeFromList(std::uint32_t kind, const CVXLString& id)
{
    if (kind < kKinds)
        lists_[kind].remove(id);
}

void CMessageStoreManager::addUsage(std::int64_t delta)
{
    const std::int64_t value = static_cast<std::int64_t>(usage_) + delta;
    usage_ = value < 0 ? 0 : static_cast<std::uint32_t>(value);
    if (services_)
        services_->setCounter(kPersMessageStoreUsage, usage_);
}

void CMessageStoreManager::writeNewCount(std::uint32_t kind)
{
    if (!services_)
        return;
    if (kind == 0)
        services_->setCounter(kPersInboxNewCount, threadDB_ ? threadDB_->totalNewCount() : inboxNew_);
    else if (kind == 2)
        services_->setCounter(kPersPremiumNewCount, premiumNew_);
}

void CMessageStoreManager::writeTotal(std::uint32_t kind)
{
    if (!services_)
        return;
    if (kind == 0)
        services_->setCounter(kPersInboxTotalCount, lists_[0].count());
    else if (kind == 2)
        services_->setCounter(kPersPremiumTotalCount, lists_[2].count());
    else if (kind == 3)
        services_->setCounter(kPersSentTotalCount, lists_[3].count());
}

void CMessageStoreManager::writeCounters()
{
    if (!services_)
        return;
    services_->setCounter(kPersMessageStoreUsage, usage_);
    for (std::uint32_t kind : { 0u, 2u })
        writeNewCount(kind);
    for (std::uint32_t kind : { 0u, 2u, 3u })
        writeTotal(kind);
}
