#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/media/OnlineFetchBatch.h"
#include "engine/media/VXLOnlineMediaSinkAdapterJob.h"
#include "engine/service/VRAXContainerOperation.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/service/VRAXPageRequest.h"

#include <cstdint>
#include <vector>

class CVXLAlbum;
class CVXLMediaReadRequest;
class CVXLMediaItem;
class CVXLMediaRefHandle;
class CVXLOnlineMediaRequest;

// The engine's access to the subscriber's online albums. Keeps one page of
// the album list and one page of one album's contents, and turns each miss
// or change into a request to the service protocol job. Requests are
// CVXLOnlineMediaRequest events; every one is answered: the codes
// kEventXferCloseDone, kEventLocalAlbumBySelector and
// kEventLocalDeleteItemDone with a plain 0, codes it does not serve with
// 1000. Rendition fetches (kEventFileStoreOpenForReading) are
// collected into batches of up to nine sent as one request, each answered at
// once with the source adapter that the item's bytes will come from, when
// the batch is sent. An upload opens a source
// at the job that holds the item and runs it into an online sink adapter,
// which hands the bytes to the service protocol job. One exchange with
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
    void childFinished(CVXLEventHandler* child) override;

    // Told how each upload ended (the Media Upload Manager).
    void setUploadRecorder(CVXLUploadOutcomeRecorder* recorder) { sink_.setRecorder(recorder); }
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
        kReplySourceOpened = 9,
        kReplyFetch = 3,
    };
    // Posted to itself when a batch starts: it runs after the requests
    // already queued, which join the batch first.
    static constexpr std::int32_t kFlushBatch = 10;

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
    void addRenditions(
        CVXLMediaRefHandle& handle, const CVXLString& id, const CVXLString& mimeType, std::int32_t size);
    void albumOperation(CVXLOnlineMediaRequest* request);
    void itemOperation(CVXLOnlineMediaRequest* request);
    void updateItem(CVXLOnlineMediaRequest* request);
    void upload(CVXLOnlineMediaRequest* request);
    void onSourceOpened(CVXLEvent* reply);
    void onSourceRan(CVXLEvent* reply);
    void onSourceClosed(CVXLEvent* reply);
    void fetch(CVXLMediaReadRequest* request);
    bool joins(const CVXLMediaReadRequest& request) const;
    void flushBatch();
    void onFetchReplied(CVXLEvent* reply);
    bool adapterFinished(CVXLEventHandler* child);

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
    CVRAXJobRequest listRequest_ {kEventVraxAlbumList, kReplyAlbumList};
    CVRAXJobRequest contentsRequest_ {kEventVraxAlbumContents, kReplyContents};
    CVRAXJobRequest albumRequest_ {kEventVraxContainerOperation, kReplyRename};
    CVRAXJobRequest itemRequest_ {kEventVraxItemOperation, kReplyItemOperation};
    CVRAXJobRequest updateRequest_ {kEventVraxMediaRecord, kReplyUpdate};

    // The upload: the source lent by the job that holds the item, run into
    // the sink adapter; answered when the sink adapter has finished.
    CVXLNamedRequest openSource_ {kEventFileStoreOpenForReading, kReplySourceOpened};
    CVXLEvent runSource_ {kEventXferRun, kEventXferRunDone};
    CVXLEvent closeSource_ {kEventXferClose, kEventXferCloseDone};
    CVXLOnlineMediaSinkAdapterJob sink_;
    CVXLXferJobBase* source_ = nullptr;
    bool uploading_ = false;
    std::int32_t uploadResult_ = 0;
    CVXLString uploadText_;

    // The fetch requests being collected, and the batches sent and not yet
    // over.
    std::vector<CVXLMediaReadRequest*> collecting_;
    CVXLEvent flushEvent_ {kFlushBatch, kFlushBatch};
    std::vector<COnlineFetchBatch*> batches_;
};
