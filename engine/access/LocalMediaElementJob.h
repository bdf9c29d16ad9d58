#pragma once

#include "engine/access/MediaMemberJob.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/media/VXLLocalMediaRequest.h"

#include <cstdint>

class CVXLMediaStoreManager;
class CVXLPersStore;

// Lists and changes the media of one phone or card location for the Media
// Access Manager, through the Local Media Manager. Operations (the request
// code): 0 close, 1 open (keeps the storage index and the mask), 2 fetch one
// item, 3 save an item's record, 4 delete with progress. A fetch while no
// location is open fails with 80.
//
// The delete walks the request's selection, or with the refresh flag the
// whole location by asking again for its first item after each delete. Each
// item deleted counts in "int.progress_current"; the walk ends at the first
// failure with its result, and a cancel ends it after the item under way. An
// item listed again after its delete ends the walk with 1000.
class CLocalMediaElementJob : public CMediaMemberJob {
public:
    enum Operation : std::int32_t { kClose = 0, kOpen = 1, kFetch = 2, kSave = 3, kDelete = 4 };

    void setSettings(CVXLPersStore* settings) { settings_ = settings; }
    void setStores(CVXLMediaStoreManager* stores) { stores_ = stores; }

    const char* name() const override { return "LocalMediaElementJobJob"; }
    bool isOpened() const { return opened_; }
    std::uint16_t storageIndex() const { return storageIndex_; }
    std::uint32_t progressCount() const { return progress_; }
    bool walking() const { return walk_ != Walk::None; }

protected:
    void onStarted() override;
    void onRequest(CMediaAccessRequest* request) override;
    void onReply(CVXLEvent* reply) override;
    void onCancel() override;

private:
    enum Reply : std::int32_t {
        kReplyDeleted = 7,
        kReplyFirstItem = 8,
        kReplyLocationItemDeleted = 9,
        kReplyItem = kEventMediaItemAtDone,
        kReplySaved = kEventMediaItemSaveDone,
    };
    enum class Walk { None, Selection, Location };

    void startWalk(CMediaAccessRequest* request);
    void deleteNextSelected();
    void askFirstItem();
    void deleteItem(const CVXLString& name, std::uint32_t packedLocation, std::int32_t replyCode);
    void counted();
    void endWalk(std::int32_t result, const CVXLString& text = CVXLString());
    void setLocation(CVXLLocalMediaRequest& request) const;

    CVXLPersStore* settings_ = nullptr;
    CVXLMediaStoreManager* stores_ = nullptr;
    bool opened_ = false;
    std::uint16_t storageIndex_ = 0;
    std::uint8_t mediaMask_ = 3;

    Walk walk_ = Walk::None;
    std::uint32_t progress_ = 0;
    bool cancelWalk_ = false;
    std::size_t nextSelected_ = 0;
    CVXLString lastName_;

    CVXLLocalMediaRequest getItem_ {kEventMediaItemAt, kReplyItem};
    CVXLLocalMediaRequest saveItem_ {kEventMediaItemSave, kReplySaved};
    CVXLLocalMediaRequest delete_ {kEventLocalDeleteItem, kReplyDeleted};
    CVXLLocalMediaRequest firstItem_ {kEventLocalMediaRequest, kReplyFirstItem};
};
