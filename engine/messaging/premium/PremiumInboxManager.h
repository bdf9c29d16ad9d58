#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLSimpleEvent.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLStateFileSaver.h"
#include "engine/messaging/premium/PremiumGroupList.h"
#include "engine/messaging/premium/PremiumMessageEntry.h"
#include "engine/messaging/service/MessageServiceRequests.h"

#include <cstdint>
#include <vector>

class CMessageStoreManager;
class CVXLFileStoreManager;

// Keeps the premium box in named groups (content channels): their message
// and unread counts, their order, the selected group, and list windows of
// its messages, which the message service job fills. The groups and the
// entries are saved to "state.pq" (replaced whole) at every change; at start
// the file is read and then matched against the store's premium box, where
// a message without an entry lands in the group "__orphaned_id" ("Recovered").
//
// "state.pq": format byte 10; the group count (32 bits), per group its id,
// created time, priority, receivedTotal, name and thumbnail; the message
// count, per message its id, its group's id and its received time. Integers
// little-endian, strings counted with their NUL.
class CPremiumInboxManager : public CVXLEventHandler, private CVXLStateFileSaver::Owner {
public:
    static constexpr const char* kFileName = "state.pq";
    static constexpr std::uint8_t kFormat = 10;
    static constexpr const char* kOrphanGroupId = "__orphaned_id";
    static constexpr std::int32_t kOrphanPriority = 0x7FFFFFFF;
    static constexpr std::uint32_t kRetryMs = 50;
    // Engine texts: the orphan group's name and the name of all groups.
    static constexpr std::uint32_t kTextRecovered = 396;
    static constexpr std::uint32_t kTextPremiumContent = 57;

    // Requests taken, and the manager's own codes.
    static constexpr std::int32_t kRequestAdd = 37;
    static constexpr std::int32_t kRequestRemove = 38;
    static constexpr std::int32_t kRequestOpen = 2;
    static constexpr std::int32_t kReplyRead = 35;
    static constexpr std::int32_t kReplyWritten = 36;
    static constexpr std::int32_t kReplyListed = 39;
    static constexpr std::int32_t kEventRetry = 40;

    // What the manager needs of the Client.
    class Services {
    public:
        virtual ~Services() = default;
        virtual std::uint32_t nowSeconds() = 0;
        // Configuration item 51.
        virtual std::int32_t orderingMode() = 0;
        virtual CVXLString engineText(std::uint32_t id) = 0;
    };

    CPremiumInboxManager();
    ~CPremiumInboxManager() override;

    // The manager the Client made.
    static CPremiumInboxManager* instance();

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "PREMIUM Inbox Manager"; }

    void setFileStoreManager(CVXLFileStoreManager* files)
    {
        files_ = files;
        saver_.setFileStoreManager(files);
    }
    // The file holds the inbox as it was at the last change.
    bool stored() const { return !saver_.failed(); }
    void setMessageStore(CMessageStoreManager* store) { store_ = store; }
    void setServices(Services* services) { services_ = services; }
    // The message service job: started as a child, served the forwarded
    // message requests and the list windows.
    void setServiceJob(CVXLEventHandler* job) { serviceJob_ = job; }
    // The job that posts request 37 for routeMessage (the Client).
    void setRequestSender(CVXLEventHandler* sender) { sender_ = sender; }

    // The inbound manager's offer of a stored preview with its "X-QV-Folder"
    // value. A normal control (empty or "normal") posts request 37 when the
    // descriptor is not empty and answers false; any other control answers
    // true: the preview is not wanted.
    bool routeMessage(const CVXLString& messageId, const CVXLString& descriptor);

    // The group with this name becomes the current one; null clears it.
    void selectItem(const CVXLString* name);
    CVXLString currentGroupName() const;
    std::uint32_t groupCount() const { return groups_.count(); }
    // A group's counts by name; for "Premium Content", when no group has
    // that name, the sums over all groups; otherwise 0.
    std::uint32_t messageCount(const CVXLString& name) const;
    std::uint32_t unreadCount(const CVXLString& name) const;
    // The group at an index of the display order (re-ordered first when the
    // ordering mode has changed); null out of range or before the load.
    const CPremiumGroup* groupAt(std::uint32_t index);
    void dropEmptyGroups();

    bool isLoaded() const { return loaded_; }
    std::uint32_t entryCount() const { return static_cast<std::uint32_t>(entries_.size()); }
    const CPremiumMessageEntry* entryAt(std::uint32_t index) const
    {
        return index < entries_.size() ? entries_[index] : nullptr;
    }

    // The file's bytes and their reader. Bytes that are not a whole file of
    // this format leave the lists as they were and give false.
    void serialise(CVXLByteBuffer& out) const;
    bool parse(const CVXLByteBuffer& bytes);

private:
    void onStart(CVXLEvent* event);
    void onStop(CVXLEvent* event);
    void onCancel(CVXLEvent* event);
    void onRead(CVXLEvent* reply);
    void writeState(CVXLByteBuffer& out) override { serialise(out); }
    void onAdd(CVXLEvent* request);
    void onRemove(CVXLEvent* request);
    void onOpen(CVXLEvent* request);
    void onList(CVXLEvent* request);
    void onListed(CVXLEvent* reply);
    void forwardToServiceJob(CVXLEvent* request);
    void synchronise();
    CPremiumGroup* registerGroup(const CVXLString& descriptor);
    CPremiumGroup* orphanGroup();
    CPremiumMessageEntry* findEntry(const CVXLString& messageId, std::size_t* index = nullptr) const;
    void recount();
    void reorder();
    void save();
    void clearEntries();
    void finishStopWhenSaved();
    std::uint32_t now() const;

    CVXLFileStoreManager* files_ = nullptr;
    CMessageStoreManager* store_ = nullptr;
    Services* services_ = nullptr;
    CVXLEventHandler* serviceJob_ = nullptr;
    CVXLEventHandler* sender_ = nullptr;

    bool loaded_ = false;
    std::vector<CPremiumMessageEntry*> entries_;
    CPremiumGroupList groups_ {entries_};
    CVXLSimpleEvent retry_ {kEventRetry};
    CVXLFileReadRequest readRequest_ {kReplyRead};
    CVXLStateFileSaver saver_ {*this, *this, kFileName, kReplyWritten};
    CMessageListRequest listRequest_ {kReplyListed};
    // The caller's list request while the service job fills its window.
    CMessageListRequest* listCaller_ = nullptr;
    CVXLEvent* startPending_ = nullptr;
    CVXLEvent* stopPending_ = nullptr;
};
