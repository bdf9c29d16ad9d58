#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/messaging/store/VXLStoreRequests.h"
#include "engine/messaging/store/VXLStoredMessageId.h"
#include "engine/messaging/threads/VXLThreadRequests.h"

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_map>

class CVXLMessage;
class CVXLMimeEntity;
class CVXLPlatformStore;
class CVXLThreadDB;

// The engine's local message store: one file per message in the platform
// message store, the box lists (newest first), the new-message and not-yet
// indexes ("mms.new", "mms.notyet"), the bytes used and the counters that the
// screens show. The only writer of stored messages: every file is put in
// place whole (the stream's replace mode), so a crash leaves the old or the
// new file; a new entry of "mms.new" is appended and synced, and a load drops
// an entry cut short. The thread database hears of every message stored, read
// and deleted.
//
// The platform store answers its calls at once, so every request but the
// start (which waits for the thread database) is served within one step.
class CMessageStoreManager : public CVXLEventHandler {
public:
    // What the message store needs of the Client.
    class Services {
    public:
        virtual ~Services() = default;
        // Configuration item 45; 100 when unset.
        virtual std::uint32_t messageLimit() = 0;
        // A counter key of the settings tree, in decimal.
        virtual void setCounter(const char* key, std::uint32_t value) = 0;
        // "client.has_new_messages" = "1".
        virtual void setHasNewMessages() = 0;
        virtual std::uint32_t nowSeconds() = 0;
    };

    static constexpr const char* kNewIndex = "mms.new";
    static constexpr const char* kNotYetIndex = "mms.notyet";
    static constexpr std::uint32_t kDefaultLimit = 100;
    // An entry of "mms.new" as the room check counts it.
    static constexpr std::uint32_t kNewIndexEntryBytes = 15;
    // The room a write of another job needs: twice its size hint and 1024
    // bytes, or this without a hint.
    static constexpr std::uint32_t kRoomWithoutHint = 4194304;

    CMessageStoreManager();
    ~CMessageStoreManager() override;

    void onEvent(CVXLEvent* event) override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "MessageStoreManager"; }

    void setStore(CVXLPlatformStore* store) { store_ = store; }
    void setThreadDB(CVXLThreadDB* threadDB) { threadDB_ = threadDB; }
    void setServices(Services* services) { services_ = services; }
    // Told the id of every file deleted (request 38, no reply).
    void setPremiumInbox(CVXLEventHandler* premium) { premium_ = premium; }

    // Kinds 0, 2 and 3; 0 (or "") for any other kind or position.
    std::uint32_t boxCount(std::uint32_t kind) const;
    CVXLString boxIdAt(std::uint32_t kind, std::uint32_t position) const;
    bool isNew(const CVXLString& id) const { return newIndex_.contains(id); }
    std::uint32_t usage() const { return usage_; }
    std::uint32_t inboxNewCount() const { return inboxNew_; }
    std::uint32_t premiumNewCount() const { return premiumNew_; }
    bool loaded() const { return loaded_; }

    // Names that the load deletes besides kind 4: the inbound manager's
    // transfer files.
    static bool isTransferFile(const CVXLString& name);

private:
    static constexpr std::int32_t kReplyReconcile = 69;
    static constexpr std::int32_t kReplyThreadAdd = 70;
    static constexpr std::int32_t kReplyThreadRemove = 71;
    static constexpr std::int32_t kReplyThreadMarkRead = 72;
    static constexpr std::int32_t kPremiumFileDeleted = 38;
    static constexpr std::uint32_t kKinds = 4;

    struct Segment {
        std::uint32_t headerOffset;
        std::uint32_t headerLength;
        std::uint32_t bodyOffset;
        std::uint32_t bodyLength;
    };
    // A stored message's file as it is composed, and the files its bodies
    // were read from.
    struct MessageImage {
        CVXLByteBuffer bytes;
        CVXLHeaderMap sources;
    };

    void onStart(CVXLEvent* event);
    void onReconciled(CThreadReconcileRequest* reply);
    void onCountQuery(CStoreCountQuery* query);
    void onIdListQuery(CStoreIdListQuery* query);
    void onPartsQuery(CStorePartsQuery* query);
    void onRead(CStoreReadRequest* request);
    void onStore(CStoreMessageRequest* request);
    void onDelete(CStoreDeleteRequest* request);
    void onMmboxPurge(CVXLEvent* request);
    void onWipe(CVXLEvent* request);
    void onSummaryRewrite(CStoreSummaryRewriteRequest* request);
    // Another job's stream on a stored file: a name, or a body locator
    // ("id|offset|length") whose window is read; writes make room first.
    void onOpenForReading(CVXLNamedRequest* request);
    void onOpenForWriting(CVXLNamedRequest* request);

    std::int32_t load();
    std::int32_t storeMessage(CStoreMessageRequest* request);
    std::int32_t appendEntity(MessageImage& image, const CVXLHeaderMap& headers, const CVXLMimeEntity* from);
    std::int32_t composePreview(
        const CVXLMessage& message, const CVXLHeaderMap& headers, MessageImage& image);
    std::int32_t composeWhole(
        const CVXLMessage& message, const CVXLHeaderMap& headers, const CVXLString& id, MessageImage& image);
    std::int32_t putMessage(
        const CVXLString& id, std::uint32_t kind, bool whole, const CVXLByteBuffer& image);
    void deleteSpentSources(const CVXLHeaderMap& sources, const CVXLString& id);
    bool makeRoomForLimit(std::int32_t* result);
    std::int32_t deleteMessage(const CVXLString& id);
    std::int32_t deleteMailboxCopies();
    // Strips media parts (cuts after segment 3) until usage is at most target.
    std::int32_t freeSpace(std::uint32_t target, const CVXLString& keep);
    void markRead(CStoreReadRequest* request);
    void postAdd(const CVXLString& id, const CVXLHeaderMap& summary);
    void postMarkRead(const CVXLString& id);
    // A thread database notice without a reply; deleted without a database.
    template <class Notice> void postNotice(Notice* notice, const CVXLString& id);

    // Files of the store, by their own names.
    std::int32_t readFile(const CVXLString& name, CVXLByteBuffer& bytes);
    // The file's first segments, whole; fewer when the file ends first.
    // Up to kKeptSegments come from the heads kept of recent reads.
    std::int32_t readHead(const CVXLString& name, std::uint32_t segments, CVXLByteBuffer& bytes);
    std::int32_t readHeadFromFile(const CVXLString& name, std::uint32_t segments, CVXLByteBuffer& bytes);
    // A file changed or removed by the store, or all of them.
    void forgetHead(const CVXLString& name);
    void forgetHeads();
    std::int32_t readRange(
        const CVXLString& name, std::uint32_t start, std::uint32_t count, CVXLByteBuffer& bytes);
    // Puts the bytes in place whole; the usage follows the size change.
    std::int32_t replaceFile(const CVXLString& name, const CVXLByteBuffer& bytes);
    std::int32_t removeFile(const CVXLString& name);
    bool fileSize(const CVXLString& name, std::uint32_t* size);
    std::uint32_t freeBudget();
    std::int32_t writeIndex(const char* name, const CVXLHeaderMap& ids);
    // "mms.new" given its last entry, id.
    std::int32_t appendToNewIndex(const CVXLString& id);

    // The segment at *offset of a message file, moving the offset past it;
    // false at the end or when the segment runs past it.
    static bool nextSegment(const CVXLByteBuffer& bytes, std::uint32_t* offset, Segment* segment);
    static CVXLString locatorOf(const CVXLString& id, const Segment& segment);
    // The kind of a stored message's id as a number (0 the inbox).
    static std::uint32_t kindNumber(const CVXLString& id);
    // Appends a segment: the headers' block and the body, after their lengths.
    static bool appendSegment(CVXLByteBuffer& out, const CVXLHeaderMap& headers, const std::uint8_t* body,
        std::uint32_t bodyLength);

    void insertSorted(std::uint32_t kind, const CVXLString& id);
    void removeFromList(std::uint32_t kind, const CVXLString& id);
    void writeCounters();
    void writeTotal(std::uint32_t kind);
    void writeNewCount(std::uint32_t kind);
    void addUsage(std::int64_t delta);
    std::uint32_t limit();

    CVXLPlatformStore* store_ = nullptr;
    CVXLThreadDB* threadDB_ = nullptr;
    Services* services_ = nullptr;
    CVXLEventHandler* premium_ = nullptr;

    // The first segments of recently read stored messages (a summary, its
    // body's headers, the totals and the message's headers), oldest first,
    // within a budget of bytes. The store is the only writer of stored
    // messages: every replace and delete forgets the file's head (by any
    // spelling), and a load forgets all.
    static constexpr std::uint32_t kKeptSegments = 4;
    static constexpr std::uint32_t kMostHeadBytes = 8192;
    static constexpr std::uint32_t kMostKeptBytes = 262144;
    std::unordered_map<std::string, CVXLByteBuffer> heads_;
    std::deque<std::string> headOrder_;
    std::uint32_t keptBytes_ = 0;

    CVXLStringArray lists_[kKinds];
    CVXLHeaderMap allFiles_;
    CVXLHeaderMap newIndex_;
    // "mms.new" on the disk holds exactly newIndex_'s entries, in order.
    bool newIndexOnDisk_ = false;
    CVXLHeaderMap notYetIndex_;
    std::uint32_t inboxNew_ = 0;
    std::uint32_t premiumNew_ = 0;
    std::uint32_t usage_ = 0;
    CVXLStoredMessageId ids_;
    bool firstLoadDone_ = false;
    bool loaded_ = false;

    // The stream job writing a relay mailbox transfer file, while it runs.
    CVXLEventHandler* relayWriter_ = nullptr;
    CVXLEvent* startEvent_ = nullptr;
    CThreadReconcileRequest* reconcile_ = nullptr;
};
