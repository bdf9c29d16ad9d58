#include "engine/messaging/premium/PremiumInboxManager.h"

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/premium/PremiumAddRequest.h"
#include "engine/messaging/premium/PremiumDescriptorReader.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/messaging/store/VXLStoreRequests.h"
#include "engine/records/VXLInboundRequests.h"

#include <string>
#include <unordered_set>

namespace {

CPremiumInboxManager* gInstance = nullptr;

constexpr std::uint32_t kPremiumBox = 2;
// The least bytes a saved group and a saved message take: three strings'
// lengths and three words, two lengths and one word.
constexpr std::uint32_t kGroupBytes = 24;
constexpr std::uint32_t kMessageBytes = 12;

// Leading decimal digits with an optional sign, clamped to 32 bits; no
// digits give 0.
std::int32_t decimalPriority(const CVXLString& text)
{
    const char* p = text.c_str();
    const char* end = p + text.length();
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+'))
        negative = *p++ == '-';
    std::int64_t value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > 0x80000000LL)
            value = 0x80000000LL;
    }
    if (negative)
        value = -value;
    if (value > 0x7FFFFFFF)
        value = 0x7FFFFFFF;
    return static_cast<std::int32_t>(value);
}

std::string keyOf(const CVXLString& text)
{
    return std::string(text.c_str(), text.length());
}

} // namespace

CPremiumInboxManager::CPremiumInboxManager()
{
    gInstance = this;
}

CPremiumInboxManager::~CPremiumInboxManager()
{
    if (gInstance == this)
        gInstance = nullptr;
    clearEntries();
}

CPremiumInboxManager* CPremiumInboxManager::instance()
{
    return gInstance;
}

void CPremiumInboxManager::clearEntries()
{
    for (CPremiumMessageEntry* entry : entries_)
        delete entry;
    entries_.clear();
}

std::uint32_t CPremiumInboxManager::now() const
{
    return services_ ? services_->nowSeconds() : 0;
}

void CPremiumInboxManager::onEvent(CVXLEvent* event)
{
    if (event->kind() == kEventReply) {
        switch (event->replyCode()) {
        case kReplyRead:
            return onRead(event);
        case kReplyWritten:
            saver_.onWritten(event);
            return finishStopWhenSaved();
        case kReplyListed:
            return onListed(event);
        default:
            return finishEvent(event);
        }
    }
    switch (event->requestCode()) {
    case kEventStart:
        return onStart(event);
    case kEventStop:
        return onStop(event);
    case kEventCancelNotice:
        return onCancel(event);
    case kEventRetry:
        finishEvent(event);
        return synchronise();
    case kRequestAdd:
        return onAdd(event);
    case kRequestRemove:
        return onRemove(event);
    case kServiceRequestListWindow:
        return onList(event);
    case kRequestOpen:
        return onOpen(event);
    case kInboundRequestRead:
    case kInboundRequestNetworkMessage:
    case kInboundRequestMmboxStore:
    case kEventMessageItem:
        return forwardToServiceJob(event);
    default:
        return finishEvent(event);
    }
}

// The start stays open until the saved lists are read and matched with the
// store, so no request is taken before.
void CPremiumInboxManager::onStart(CVXLEvent* event)
{
    startPending_ = event;
    if (serviceJob_ && !serviceJob_->isActive())
        startChild(serviceJob_);
    if (!files_)
        return synchronise();
    readRequest_.fileName = kFileName;
    readRequest_.readStart = 0;
    readRequest_.readLength = 0;
    readRequest_.buffer.clear();
    post(files_, &readRequest_);
}

void CPremiumInboxManager::onRead(CVXLEvent* reply)
{
    const bool ok = reply->succeeded();
    const CVXLByteBuffer bytes = readRequest_.buffer;
    readRequest_.buffer.clear();
    finishEvent(reply);
    if (ok && bytes.length() != 0) {
        if (bytes.data()[0] != kFormat)
            VXL_LOG_FAILURE("premium inbox: %s of format %u not loaded", kFileName, bytes.data()[0]);
        else if (!parse(bytes)) {
            VXL_LOG_FAILURE("premium inbox: damaged %s (%u bytes): not loaded", kFileName, bytes.length());
            saver_.keepDamagedCopy();
        }
    }
    if (stopPending_)
        return finishStopWhenSaved();
    synchronise();
}

// Waits in short steps for the message store's start, then makes the
// entries match its premium box.
void CPremiumInboxManager::synchronise()
{
    if (stopPending_ || runState() == kHandlerFinished)
        return;
    if (store_ && !store_->startCompleted()) {
        if (!retry_.isBusy())
            postDelayed(&retry_, kRetryMs);
        return;
    }
    bool changed = false;
    if (store_) {
        std::unordered_set<std::string> inBox;
        const std::uint32_t n = store_->boxCount(kPremiumBox);
        // The box lists the newest first; entries run from the oldest.
        for (std::uint32_t i = n; i-- > 0;) {
            const CVXLString id = store_->boxIdAt(kPremiumBox, i);
            inBox.insert(keyOf(id));
            if (findEntry(id))
                continue;
            auto* entry = new CPremiumMessageEntry;
            entry->messageId = id;
            entry->receivedTime = now();
            entry->group = orphanGroup();
            entries_.push_back(entry);
            VXL_LOG_INFO("premium inbox: %s had no entry, recovered", id.c_str());
            changed = true;
        }
        std::unordered_set<std::string> seen;
        std::size_t kept = 0;
        for (CPremiumMessageEntry* entry : entries_) {
            const std::string key = keyOf(entry->messageId);
            if (!inBox.count(key) || !seen.insert(key).second) {
                delete entry;
                changed = true;
                continue;
            }
            entry->read = !store_->isNew(entry->messageId);
            entries_[kept++] = entry;
        }
        entries_.resize(kept);
    }
    // An entry saved under a group the file does not hold.
    for (CPremiumMessageEntry* entry : entries_) {
        if (!entry->group) {
            entry->group = orphanGroup();
            changed = true;
        }
    }
    recount();
    groups_.dropEmpty();
    reorder();
    loaded_ = true;
    if (startPending_) {
        CVXLEvent* start = startPending_;
        startPending_ = nullptr;
        finishEvent(start);
    }
    if (changed)
        save();
}

void CPremiumInboxManager::recount()
{
    for (std::uint32_t i = 0; i < groups_.count(); ++i) {
        groups_.at(i)->messageCount = 0;
        groups_.at(i)->unreadCount = 0;
    }
    for (CPremiumMessageEntry* entry : entries_) {
        if (!entry->group)
            continue;
        ++entry->group->messageCount;
        if (!entry->read)
            ++entry->group->unreadCount;
    }
}

void CPremiumInboxManager::reorder()
{
    groups_.reorder(services_ ? services_->orderingMode() : CPremiumGroupList::kByName);
}

CPremiumGroup* CPremiumInboxManager::orphanGroup()
{
    if (CPremiumGroup* group = groups_.findById(CVXLString(kOrphanGroupId)))
        return group;
    auto* group = new CPremiumGroup;
    group->groupId = kOrphanGroupId;
    group->name = services_ ? services_->engineText(kTextRecovered) : CVXLString("Recovered");
    group->priority = kOrphanPriority;
    group->createdTime = now();
    groups_.append(group);
    return group;
}

CPremiumMessageEntry* CPremiumInboxManager::findEntry(const CVXLString& messageId, std::size_t* index) const
{
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i]->messageId == messageId) {
            if (index)
                *index = i;
            return entries_[i];
        }
    }
    return nullptr;
}

CPremiumGroup* CPremiumInboxManager::registerGroup(const CVXLString& descriptor)
{
    CPremiumDescriptorReader reader;
    reader.read(descriptor);
    const CVXLString& groupId
        = reader.id().length() ? reader.id() : (reader.name().length() ? reader.name() : descriptor);
    const CVXLString& name = reader.name().length() ? reader.name() : descriptor;
    std::int32_t priority = CPremiumGroup::kDefaultPriority;
    if (reader.priority().length()) {
        priority = decimalPriority(reader.priority());
        // The orphan group keeps the last place.
        if (priority == kOrphanPriority)
            priority = kOrphanPriority - 1;
    }
    CPremiumGroup* group = groups_.findById(groupId);
    if (!group) {
        group = new CPremiumGroup;
        group->groupId = groupId;
        group->createdTime = now();
        groups_.append(group);
    }
    group->name = name;
    group->priority = priority;
    group->thumbnail = reader.thumbnail();
    reorder();
    return group;
}

bool CPremiumInboxManager::routeMessage(const CVXLString& messageId, const CVXLString& descriptor)
{
    CPremiumDescriptorReader reader;
    reader.read(descriptor);
    if (!reader.isNormal())
        return true;
    if (descriptor.length()) {
        auto* add = new CPremiumAddRequest;
        add->messageId = messageId;
        add->descriptor = descriptor;
        (sender_ ? sender_ : this)->post(this, add);
    }
    return false;
}

// Only messages of the premium box join; a second add of one id changes
// nothing, unless the start's match with the store recovered the message
// before its add came: the add then gives it the group it names.
void CPremiumInboxManager::onAdd(CVXLEvent* request)
{
    const auto* add = static_cast<CPremiumAddRequest*>(request);
    CPremiumMessageEntry* known = add->messageId.length() != 0 ? findEntry(add->messageId) : nullptr;
    if (known && known->group && known->group == groups_.findById(CVXLString(kOrphanGroupId))) {
        known->group = registerGroup(add->descriptor);
        ++known->group->receivedTotal;
        recount();
        groups_.dropEmpty();
        reorder();
        finishEvent(request);
        save();
        return;
    }
    if (add->messageId.length() == 0 || add->messageId.c_str()[0] != 'p' || findEntry(add->messageId)) {
        VXL_LOG_INFO("premium inbox: %s not added", add->messageId.c_str());
        return finishEvent(request);
    }
    CPremiumGroup* group = registerGroup(add->descriptor);
    auto* entry = new CPremiumMessageEntry;
    entry->messageId = add->messageId;
    entry->group = group;
    entry->receivedTime = now();
    entries_.push_back(entry);
    ++group->receivedTotal;
    ++group->messageCount;
    ++group->unreadCount;
    finishEvent(request);
    save();
}

void CPremiumInboxManager::onRemove(CVXLEvent* request)
{
    const auto* notice = static_cast<CStoreDeleteRequest*>(request);
    std::size_t index = 0;
    if (CPremiumMessageEntry* entry = findEntry(notice->messageId, &index)) {
        if (CPremiumGroup* group = entry->group) {
            if (group->messageCount)
                --group->messageCount;
            if (!entry->read && group->unreadCount)
                --group->unreadCount;
        }
        delete entry;
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
        save();
    }
    finishEvent(request);
}

// Read in memory only: the next synchronisation rebuilds it from the store.
void CPremiumInboxManager::onOpen(CVXLEvent* request)
{
    const auto* open = static_cast<CMessageOpenRequest*>(request);
    CPremiumMessageEntry* entry = findEntry(open->messageId);
    if (entry && !entry->read) {
        entry->read = true;
        if (entry->group && entry->group->unreadCount)
            --entry->group->unreadCount;
    }
    forwardToServiceJob(request);
}

void CPremiumInboxManager::forwardToServiceJob(CVXLEvent* request)
{
    if (!serviceJob_ || !serviceJob_->isActive()) {
        VXL_LOG_INFO("premium inbox: request %d without a message service job", request->requestCode());
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    forward(serviceJob_, request);
}

void CPremiumInboxManager::onList(CVXLEvent* request)
{
    auto* caller = static_cast<CMessageListRequest*>(request);
    listRequest_.reset();
    caller->filled = 0;
    const CPremiumGroup* group = groups_.current();
    caller->total = group ? group->messageCount : 0;
    if (!group || caller->size == 0)
        return finishEvent(request);
    std::uint32_t skip = caller->start;
    for (std::size_t i = entries_.size(); i-- > 0 && listRequest_.ids.count() < caller->size;) {
        const CPremiumMessageEntry* entry = entries_[i];
        if (entry->group != group)
            continue;
        if (skip) {
            --skip;
            continue;
        }
        listRequest_.ids.insertAt(entry->messageId, -1);
    }
    if (listRequest_.ids.count() == 0)
        return finishEvent(request);
    if (!serviceJob_ || !serviceJob_->isActive()) {
        VXL_LOG_INFO("premium inbox: a list window without a message service job");
        caller->setResult(kResultFailed);
        return finishEvent(request);
    }
    listRequest_.boxType = 4;
    listRequest_.count = listRequest_.ids.count();
    listRequest_.size = caller->size;
    listRequest_.records = caller->records;
    listCaller_ = caller;
    post(serviceJob_, &listRequest_);
}

void CPremiumInboxManager::onListed(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    const CVXLString text = reply->resultText();
    const std::uint32_t filled = listRequest_.filled;
    finishEvent(reply);
    CMessageListRequest* caller = listCaller_;
    listCaller_ = nullptr;
    if (!caller)
        return;
    caller->filled = filled;
    caller->setResult(result, text);
    finishEvent(caller);
}

void CPremiumInboxManager::onCancel(CVXLEvent* event)
{
    if (serviceJob_)
        cancelEventsWith(serviceJob_);
    if (CMessageListRequest* caller = listCaller_) {
        listCaller_ = nullptr;
        caller->setResult(kResultCancelled);
        finishEvent(caller);
    }
    finishEvent(event);
}

void CPremiumInboxManager::selectItem(const CVXLString* name)
{
    groups_.setCurrent(name ? groups_.findByName(*name) : nullptr);
}

CVXLString CPremiumInboxManager::currentGroupName() const
{
    return groups_.current() ? groups_.current()->name : CVXLString();
}

std::uint32_t CPremiumInboxManager::messageCount(const CVXLString& name) const
{
    if (const CPremiumGroup* group = groups_.findByName(name))
        return group->messageCount;
    if (!services_ || name != services_->engineText(kTextPremiumContent))
        return 0;
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < groups_.count(); ++i)
        sum += groups_.at(i)->messageCount;
    return sum;
}

std::uint32_t CPremiumInboxManager::unreadCount(const CVXLString& name) const
{
    if (const CPremiumGroup* group = groups_.findByName(name))
        return group->unreadCount;
    if (!services_ || name != services_->engineText(kTextPremiumContent))
        return 0;
    std::uint32_t sum = 0;
    for (std::uint32_t i = 0; i < groups_.count(); ++i)
        sum += groups_.at(i)->unreadCount;
    return sum;
}

const CPremiumGroup* CPremiumInboxManager::groupAt(std::uint32_t index)
{
    if (!loaded_)
        return nullptr;
    if (services_ && services_->orderingMode() != groups_.modeApplied())
        reorder();
    return groups_.at(index);
}

void CPremiumInboxManager::dropEmptyGroups()
{
    groups_.dropEmpty();
}

void CPremiumInboxManager::serialise(CVXLByteBuffer& out) const
{
    CVXLByteStream stream;
    stream.writeByte(kFormat);
    stream.writeUInt32(groups_.count());
    for (std::uint32_t i = 0; i < groups_.count(); ++i) {
        const CPremiumGroup* group = groups_.at(i);
        stream.writeString(group->groupId);
        stream.writeUInt32(group->createdTime);
        stream.writeUInt32(static_cast<std::uint32_t>(group->priority));
        stream.writeUInt32(group->receivedTotal);
        stream.writeString(group->name);
        stream.writeString(group->thumbnail);
    }
    stream.writeUInt32(static_cast<std::uint32_t>(entries_.size()));
    for (const CPremiumMessageEntry* entry : entries_) {
        stream.writeString(entry->messageId);
        stream.writeString(entry->group ? entry->group->groupId : CVXLString());
        stream.writeUInt32(entry->receivedTime);
    }
    out = stream;
}

bool CPremiumInboxManager::parse(const CVXLByteBuffer& bytes)
{
    CVXLByteStream in(bytes);
    if (in.remaining() < 5 || in.readByte() != kFormat)
        return false;
    // Counts are checked against the bytes left before anything is made.
    const std::uint32_t groupCount = in.readUInt32();
    if (groupCount > in.remaining() / kGroupBytes)
        return false;
    std::vector<CPremiumGroup*> groups;
    std::vector<CPremiumMessageEntry*> entries;
    const auto discard = [&] {
        for (CPremiumGroup* group : groups)
            delete group;
        for (CPremiumMessageEntry* entry : entries)
            delete entry;
        return false;
    };
    const auto groupOf = [&](const CVXLString& groupId) -> CPremiumGroup* {
        for (CPremiumGroup* group : groups)
            if (group->groupId == groupId)
                return group;
        return nullptr;
    };
    for (std::uint32_t i = 0; i < groupCount && !in.isBad(); ++i) {
        auto* group = new CPremiumGroup;
        groups.push_back(group);
        group->groupId = in.readString();
        group->createdTime = in.readUInt32();
        group->priority = static_cast<std::int32_t>(in.readUInt32());
        group->receivedTotal = in.readUInt32();
        group->name = in.readString();
        group->thumbnail = in.readString();
    }
    const std::uint32_t messageCount = in.readUInt32();
    if (in.isBad() || messageCount > in.remaining() / kMessageBytes)
        return discard();
    for (std::uint32_t i = 0; i < messageCount && !in.isBad(); ++i) {
        auto* entry = new CPremiumMessageEntry;
        entries.push_back(entry);
        entry->messageId = in.readString();
        const CVXLString groupId = in.readString();
        entry->receivedTime = in.readUInt32();
        entry->group = groupOf(groupId);
    }
    if (in.isBad() || in.remaining() != 0)
        return discard();
    // Whole: the lists take what was read.
    clearEntries();
    groups_.clear();
    for (CPremiumGroup* group : groups)
        groups_.append(group);
    entries_ = entries;
    return true;
}

void CPremiumInboxManager::save()
{
    saver_.save();
}

void CPremiumInboxManager::onStop(CVXLEvent* event)
{
    stopPending_ = event;
    cancelEvent(&retry_);
    if (startPending_) {
        CVXLEvent* start = startPending_;
        startPending_ = nullptr;
        finishEvent(start);
    }
    finishStopWhenSaved();
}

void CPremiumInboxManager::finishStopWhenSaved()
{
    if (!stopPending_ || !saver_.idle() || readRequest_.isBusy())
        return;
    CVXLEvent* stop = stopPending_;
    stopPending_ = nullptr;
    finishEvent(stop);
}
