#include "engine/messaging/threads/VXLThreadDB.h"

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/files/VXLFileStoreManager.h"

CVXLThreadDB* CVXLThreadDB::instance_ = nullptr;

namespace {

// The smallest encodings, to check counts against the bytes left before
// anything is allocated: a string is at least its length word.
constexpr std::uint32_t kMinThreadRecord = 4 + 4 + 1 + 4;
constexpr std::uint32_t kMinMessageRecord = 4 + 1 + 1 + 4 + 4 + 4 + 1 + 1;
constexpr std::uint32_t kMinString = 4;

const char* otherFile(const CVXLString& name)
{
    return name == CVXLThreadDB::kSecondFile ? CVXLThreadDB::kFirstFile : CVXLThreadDB::kSecondFile;
}

bool isOutboundId(const CVXLString& id)
{
    return id.length() > 0 && id.c_str()[0] == 'o';
}

void writeThread(CVXLByteStream& out, const CVXLThreadEntry* thread)
{
    out.writeString(thread->address);
    out.writeString(thread->displayAddress);
    out.writeBool(thread->hidden);
    out.writeUInt32(thread->newCount);
}

void deleteThreadList(CVXLPtrArray& list)
{
    for (std::uint32_t i = 0; i < list.count(); ++i)
        delete static_cast<CVXLThreadEntry*>(list.at(static_cast<int>(i)));
    list.clear();
}

} // namespace

CVXLThreadDB::CVXLThreadDB()
{
    email_.compile(kEmailPattern);
    saveTimer_.setReplyWanted(false);
    instance_ = this;
}

CVXLThreadDB::~CVXLThreadDB()
{
    clearAll();
    if (instance_ == this)
        instance_ = nullptr;
}

CVXLThreadDB* CVXLThreadDB::instance()
{
    return instance_;
}

void CVXLThreadDB::clearAll()
{
    messages_.removeAll(true);
    byAddress_.removeAll(false);
    deleteThreadList(hidden_);
    deleteThreadList(shown_);
}

void CVXLThreadDB::onEvent(CVXLEvent* event)
{
    if (event->kind() == kEventReply) {
        switch (event->replyCode()) {
        case kReplyRead:
            return onRead(event);
        case kReplyDatabaseWritten:
            return onDatabaseWritten(event);
        case kReplyPointerWritten:
            return onPointerWritten(event);
        case kReplyDeleted:
            return onDeleted(event);
        default:
            return finishEvent(event);
        }
    }
    switch (event->requestCode()) {
    case kEventStart:
        return onStart(event);
    case kEventStop:
        return onStop(event);
    case kThreadRequestReconcile:
        return reconcile(static_cast<CThreadReconcileRequest*>(event));
    case kThreadRequestAdd:
        return add(static_cast<CThreadAddRequest*>(event));
    case kThreadRequestRemove:
        return remove(static_cast<CThreadRemoveRequest*>(event));
    case kThreadRequestDeleteThread:
        return deleteThreads(static_cast<CThreadDeleteRequest*>(event));
    case kThreadRequestMarkRead:
        return markReadRequest(static_cast<CThreadMarkReadRequest*>(event));
    case kThreadRequestClearNewCounts:
        return clearNewCounts(static_cast<CThreadClearNewCountsRequest*>(event));
    case kSaveTimer: {
        finishEvent(event);
        auto* save = new CVXLEvent(kSaveNow, kSaveNow);
        if (!save)
            return;
        save->setReplyWanted(false);
        return post(this, save);
    }
    case kSaveNow:
        if (saving_ || stopPending_ || !files_) {
            saveAgain_ = saving_ && !stopPending_;
            return finishEvent(event);
        }
        savePending_ = event;
        return startSave();
    default:
        return finishEvent(event);
    }
}

// Loading: the pointer, then the file it names, then the other one when the
// named file is missing, damaged or of another version.
void CVXLThreadDB::onStart(CVXLEvent* event)
{
    startPending_ = event;
    if (!files_)
        return finishLoad();
    readFile(kPointerFile, LoadStep::Pointer);
}

void CVXLThreadDB::readFile(const char* fileName, LoadStep step)
{
    loadStep_ = step;
    readRequest_.fileName = fileName;
    readRequest_.readStart = 0;
    readRequest_.readLength = 0;
    post(files_, &readRequest_);
}

void CVXLThreadDB::onRead(CVXLEvent* reply)
{
    const bool ok = reply->result() == kResultSucceeded;
    const CVXLByteBuffer bytes = readRequest_.buffer;
    const CVXLString fileName = readRequest_.fileName;
    readRequest_.buffer.clear();
    finishEvent(reply);
    if (loadStep_ == LoadStep::Pointer) {
        const bool second = ok && bytes.length() > 0 && bytes.data()[0] >= 2;
        namedFile_ = second ? kSecondFile : kFirstFile;
        return readFile(namedFile_.c_str(), LoadStep::Named);
    }
    if (ok && parse(bytes)) {
        currentFile_ = fileName;
        return finishLoad();
    }
    if (ok) {
        const std::uint32_t version = versionOf(bytes);
        if (bytes.length() >= 4 && version != kVersion) {
            VXL_LOG_INFO("thread database %s has version %u: deleted", fileName.c_str(), version);
            deleteRequest_.fileName = fileName;
            post(files_, &deleteRequest_);
        } else {
            VXL_LOG_FAILURE(
                "thread database %s is damaged (%u bytes): not loaded", fileName.c_str(), bytes.length());
        }
    }
    if (loadStep_ == LoadStep::Named)
        return readFile(otherFile(namedFile_), LoadStep::Other);
    currentFile_ = namedFile_;
    finishLoad();
}

void CVXLThreadDB::finishLoad()
{
    loadStep_ = LoadStep::None;
    publishNewCount();
    CVXLEvent* start = startPending_;
    startPending_ = nullptr;
    finishEvent(start);
    if (stopPending_ && !saving_) {
        finalSaveDone_ = true;
        startSave();
    }
}

void CVXLThreadDB::onStop(CVXLEvent* event)
{
    cancelEvent(&saveTimer_);
    stopPending_ = event;
    if (!files_)
        return finishEvent(event);
    // A load or a save under way ends first; the final save follows it.
    if (loadStep_ != LoadStep::None || saving_)
        return;
    finalSaveDone_ = true;
    startSave();
}

void CVXLThreadDB::startSave()
{
    saving_ = true;
    writtenFile_ = otherFile(currentFile_);
    databaseWrite_.fileName = writtenFile_;
    databaseWrite_.openMode = kFileModeWrite;
    databaseWrite_.buffer.clear();
    serialise(databaseWrite_.buffer);
    post(files_, &databaseWrite_);
}

void CVXLThreadDB::onDatabaseWritten(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    databaseWrite_.buffer.clear();
    finishEvent(reply);
    if (result != kResultSucceeded) {
        VXL_LOG_FAILURE(
            "thread database %s not written (%d): the pointer stays", writtenFile_.c_str(), result);
        return saveEnded();
    }
    const std::uint8_t pointer = writtenFile_ == kSecondFile ? 2 : 1;
    pointerWrite_.fileName = kPointerFile;
    pointerWrite_.openMode = kFileModeWrite;
    pointerWrite_.buffer.clear();
    pointerWrite_.buffer.append(&pointer, 1);
    post(files_, &pointerWrite_);
}

void CVXLThreadDB::onPointerWritten(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    finishEvent(reply);
    if (result == kResultSucceeded) {
        currentFile_ = writtenFile_;
        ++savesWritten_;
    } else {
        VXL_LOG_FAILURE(
            "thread database pointer not written (%d): it still names %s", result, currentFile_.c_str());
    }
    saveEnded();
}

void CVXLThreadDB::saveEnded()
{
    saving_ = false;
    if (savePending_) {
        CVXLEvent* save = savePending_;
        savePending_ = nullptr;
        finishEvent(save);
    }
    if (stopPending_) {
        if (!finalSaveDone_) {
            finalSaveDone_ = true;
            return startSave();
        }
        deleteRequest_.fileName = otherFile(currentFile_);
        return post(files_, &deleteRequest_);
    }
    if (saveAgain_) {
        saveAgain_ = false;
        startSave();
    }
}

void CVXLThreadDB::onDeleted(CVXLEvent* reply)
{
    finishEvent(reply);
    if (stopPending_ && finalSaveDone_ && !saving_ && loadStep_ == LoadStep::None) {
        CVXLEvent* stop = stopPending_;
        stopPending_ = nullptr;
        finishEvent(stop);
    }
}

void CVXLThreadDB::scheduleSave()
{
    const std::uint32_t now = tickTime();
    if (saveTimer_.isBusy()) {
        if (now - firstArmedAt_ >= kSaveBurstLimitMs)
            return;
        cancelEvent(&saveTimer_);
    } else {
        firstArmedAt_ = now;
    }
    postDelayed(&saveTimer_, kSaveDelayMs);
}

CVXLString CVXLThreadDB::normalise(const CVXLString& address)
{
    if (email_.exec(address.c_str())) {
        CVXLString match = email_.group(0, address);
        match.toLower();
        return match;
    }
    const std::uint32_t length = address.length();
    for (std::uint32_t i = 0; i < length; ++i) {
        const char c = address.c_str()[i];
        if ((c < '0' || c > '9') && c != '-')
            return address;
    }
    const CVXLString own = services_ ? services_->ownNumber() : CVXLString();
    if (length == 10 || own.length() != 10)
        return address;
    if (length == 7) {
        CVXLString result = own.substr(0, 3);
        result += address;
        return result;
    }
    if (length == 11 && address.c_str()[0] == '1')
        return address.substr(1, 10);
    return address;
}

CVXLThreadEntry* CVXLThreadDB::findThread(const CVXLString& address) const
{
    return static_cast<CVXLThreadEntry*>(byAddress_.find(address));
}

CVXLThreadMessageEntry* CVXLThreadDB::findMessage(const CVXLString& messageId) const
{
    return static_cast<CVXLThreadMessageEntry*>(messages_.find(messageId));
}

bool CVXLThreadDB::isMessageNew(const CVXLString& messageId) const
{
    const CVXLThreadMessageEntry* message = findMessage(messageId);
    if (!message)
        return true;
    return !message->queued && message->primaryThread && message->primaryThread->newCount != 0;
}

std::uint32_t CVXLThreadDB::totalNewCount() const
{
    std::uint32_t total = 0;
    for (std::uint32_t i = 0; i < shown_.count(); ++i)
        total += shownAt(static_cast<int>(i))->newCount;
    return total;
}

void CVXLThreadDB::publishNewCount()
{
    if (services_)
        services_->setNewMessageCount(totalNewCount());
}

void CVXLThreadDB::reconcile(CThreadReconcileRequest* request)
{
    for (std::uint32_t i = 0; i < request->ids.count(); ++i) {
        const CVXLString* id = request->ids.keyAt(static_cast<int>(i));
        if (id && !findMessage(*id))
            request->unknownIds.insertAt(*id, static_cast<int>(request->unknownIds.count()));
    }
    const bool outbound = request->outboundFamily == 1;
    CVXLPtrArray gone;
    for (std::uint32_t i = 0; i < messages_.count(); ++i) {
        auto* message = static_cast<CVXLThreadMessageEntry*>(messages_.valueAt(static_cast<int>(i)));
        if (isOutboundId(message->messageId) == outbound && !request->ids.contains(message->messageId))
            gone.insertAt(message, static_cast<int>(gone.count()));
    }
    for (std::uint32_t i = 0; i < gone.count(); ++i)
        deleteEverywhere(static_cast<CVXLThreadMessageEntry*>(gone.at(static_cast<int>(i))));
    gone.clear();
    if (saveTimer_.isBusy())
        scheduleSave();
    publishNewCount();
    finishEvent(request);
}

void CVXLThreadDB::add(CThreadAddRequest* request)
{
    scheduleSave();
    // A known id is forgotten whole first, so no thread keeps the old entry.
    if (CVXLThreadMessageEntry* old = findMessage(request->messageId))
        deleteEverywhere(old);
    auto* message = new CVXLThreadMessageEntry();
    if (!message || !messages_.set(request->messageId, message)) {
        delete message;
        VXL_LOG_FAILURE("thread database: no memory for message %s", request->messageId.c_str());
        request->setResult(kResultFailed);
        return finishEvent(request);
    }
    message->messageId = request->messageId;
    message->queued = request->queued != 0;
    message->sentTime = request->sentTime;
    message->sent = request->sent != 0;
    message->read = message->queued || message->sent || request->alreadyRead != 0;
    message->seen = message->read;
    if (!message->queued && !message->sent)
        linkPrimary(message, request->sender);
    const bool outgoing = message->queued || message->sent;
    for (std::uint32_t i = 0; i < request->recipients.count(); ++i) {
        const CVXLString recipient = request->recipients.at(static_cast<int>(i));
        if (outgoing)
            linkPrimary(message, recipient);
        else
            linkSecondary(message, recipient);
    }
    if (message->threads.count() == 0) {
        messages_.remove(message->messageId);
        delete message;
    }
    publishNewCount();
    finishEvent(request);
}

CVXLThreadEntry* CVXLThreadDB::linkPrimary(CVXLThreadMessageEntry* message, const CVXLString& address)
{
    const CVXLString key = normalise(address);
    CVXLThreadEntry* thread = findThread(key);
    if (thread) {
        (thread->hidden ? hidden_ : shown_).remove(thread);
        thread->hidden = false;
    } else {
        thread = newThread(key);
        if (!thread)
            return nullptr;
    }
    shown_.insertAt(thread, 0);
    if (!message->queued && !message->sent && !message->read && !thread->holds(message))
        ++thread->newCount;
    thread->displayAddress = key;
    link(message, thread, true);
    return thread;
}

CVXLThreadEntry* CVXLThreadDB::linkSecondary(CVXLThreadMessageEntry* message, const CVXLString& address)
{
    const CVXLString key = normalise(address);
    CVXLThreadEntry* thread = findThread(key);
    if (!thread) {
        thread = newThread(key);
        if (!thread)
            return nullptr;
        thread->hidden = true;
        hidden_.insertAt(thread, static_cast<int>(hidden_.count()));
    }
    thread->displayAddress = key;
    link(message, thread, false);
    return thread;
}

void CVXLThreadDB::link(CVXLThreadMessageEntry* message, CVXLThreadEntry* thread, bool primary)
{
    if (thread->holds(message))
        return;
    message->threads.insertAt(thread, static_cast<int>(message->threads.count()));
    if (primary && !message->queued && !message->sent)
        message->primaryThread = thread;
    thread->insertSorted(message);
}

void CVXLThreadDB::markRead(CVXLThreadMessageEntry* message)
{
    if (!message->read && message->primaryThread && message->primaryThread->newCount > 0)
        --message->primaryThread->newCount;
    message->read = true;
    message->seen = true;
}

void CVXLThreadDB::unlink(CVXLThreadMessageEntry* message, CVXLThreadEntry* thread)
{
    markRead(message);
    thread->messages.remove(message);
    message->threads.remove(thread);
    if (message->primaryThread == thread)
        message->primaryThread = nullptr;
    if (thread->messages.count() == 0)
        dropThread(thread);
}

CVXLThreadEntry* CVXLThreadDB::newThread(const CVXLString& key)
{
    auto* thread = new CVXLThreadEntry();
    if (!thread)
        return nullptr;
    thread->address = key;
    if (!byAddress_.append(key, thread)) {
        delete thread;
        return nullptr;
    }
    return thread;
}

void CVXLThreadDB::dropThread(CVXLThreadEntry* thread)
{
    (thread->hidden ? hidden_ : shown_).remove(thread);
    byAddress_.remove(thread->address);
    delete thread;
}

void CVXLThreadDB::deleteEverywhere(CVXLThreadMessageEntry* message)
{
    markRead(message);
    while (message->threads.count() > 0)
        unlink(message, message->threadAt(0));
    messages_.remove(message->messageId);
    delete message;
}

void CVXLThreadDB::remove(CThreadRemoveRequest* request)
{
    request->entryDeleted = 0;
    CVXLThreadMessageEntry* message = findMessage(request->messageId);
    if (!message)
        return finishEvent(request);
    if (request->threadAddress.length() > 0) {
        CVXLThreadEntry* thread = findThread(request->threadAddress);
        // A thread that does not hold the message changes nothing, not even
        // the new count: the message stays unread and would count twice.
        if (!thread || !thread->holds(message))
            return finishEvent(request);
        scheduleSave();
        unlink(message, thread);
        if (!message->inShownThread()) {
            request->entryDeleted = 1;
            deleteEverywhere(message);
        }
    } else {
        scheduleSave();
        request->entryDeleted = 1;
        deleteEverywhere(message);
    }
    publishNewCount();
    finishEvent(request);
}

void CVXLThreadDB::deleteOneThread(CVXLThreadEntry* thread, CVXLStringArray& deletedIds)
{
    // The thread must outlive its last unlink, which would delete it.
    while (thread->messages.count() > 0) {
        CVXLThreadMessageEntry* message = thread->messageAt(0);
        markRead(message);
        thread->messages.removeAt(0);
        message->threads.remove(thread);
        if (message->primaryThread == thread)
            message->primaryThread = nullptr;
        if (!message->inShownThread()) {
            deletedIds.insertAt(message->messageId, static_cast<int>(deletedIds.count()));
            deleteEverywhere(message);
        }
    }
    dropThread(thread);
}

void CVXLThreadDB::deleteThreads(CThreadDeleteRequest* request)
{
    scheduleSave();
    if (request->threadAddress.length() > 0) {
        if (CVXLThreadEntry* thread = findThread(request->threadAddress))
            deleteOneThread(thread, request->deletedIds);
    } else {
        request->deletedIds.clear();
        while (shown_.count() > 0) {
            CVXLThreadEntry* thread = shownAt(0);
            request->threadAddress = thread->address;
            deleteOneThread(thread, request->deletedIds);
        }
    }
    publishNewCount();
    finishEvent(request);
}

void CVXLThreadDB::markReadRequest(CThreadMarkReadRequest* request)
{
    CVXLThreadMessageEntry* message = findMessage(request->messageId);
    if (message && !message->read) {
        markRead(message);
        scheduleSave();
    }
    publishNewCount();
    finishEvent(request);
}

void CVXLThreadDB::clearNewCounts(CThreadClearNewCountsRequest* request)
{
    if (request->all == 1) {
        for (std::uint32_t i = 0; i < shown_.count(); ++i)
            shownAt(static_cast<int>(i))->newCount = 0;
        scheduleSave();
    } else if (CVXLThreadEntry* thread = findThread(request->threadAddress)) {
        thread->newCount = 0;
        scheduleSave();
    }
    publishNewCount();
    finishEvent(request);
}

void CVXLThreadDB::serialise(CVXLByteBuffer& out) const
{
    CVXLByteStream stream;
    stream.writeUInt32(kVersion);
    stream.writeUInt32(hidden_.count());
    for (std::uint32_t i = 0; i < hidden_.count(); ++i)
        writeThread(stream, hiddenAt(static_cast<int>(i)));
    stream.writeUInt32(shown_.count());
    for (std::uint32_t i = 0; i < shown_.count(); ++i)
        writeThread(stream, shownAt(static_cast<int>(i)));
    stream.writeUInt32(messages_.count());
    for (std::uint32_t i = 0; i < messages_.count(); ++i) {
        const auto* message
            = static_cast<const CVXLThreadMessageEntry*>(messages_.valueAt(static_cast<int>(i)));
        stream.writeString(message->messageId);
        stream.writeBool(message->queued);
        stream.writeBool(message->sent);
        stream.writeUInt32(message->sentTime);
        stream.writeString(message->primaryThread ? message->primaryThread->address : CVXLString());
        stream.writeUInt32(message->threads.count());
        for (std::uint32_t t = 0; t < message->threads.count(); ++t)
            stream.writeString(message->threadAt(static_cast<int>(t))->address);
        stream.writeBool(message->read);
        stream.writeBool(message->seen);
    }
    out = stream;
}

std::uint32_t CVXLThreadDB::versionOf(const CVXLByteBuffer& bytes)
{
    CVXLByteStream stream(bytes);
    const std::uint32_t version = stream.readUInt32();
    return stream.isBad() ? 0 : version;
}

namespace {

// Refuses a key already read, hidden or shown.
bool readThreads(CVXLByteStream& in, CVXLPtrArray& list, CVXLStringMap& byAddress, bool hidden)
{
    const std::uint32_t count = in.readUInt32();
    if (in.isBad() || count > in.remaining() / kMinThreadRecord)
        return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        auto* thread = new CVXLThreadEntry();
        if (!thread)
            return false;
        thread->address = in.readString();
        thread->displayAddress = in.readString();
        in.readBool();
        thread->hidden = hidden;
        thread->newCount = in.readUInt32();
        if (!list.insertAt(thread, static_cast<int>(list.count()))) {
            delete thread;
            return false;
        }
        if (in.isBad() || byAddress.contains(thread->address) || !byAddress.append(thread->address, thread))
            return false;
    }
    return true;
}

} // namespace

bool CVXLThreadDB::parse(const CVXLByteBuffer& bytes)
{
    CVXLByteStream in(bytes);
    if (in.readUInt32() != kVersion || in.isBad())
        return false;
    CVXLPtrArray hidden;
    CVXLPtrArray shown;
    CVXLStringMap byAddress;
    CVXLStringMap messages;
    auto discard = [&]() {
        messages.removeAll(true);
        byAddress.removeAll(false);
        deleteThreadList(hidden);
        deleteThreadList(shown);
        return false;
    };
    if (!readThreads(in, hidden, byAddress, true) || !readThreads(in, shown, byAddress, false))
        return discard();
    const std::uint32_t count = in.readUInt32();
    if (in.isBad() || count > in.remaining() / kMinMessageRecord)
        return discard();
    for (std::uint32_t i = 0; i < count; ++i) {
        auto* message = new CVXLThreadMessageEntry();
        if (!message)
            return discard();
        message->messageId = in.readString();
        if (messages.contains(message->messageId) || !messages.set(message->messageId, message)) {
            delete message;
            return discard();
        }
        message->queued = in.readBool();
        message->sent = in.readBool();
        message->sentTime = in.readUInt32();
        const CVXLString primary = in.readString();
        const std::uint32_t threads = in.readUInt32();
        if (in.isBad() || threads > in.remaining() / kMinString)
            return discard();
        for (std::uint32_t t = 0; t < threads; ++t) {
            const CVXLString address = in.readString();
            auto* thread = static_cast<CVXLThreadEntry*>(byAddress.find(address));
            if (thread && !thread->holds(message)) {
                message->threads.insertAt(thread, static_cast<int>(message->threads.count()));
                thread->messages.insertAt(message, static_cast<int>(thread->messages.count()));
            }
        }
        message->read = message->queued || message->sent;
        message->seen = message->read;
        if (in.readBool())
            message->read = message->seen = true;
        if (in.readBool())
            message->seen = true;
        if (in.isBad())
            return discard();
        // Only a thread that lists the message may be its primary one, or the
        // pointer would outlive the thread.
        auto* primaryThread
            = primary.length() ? static_cast<CVXLThreadEntry*>(byAddress.find(primary)) : nullptr;
        if (primaryThread && primaryThread->holds(message))
            message->primaryThread = primaryThread;
    }
    if (in.remaining() != 0)
        return discard();
    clearAll();
    for (const CVXLPtrArray* list : {&hidden, &shown}) {
        CVXLPtrArray& target = list == &hidden ? hidden_ : shown_;
        for (std::uint32_t i = 0; i < list->count(); ++i) {
            auto* thread = static_cast<CVXLThreadEntry*>(list->at(static_cast<int>(i)));
            thread->sortMessages();
            target.insertAt(thread, static_cast<int>(target.count()));
        }
    }
    for (std::uint32_t i = 0; i < messages.count(); ++i)
        messages_.set(*messages.keyAt(static_cast<int>(i)), messages.valueAt(static_cast<int>(i)));
    for (std::uint32_t i = 0; i < byAddress.count(); ++i)
        byAddress_.append(*byAddress.keyAt(static_cast<int>(i)), byAddress.valueAt(static_cast<int>(i)));
    messages.removeAll(false);
    byAddress.removeAll(false);
    hidden.clear();
    shown.clear();
    return true;
}
