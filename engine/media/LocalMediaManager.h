#pragma once

#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLAlbumListener.h"
#include "engine/core/platform/VXLItemDetailsSink.h"
#include "engine/core/platform/VXLNameListener.h"
#include "engine/files/VXLFileDeleteRequest.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLStateFileSaver.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/transfer/VXLFileStreamSourceJob.h"

#include <cstdint>
#include <deque>

class CVXLLocalMediaRequest;
class CVXLMediaItem;
class CVXLMediaStoreManager;
class CVXLPlatformMediaSource;

// The gateway to the media on the phone: stores and their albums, item names
// and descriptions, the engine's ".md" record of each item (in the engine's
// file store), item deletes and file stream source jobs that read items.
// Requests are CVXLLocalMediaRequest events (CVXLNamedRequest for a lend,
// CVXLAlbumSummaryRequest for code 119); every one is answered, codes it does
// not serve with 1000. One platform call is outstanding at a time; its answer
// comes back as the callback event whose code is the step. A lend that finds
// both pooled jobs out waits for one to come back and lets further requests
// through meanwhile.
class CLocalMediaManager : public CVXLEventHandler, private CVXLStateFileSaver::Owner {
public:
    // What the manager takes from the engine root when it starts.
    class Owner {
    public:
        virtual ~Owner() = default;
        virtual CVXLPlatformMediaSource* mediaSource() = 0;
        virtual CVXLMediaStoreManager* mediaStoreManager() = 0;
        virtual CVXLEventHandler* fileStoreManager() = 0;
        // Uploads still waiting in the background upload manager or the
        // outbound queue: an imported item then keeps its pending count.
        virtual bool uploadsPending() { return false; }
    };

    static constexpr std::int32_t kPoolSize = 2;
    // No item name reported yet.
    static constexpr std::int32_t kNoPosition = 0x7FFF;

    CLocalMediaManager();
    ~CLocalMediaManager() override;

    void setOwner(Owner* owner) { owner_ = owner; }
    void onEvent(CVXLEvent* event) override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "LocalMediaManager"; }

    // The record file of an item: NAME-LOCATION.md, the packed location in
    // upper-case hexadecimal without leading zeros.
    static CVXLString recordName(
        const CVXLString& itemName, std::uint32_t packedLocation, const char* suffix);
    std::int32_t freeJobs() const { return freeJobs_; }

private:
    // Platform steps (callback codes).
    enum Step : std::int32_t {
        kStepNone = 0,
        kStepDeleteItem = 1,
        kStepAlbumByIndex = 4,
        kStepAlbumBySelector = 5,
        kStepItemInfo = 6,
        kStepFirstName = 7,
        kStepNextName = 8,
    };
    // File store reply codes, and the pool-return self-event.
    static constexpr std::int32_t kReplyAudioRemoved = 2;
    static constexpr std::int32_t kReplyRecordRemoved = 3;
    static constexpr std::int32_t kReplyRecordRead = 10;
    static constexpr std::int32_t kReplyRecordWritten = 11;
    static constexpr std::int32_t kPoolReturn = 0;

    class NameSink : public CVXLNameListener {
    public:
        explicit NameSink(CVXLCallbackEvent* callback)
            : callback_(callback)
        {
        }
        void setName(const char* name) override { name_ = name ? name : ""; }
        void done(std::uint32_t status) override { callback_->call(status); }
        CVXLString name_;

    private:
        CVXLCallbackEvent* callback_;
    };
    class AlbumSink : public CVXLAlbumListener {
    public:
        explicit AlbumSink(CVXLCallbackEvent* callback)
            : callback_(callback)
        {
        }
        void albumFound(
            const char* name, std::uint32_t first, std::uint32_t second, std::uint32_t third) override;
        void summary(std::uint32_t first, std::uint32_t second, std::uint32_t third, std::uint32_t fourth,
            std::uint32_t fifth) override;
        void done(std::uint32_t status) override { callback_->call(status); }
        void clear();
        CVXLString name_;
        // The summary's first two values: images and videos.
        std::uint32_t images_ = 0;
        std::uint32_t videos_ = 0;

    private:
        CVXLCallbackEvent* callback_;
    };
    class DetailsSink : public CVXLItemDetailsSink {
    public:
        explicit DetailsSink(CVXLCallbackEvent* callback)
            : callback_(callback)
        {
        }
        void setSize(std::uint32_t size) override { size_ = size; }
        void setMimeType(const char* type) override { mimeType_ = type ? type : ""; }
        void done(std::uint32_t status) override { callback_->call(status); }
        void clear();
        CVXLString name_;
        std::uint32_t size_ = 0;
        CVXLString mimeType_;

    private:
        CVXLCallbackEvent* callback_;
    };

    void onStart(CVXLEvent* event);
    void onRequest(CVXLEvent* event);
    void onStep(CVXLEvent* callback);
    void onFileReply(CVXLEvent* reply);
    void complete(std::int32_t result, const CVXLString& text = CVXLString());

    void selectStore(std::uint16_t storeId);
    void setOptions(std::uint32_t flags);
    bool call(Step step);
    void listAlbums(Step step, const CVXLMediaLocation* selector);
    void storeRequest(CVXLLocalMediaRequest* request, bool first);
    void albumByIndex(CVXLLocalMediaRequest* request);
    void albumDone(std::int32_t status);
    void askName(Step step, const CVXLMediaLocation* selector, std::uint32_t options);
    void nameDone(std::int32_t status, const CVXLString& text);
    void askInfo(const CVXLString& name);
    void infoDone(std::int32_t status, const CVXLString& text);
    void startImport(CVXLLocalMediaRequest* request);
    void importByName(CVXLLocalMediaRequest* request);
    void recordRead(CVXLEvent* reply);
    void finishImport(std::int32_t result, const CVXLString& text = CVXLString());
    void deleteItem(CVXLLocalMediaRequest* request);
    void removeFile(CVXLFileDeleteRequest* request, const char* suffix);
    void saveRecord(CVXLLocalMediaRequest* request);
    // The record of the item being saved, written whole through the saver.
    void writeState(CVXLByteBuffer& out) override { out = recordBytes_; }
    void stateSaved() override { recordWritten(kResultSucceeded); }
    void stateNotSaved(std::int32_t result) override { recordWritten(result); }
    void recordWritten(std::int32_t result);
    void tryLend();
    void dropWaitingLends(const CVXLEvent* only);

    Owner* owner_ = nullptr;
    CVXLPlatformMediaSource* source_ = nullptr;
    CVXLMediaStoreManager* stores_ = nullptr;
    CVXLEventHandler* files_ = nullptr;
    Step step_ = kStepNone;
    std::uint32_t selectedLocation_ = 0;
    CVXLCallbackEvent callback_ {this, kStepNone};
    NameSink names_ {&callback_};
    AlbumSink albums_ {&callback_};
    DetailsSink details_ {&callback_};
    CVXLFileStreamSourceJob pool_[kPoolSize];
    bool poolBusy_[kPoolSize] = {};
    std::int32_t freeJobs_ = kPoolSize;
    CVXLEvent poolReturn_ {kPoolReturn, kPoolReturn};
    // The request from another job being served (one at a time).
    CVXLEvent* current_ = nullptr;
    // Lends waiting for a pooled job, in the order they came.
    std::deque<CVXLEvent*> waitingLends_;
    // Import.
    bool importing_ = false;
    std::int32_t position_ = kNoPosition;
    std::int32_t target_ = 0;
    CVXLMediaItem* building_ = nullptr;
    CVXLFileDeleteRequest audioDelete_ {kReplyAudioRemoved};
    CVXLFileDeleteRequest recordDelete_ {kReplyRecordRemoved};
    std::int32_t deleteResult_ = 0;
    CVXLString deleteText_;
    CVXLFileReadRequest recordRead_ {kReplyRecordRead};
    CVXLByteBuffer recordBytes_;
    CVXLStateFileSaver recordSaver_ {*this, *this, "", kReplyRecordWritten};
};
