#pragma once

#include "engine/access/AlbumSummaryJob.h"
#include "engine/access/LocalMediaElementJob.h"
#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaCollection.h"
#include "engine/access/MediaElementJob.h"
#include "engine/access/MediaSelection.h"
#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLUIRequestCodes.h"
#include "engine/media/VXLAlbum.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/records/MediaSelectionSource.h"
#include "engine/records/VXLInboundRequests.h"

#include <cstdint>
#include <memory>
#include <vector>

class CVXLMediaStoreManager;
class CVXLPersStore;

// The one place through which the screens browse media: online albums,
// phone and card locations and the media parts of a stored message, in
// windows of consecutive positions, plus the list of online albums. Fetched
// items are cached per list (a collection, see CMediaCollection) and keep
// their selection across lists. Lists and changes go to the online and
// local media managers through three member jobs; message media come from
// the inbound message manager. Every request is answered: codes without an
// operation, and a fetch with no source to ask, with 1000.
class CMediaAccessManager : public CVXLEventHandler,
                            public CMediaSelectionSource,
                            public CMediaSelection::Owner {
public:
    // What the manager takes from the engine root when it starts.
    class Owner {
    public:
        virtual ~Owner() = default;
        virtual CVXLEventHandler* onlineMediaManager() = 0;
        virtual CVXLEventHandler* localMediaManager() = 0;
        virtual CVXLEventHandler* inboundMessageManager() = 0;
        virtual CVXLMediaStoreManager* mediaStoreManager() = 0;
        virtual CVXLPersStore* settings() = 0;
        virtual void pushUIRequestCode(std::int32_t code) = 0;
    };

    // Current collection kinds.
    enum Kind : std::int32_t {
        kNone = 0,
        kOnlineAlbum = 1,
        kLocalLocation = 2,
        kAlbumList = 3,
        kMessageMedia = 4
    };
    enum State : std::int32_t {
        kIdle = 0,
        kFetching = 1,
        kFetchingAlbum = 2,
        kJobRunning = 3,
        kJobWithSelectionRunning = 4,
        kOpeningMessage = 5,
        kReadingPart = 6,
    };
    // Reply codes of the manager's member requests.
    enum Reply : std::int32_t {
        kReplyJob = 20,
        kReplyAlbum = 21,
        kReplyOnlineFetch = 22,
        kReplyLocalFetch = 23,
        kReplyMessageOpened = 24,
        kReplyPartRead = 25,
        kReplyLocalAdded = 26,
        kReplyLocalLookup = 27,
        kReplyListClosed = 28,
    };
    // The user-interface request queued when cached items changed.
    // Lock filter bits of a message open.
    static constexpr std::int32_t kLockSaveLocked = 1;
    static constexpr std::int32_t kLockDrm = 2;

    CMediaAccessManager();
    ~CMediaAccessManager() override;

    static CMediaAccessManager* instance();
    static void setInstance(CMediaAccessManager* manager);
    void setOwner(Owner* owner) { owner_ = owner; }

    void onEvent(CVXLEvent* event) override;
    // Deletes every collection with its entries, every album entry and the
    // parts of the open message.
    virtual void releaseCaches();
    const char* name() const override { return "Media Access Manager"; }
    const char* getName() const { return name(); }

    // Selection, for the screens and the outbound queue.
    std::uint32_t countSelected() const;
    // The current collection's selected items, one use more each; the list
    // is the caller's until it gives it back with release(). Emptied when
    // its collection is (after a move or a delete, clearElements).
    CMediaSelection* getSelectedItems();
    void clearAllSelections();
    void toggleSelection(const CVXLMediaItem& item);
    bool isSelected(const CVXLMediaItem& item) const;
    // Each item of the list loses the use it holds; then the list is deleted
    // (or, for the manager's own list, emptied).
    void releaseItemList(CMediaSelection* list) override;
    // The selected items of every collection, each once; the manager's own list.
    CMediaSelection* getSelectionList();
    std::vector<CVXLMediaItem*> selectedMedia() override;
    void resetSelectionFlag() { setSelectionFlag(false); }
    bool selectionFlag() const;
    void setSelectionFlag(bool whole);

    // Uses of the current list's entries (or of the album entries).
    void releaseElement(std::int32_t position);
    void releaseAll();
    void clearElements();
    // Every cached item with the identity of `item` takes its values.
    void updateItem(const CVXLMediaItem& item);
    // Pictures and videos among the open message's parts that pass the
    // lock filter.
    void countMessageMedia(std::int32_t* pictures, std::int32_t* videos) const;
    void deleteCollections();

    Kind kind() const { return kind_; }
    State state() const { return state_; }
    CMediaCollection* currentCollection() const { return current_; }
    std::size_t collectionCount() const { return collections_.size(); }
    std::size_t albumCount() const;
    // The album cached at a position and its uses; null when none is.
    const CVXLAlbum* cachedAlbum(std::size_t position, std::uint16_t* uses = nullptr) const;

    // The part filters of a message, on one part's own headers.
    static bool passesLockFilter(const CVXLHeaderMap& part, std::int32_t lockFilter);
    // 1 picture, 2 video, 0 neither (or not wanted by the media filter).
    static std::int32_t mediaKindOf(const CVXLHeaderMap& part, std::int32_t mediaFilter);

private:
    struct AlbumEntry {
        std::uint16_t useCount = 0;
        CVXLAlbum* album = nullptr;
    };

    void onStart(CVXLEvent* event);
    void onRequest(CMediaAccessRequest* request);
    void onReply(CVXLEvent* reply);
    void onCancel(const CVXLEvent* cancelled);
    void answer(std::int32_t result, const CVXLString& text = CVXLString());

    void fetch(CMediaAccessQuery* query);
    void continueFetch();
    void lookup(CMediaAccessQuery* query);
    void fetchReplied(CMediaFetchRequest& fetch, bool online);
    void readPart();
    void partRead(CVXLEvent* reply);
    void takeItem(CVXLMediaItem* item, bool markSelected);
    void albumAt(CMediaElementRequest* request);
    void albumReplied(CVXLEvent* reply);
    void releaseAlbums();
    void deleteAlbums();
    void openCollection(const CMediaCollectionKey& key);
    void open(CMediaAccessRequest* request);
    void openMessage(CMediaAccessBasicRequest* request);
    void messageOpened(CVXLEvent* reply);
    void close();
    void runJob(
        CMediaAccessRequest* request, CMediaMemberJob* job, std::int32_t operation, bool withSelection);
    void jobReplied(CVXLEvent* reply);
    void addLocalFile(CMediaItemEvent* request);
    void localItemReplied(CVXLEvent* reply);
    void selectEverywhere(const CVXLMediaItem& item);
    CMediaCollection* owningCollection(const CMediaSelection* list) const;
    void detachLists(CMediaCollection* collection);
    std::int32_t mediaPartIndex(std::int32_t position) const;
    void freeParts();
    CVXLEventHandler* trafficTarget();

    static CMediaAccessManager* instance_;

    Owner* owner_ = nullptr;
    CVXLEventHandler* inbound_ = nullptr;
    CVXLEventHandler* local_ = nullptr;
    CVXLMediaStoreManager* stores_ = nullptr;
    CMediaElementJob elementJob_;
    CLocalMediaElementJob localJob_;
    CAlbumSummaryJob summaryJob_;

    std::vector<std::unique_ptr<CMediaCollection>> collections_;
    std::vector<AlbumEntry> albums_;
    CMediaCollection* current_ = nullptr;
    Kind kind_ = kNone;
    Kind savedKind_ = kNone;
    State state_ = kIdle;
    State savedState_ = kIdle;
    CVXLEventHandler* pendingTarget_ = nullptr;
    // The screen's request being served.
    CMediaAccessRequest* serving_ = nullptr;
    std::int32_t fetchPosition_ = 0;

    // The open message.
    CVXLString messageId_;
    std::uint32_t partCount_ = 0;
    std::vector<CVXLHeaderMap> parts_;
    std::int32_t mediaFilter_ = 2;
    std::int32_t lockFilter_ = 0;
    std::int32_t totalMedia_ = 0;
    CVXLMediaItem* readItem_ = nullptr;

    // Member requests, each built once.
    CMediaAccessBasicRequest jobRequest_ {0, kReplyJob};
    CMediaSelection* jobSelection_ = nullptr;
    CMediaAlbumFetchRequest albumRequest_ {kReplyAlbum};
    CMediaFetchRequest onlineFetch_ {kReplyOnlineFetch};
    CMediaFetchRequest localFetch_ {kReplyLocalFetch};
    CMediaAccessBasicRequest closeList_ {0, kReplyListClosed};
    CMessageOpenRequest openMessage_ {kReplyMessageOpened};
    CMessageReadRequest readPart_ {kReplyPartRead};
    CVXLLocalMediaRequest localItem_ {kEventLocalImportByName, kReplyLocalLookup};
    CMediaSelection selectionList_ {this, nullptr, false};
    // Lists of getSelectedItems not given back yet.
    std::vector<CMediaSelection*> handedOut_;
};
