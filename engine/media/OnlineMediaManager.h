#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/service/VRAXContainerOperation.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/service/VRAXPageRequest.h"

#include <cstdint>

class CVXLAlbum;
class CVXLMediaItem;
class CVXLMediaRefHandle;
class CVXLOnlineMediaRequest;

// The engine's access to the subscriber's online albums. Keeps one page of
// the album list and one page of one album's contents, and turns each miss
// or change into a request to the service protocol job. Requests are
// CVXLOnlineMediaRequest events; every one is answered, codes it does not
// serve with 1000 (uploads and rendition fetches among them: they are not
// handed to the service protocol job's media flows yet). One exchange with
// the service protocol job at a time: a request stays in progress until its
// exchange is over.
class COnlineMediaManager : public CVXLEventHandler {
public:
    // What the manager takes from the engine root when it starts.
    class Owner {
    public:
        virtual ~Owner() = default;
        virtual CVXLEventHandler* vraxJob() = 0;
        // A configuration item's text; false when it is absent.
        virtual bool configItem(std::int32_t item, CVXLString* text) = 0;
    };

    static constexpr std::int32_t kMaxAlbumPage = 10;
    static constexpr std::int32_t kMinPage = 5;
    // The detail code with which the server reports an item operation that
    // left nothing to do.
    static constexpr std::int32_t kNothingToDo = 273;
    static constexpr std::int32_t kNotOnPage = 18;

    COnlineMediaManager() = default;
    ~COnlineMediaManager() override;

    void setOwner(Owner* owner) { owner_ = owner; }
    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "OnlineMediaManager"; }

    // Both pages are fetched again on their next use.
    void markListsStale();
    std::int32_t albumPageSize() const { return albumPageSize_; }
    std::int32_t mediaPageSize() const { return mediaPageSize_; }

private:
    // Reply codes of the exchanges with the service protocol job.
    enum Reply : std::int32_t {
        kReplyRename = 0,
        kReplyCreate = 1,
        kReplyDelete = 2,
        kReplyUpdate = 4,
        kReplyItemOperation = 5,
        kReplyAlbumPage = 6,
        kReplyAlbumList = 7,
        kReplyContents = 8,
    };

    void onStart(CVXLEvent* event);
    void onRequest(CVXLEvent* event);
    void onReply(CVXLEvent* reply);
    void complete(std::int32_t result, const CVXLString& text = CVXLString());
    void send(CVRAXJobRequest& request, std::int32_t replyCode);

    void albumList(CVXLOnlineMediaRequest* request);
    void albumAt(CVXLOnlineMediaRequest* request);
    bool fillAlbum(std::int32_t index, CVXLAlbum* album) const;
    void acceptAlbumPage(std::int32_t result);
    void itemAt(CVXLOnlineMediaRequest* request);
    bool buildItem(const CVXLOnlineMediaRequest& request, CVXLMediaItem** item);
    void addRenditions(CVXLMediaRefHandle& handle, const CVXLString& id, const CVXLString& mimeType,
                       std::int32_t size);
    void albumOperation(CVXLOnlineMediaRequest* request);
    void itemOperation(CVXLOnlineMediaRequest* request);
    void updateItem(CVXLOnlineMediaRequest* request);

    Owner* owner_ = nullptr;
    CVXLEventHandler* vrax_ = nullptr;
    std::int32_t albumPageSize_ = kMaxAlbumPage;
    std::int32_t mediaPageSize_ = kMaxAlbumPage;
    // The request from another job being served.
    CVXLEvent* current_ = nullptr;

    bool albumsValid_ = false;
    CVRAXPageRequest albums_;
    bool contentsValid_ = false;
    CVRAXPageRequest contents_;

    CVRAXContainerOperation operation_;
    CVRAXJobRequest listRequest_ { kEventVraxAlbumList, kReplyAlbumList };
    CVRAXJobRequest contentsRequest_ { kEventVraxAlbumContents, kReplyContents };
    CVRAXJobRequest albumRequest_ { kEventVraxContainerOperation, kReplyRename };
    CVRAXJobRequest itemRequest_ { kEventVraxItemOperation, kReplyItemOperation };
    CVRAXJobRequest updateRequest_ { kEventVraxMediaRecord, kReplyUpdate };
};
