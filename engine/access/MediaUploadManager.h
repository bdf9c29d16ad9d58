#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/media/VXLLocalMediaRequest.h"
#include "engine/media/VXLOnlineMediaRequest.h"
#include "engine/media/VXLUploadOutcomeRecorder.h"

#include <cstdint>
#include <vector>

class CMediaUploadRequest;
class CVXLMediaItem;

// Uploads the items of a CMediaUploadRequest to an online album, one at a
// time: items in the phone or on the memory card are first made into media
// items by the Local Media Manager, then each goes to the Online Media
// Manager; the online uids are written back into the request. One request is
// served at a time; others wait in the incoming queue.
class CMediaUploadManager : public CVXLEventHandler, public CVXLUploadOutcomeRecorder {
public:
    // What the manager takes from the engine root.
    class Owner {
    public:
        virtual ~Owner() = default;
        virtual CVXLEventHandler* localMediaManager() = 0;
        virtual CVXLEventHandler* onlineMediaManager() = 0;
        virtual bool dataCommActive() = 0;
        virtual std::uint32_t nowSeconds() = 0;
        // A saved item goes back to the Media Access Manager's cache.
        virtual void updateItem(const CVXLMediaItem& item) { (void)item; }
    };

    // Times one item is sent again after result 58 before the request fails.
    static constexpr std::int32_t kMaxRepeats = 3;

    CMediaUploadManager();
    ~CMediaUploadManager() override;

    static CMediaUploadManager* instance();

    void setOwner(Owner* owner) { owner_ = owner; }
    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "Media Upload Manager"; }

    // Written by the online sink adapter when the service answers an upload.
    void recordUploadOutcome(bool refused, std::int32_t lastStatus, bool repeat) override;

    bool busy() const { return current_ != nullptr; }

private:
    enum Reply : std::int32_t {
        kReplyResolved = 1,
        kReplyUploaded = 2,
        kReplySaved = 3,
    };

    void onRequest(CVXLEvent* event);
    void resolveNext();
    void onResolved(CVXLEvent* reply);
    void uploadNext();
    void onUploaded(CVXLEvent* reply);
    void onSaved(CVXLEvent* reply);
    void finish(std::int32_t result, const CVXLString& text = CVXLString());
    void dropResolved();

    Owner* owner_ = nullptr;
    CMediaUploadRequest* current_ = nullptr;
    std::int32_t cursor_ = 0;
    std::vector<CVXLMediaItem*> resolved_;
    CVXLLocalMediaRequest resolve_ {kEventLocalImportByName, kReplyResolved};
    CVXLOnlineMediaRequest upload_ {kEventOnlineUploadItem, kReplyUploaded};
    CVXLLocalMediaRequest save_ {kEventMediaItemSave, kReplySaved};
    bool refused_ = false;
    bool repeat_ = false;
    std::int32_t lastStatus_ = 0;
    std::int32_t repeats_ = 0;
    bool cancelled_ = false;
};
