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
#include "engine/messaging/store/VXLHeaderBlock.h"
#include "engine/messaging/threads/VXLThreadDB.h"

#include <cstring>
#include <strings.h>

namespace {

constexpr const char* kTransferFiles[] = {
    "temp_not.raw",
    "temp_mmboxnot.raw",
    "not_ind_resp.raw",
    "temp_mmboxmsg.raw",
    "temp_mmboxmms.raw",
    "temp_mms.raw",
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
    forgetHeads();
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
        if (!index
            && (CVXLStoredMessageId::kindOf(name) == VXLMessageStoreKind::Temporary
                || isTransferFile(name))) {
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
    } indexes[] = {{kNewIndex, &newIndex_}, {kNotYetIndex, &notYetIndex_}};
    newIndexOnDisk_ = false;
    for (IndexFile& index : indexes) {
        bool rewrite = false;
        const bool existed = allFiles_.contains(CVXLString(index.name));
        CVXLByteBuffer bytes;
        if (existed) {
            const std::int32_t read = readFile(index.name, bytes);
            if (read != kResultSucceeded)
                return read;
            // An entry without its NUL is an append cut short.
            std::uint32_t whole = bytes.length();
            while (whole > 0 && bytes.data()[whole - 1] != 0)
                --whole;
            if (whole < bytes.length()) {
                VXL_LOG_INFO("message store: %s ended in a cut entry; dropped", index.name);
                bytes.truncate(whole);
                rewrite = true;
            }
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
            for (const char* own : {kNewIndex, kNotYetIndex}) {
                if (!notYetIndex_.contains(CVXLString(own))) {
                    if (existed)
                        VXL_LOG_INFO("message store: %s given back its entry %s", kNotYetIndex, own);
                    notYetIndex_.add(CVXLString(own), CVXLString());
                    rewrite = true;
                }
            }
        }
        // Entries are appended to "mms.new" only while it holds exactly its
        // ids, so a file with anything else is written anew.
        CVXLByteBuffer exact;
        CVXLHeaderBlock::writeIndex(*index.ids, exact);
        if (!rewrite && existed
            && (exact.length() != bytes.length()
                || (exact.length() && std::memcmp(exact.data(), bytes.data(), exact.length()) != 0)))
            rewrite = true;
        if (rewrite) {
            // Sizes are counted below, so the write's own change is not.
            const std::int32_t written = replaceFile(index.name, exact);
            if (written != kResultSucceeded)
                return written;
            allFiles_.remove(CVXLString(index.name));
            allFiles_.add(CVXLString(index.name), CVXLString());
        }
        if (index.ids == &newIndex_)
            newIndexOnDisk_ = true;
    }

    usage_ = 0;
    // The listing is in byte order, so from its end each id goes last.
    for (std::uint32_t n = allFiles_.nameCount(); n-- > 0;) {
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

// ---------------------------------------------------------------- files

std::int32_t CMessageStoreManager::readFile(const CVXLString& name, CVXLByteBuffer& bytes)
{
    return readRange(name, 0, 0xFFFFFFFFu, bytes);
}

namespace {

// A file's bytes read ahead in chunks: the heads of most messages come in
// one read.
class ReadAhead {
public:
    static constexpr std::uint32_t kChunk = 4096;
    static constexpr std::uint32_t kMostPerRead = 65536;

    ReadAhead(CVXLPlatformFileStream* stream, CVXLByteBuffer& bytes)
        : stream_(stream)
        , bytes_(bytes)
        , base_(bytes.length())
    {
    }
    // True once the bytes hold count bytes of the file; false when it ends
    // first or a read fails.
    bool have(std::uint64_t count)
    {
        while (held() < count) {
            if (ended_)
                return false;
            const std::uint64_t missing = count - held();
            std::uint32_t ask = missing < kChunk ? kChunk : static_cast<std::uint32_t>(missing);
            if (ask > kMostPerRead)
                ask = kMostPerRead;
            const std::uint32_t before = bytes_.length();
            BytesCollector collector(bytes_);
            stream_->read(&collector, ask);
            const std::uint32_t got = bytes_.length() - before;
            if (collector.failed || collector.status != kPlatformOk || got < ask)
                ended_ = true;
            if (got == 0 || got > ask)
                return false;
        }
        return true;
    }
    std::uint32_t held() const { return bytes_.length() - base_; }
    std::uint32_t base() const { return base_; }

private:
    CVXLPlatformFileStream* stream_;
    CVXLByteBuffer& bytes_;
    std::uint32_t base_;
    bool ended_ = false;
};

} // namespace

std::int32_t CMessageStoreManager::readHead(
    const CVXLString& name, std::uint32_t segments, CVXLByteBuffer& bytes)
{
    if (segments > kKeptSegments)
        return readHeadFromFile(name, segments, bytes);
    CVXLByteBuffer fresh;
    const CVXLByteBuffer* head = nullptr;
    std::uint32_t offset = 0;
    Segment segment {};
    if (const auto kept = heads_.find(name.c_str()); kept != heads_.end()) {
        head = &kept->second;
    } else {
        const std::int32_t result = readHeadFromFile(name, kKeptSegments, fresh);
        if (result != kResultSucceeded)
            return result;
        head = &fresh;
        // Kept when whole, or short because the file ends there (never
        // after a failed read).
        std::uint32_t whole = 0;
        while (whole < kKeptSegments && nextSegment(fresh, &offset, &segment))
            ++whole;
        std::uint32_t size = 0;
        if (allFiles_.contains(name) && fresh.length() <= kMostHeadBytes
            && (whole == kKeptSegments || (fileSize(name, &size) && size == fresh.length()))) {
            while (keptBytes_ + fresh.length() > kMostKeptBytes && !headOrder_.empty()) {
                const auto oldest = heads_.find(headOrder_.front());
                keptBytes_ -= oldest->second.length();
                heads_.erase(oldest);
                headOrder_.pop_front();
            }
            head = &heads_.emplace(name.c_str(), fresh).first->second;
            headOrder_.emplace_back(name.c_str());
            keptBytes_ += fresh.length();
        }
    }
    // The segments asked for when the head holds them, else all it holds.
    offset = 0;
    std::uint32_t found = 0;
    while (found < segments && nextSegment(*head, &offset, &segment))
        ++found;
    const std::uint32_t length = found == segments ? offset : head->length();
    return length == 0 || bytes.append(head->data(), length) ? kResultSucceeded : kResultFailed;
}

// Every spelling of the name: the store finds a file by another one.
void CMessageStoreManager::forgetHead(const CVXLString& name)
{
    for (auto at = headOrder_.begin(); at != headOrder_.end();) {
        if (at->size() != name.length() || ::strncasecmp(at->c_str(), name.c_str(), at->size()) != 0) {
            ++at;
            continue;
        }
        const auto kept = heads_.find(*at);
        keptBytes_ -= kept->second.length();
        heads_.erase(kept);
        at = headOrder_.erase(at);
    }
}

void CMessageStoreManager::forgetHeads()
{
    heads_.clear();
    headOrder_.clear();
    keptBytes_ = 0;
}

std::int32_t CMessageStoreManager::readHeadFromFile(
    const CVXLString& name, std::uint32_t segments, CVXLByteBuffer& bytes)
{
    CVXLPlatformFileStream* stream = store_->openStream();
    if (!stream)
        return kResultNoStream;
    StatusCollector opened;
    stream->open(name.c_str(), kStreamRead, &opened);
    const std::int32_t result = opened.last() == kPlatformOk ? kResultSucceeded : kResultNotFound;
    // What the file holds short of the wanted segments is left to the
    // segment walk to find; bytes read past them are dropped.
    ReadAhead ahead(stream, bytes);
    std::uint64_t end = 0;
    bool whole = true;
    for (std::uint32_t n = 0; result == kResultSucceeded && n < segments; ++n) {
        whole = ahead.have(end + 8);
        if (!whole)
            break;
        const std::uint32_t at = ahead.base() + static_cast<std::uint32_t>(end);
        const std::uint64_t rest
            = static_cast<std::uint64_t>(vxlGetUInt32BE(bytes, at)) + vxlGetUInt32BE(bytes, at + 4);
        whole = rest <= 0x7FFFFFFFu && end + 8 + rest <= 0xFFFFFFFFu && ahead.have(end + 8 + rest);
        if (!whole)
            break;
        end += 8 + rest;
    }
    if (result == kResultSucceeded && whole)
        bytes.truncate(ahead.base() + static_cast<std::uint32_t>(end));
    StatusCollector closed;
    stream->close(&closed);
    store_->closeStream(stream);
    return result;
}

std::int32_t CMessageStoreManager::readRange(
    const CVXLString& name, std::uint32_t start, std::uint32_t count, CVXLByteBuffer& bytes)
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
    forgetHead(name);
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
    forgetHead(name);
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
    std::int32_t result = kResultFailed;
    if (CVXLHeaderBlock::writeIndex(ids, bytes))
        result = replaceFile(CVXLString(name), bytes);
    if (&ids == &newIndex_)
        newIndexOnDisk_ = result == kResultSucceeded;
    return result;
}

// The entry goes on the end of the file and is synced there while the file
// holds exactly the entries before it; otherwise, or when the append fails,
// the whole index is written anew.
std::int32_t CMessageStoreManager::appendToNewIndex(const CVXLString& id)
{
    if (newIndexOnDisk_) {
        CVXLByteBuffer entry;
        CVXLHeaderMap one;
        one.add(id, CVXLString());
        CVXLHeaderBlock::writeIndex(one, entry);
        if (CVXLPlatformFileStream* stream = store_->openStream()) {
            StatusCollector opened;
            stream->open(kNewIndex, kStreamAppend, &opened);
            bool ok = opened.last() == kPlatformOk;
            if (ok) {
                BytesSource source(entry);
                stream->write(&source);
                // A part written before a failure is on the disk all the same.
                addUsage(source.offset);
                StatusCollector flushed;
                stream->flush(&flushed);
                ok = source.status == kPlatformOk && source.offset == entry.length()
                    && flushed.last() == kPlatformOk;
            }
            StatusCollector closed;
            stream->close(&closed);
            store_->closeStream(stream);
            if (ok && closed.last() == kPlatformOk)
                return kResultSucceeded;
        }
    }
    return writeIndex(kNewIndex, newIndex_);
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
    *segment = {headerOffset, h, headerOffset + h, b};
    *offset = headerOffset + h + b;
    return true;
}

std::uint32_t CMessageStoreManager::kindNumber(const CVXLString& id)
{
    return static_cast<std::uint32_t>(CVXLStoredMessageId::kindOf(id));
}

bool CMessageStoreManager::appendSegment(
    CVXLByteBuffer& out, const CVXLHeaderMap& headers, const std::uint8_t* body, std::uint32_t bodyLength)
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
    // Newest first: after every id above this one.
    std::uint32_t low = 0;
    std::uint32_t high = list.count();
    while (low < high) {
        const std::uint32_t middle = low + (high - low) / 2;
        if (list.at(static_cast<int>(middle)) > id)
            low = middle + 1;
        else
            high = middle;
    }
    list.insertAt(id, static_cast<int>(low));
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
    for (std::uint32_t kind : {0u, 2u})
        writeNewCount(kind);
    for (std::uint32_t kind : {0u, 2u, 3u})
        writeTotal(kind);
}
