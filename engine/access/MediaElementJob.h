#pragma once

#include "engine/access/MediaMemberJob.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/media/VXLOnlineMediaRequest.h"

#include <cstdint>

// Lists and changes the media of one online album for the Media Access
// Manager, through the Online Media Manager. Operations (the request code):
// 0 close, 1 open (keeps the album and the mask), 2 fetch one item, 3 save
// an item's changes, 4 copy, 5 move and 6 delete the selection or the whole
// album. A fetch while no album is open fails with 81.
class CMediaElementJob : public CMediaMemberJob {
public:
    enum Operation : std::int32_t {
        kClose = 0,
        kOpen = 1,
        kFetch = 2,
        kSave = 3,
        kCopy = 4,
        kMove = 5,
        kDelete = 6
    };
    // Item operation kinds of the Online Media Manager.
    static constexpr std::int32_t kKindDelete = 1;
    static constexpr std::int32_t kKindMove = 2;
    static constexpr std::int32_t kKindCopy = 3;

    const char* name() const override { return "MediaElementJobJob"; }
    bool isOpened() const { return opened_; }
    const CVXLString& albumId() const { return albumId_; }

protected:
    void onStarted() override;
    void onRequest(CMediaAccessRequest* request) override;
    void onReply(CVXLEvent* reply) override;

private:
    enum Reply : std::int32_t {
        kReplyItem = kEventMediaItemAtDone,
        kReplySaved = kEventMediaItemSaveDone,
        kReplyCopyMove = 8,
        kReplyDelete = 9,
    };

    void itemOperation(CMediaAccessRequest* request, std::int32_t kind);

    bool opened_ = false;
    CVXLString albumId_;
    std::uint8_t mediaMask_ = 3;
    CVXLOnlineMediaRequest getItem_ {kEventMediaItemAt, kReplyItem};
    CVXLOnlineMediaRequest saveItem_ {kEventMediaItemSave, kReplySaved};
    CVXLOnlineMediaRequest operation_ {kEventOnlineItemOperation, kReplyCopyMove};
};
