#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/media/VXLMediaReadRequest.h"
#include "engine/transfer/VXLOemXferDestination.h"

#include <cstdint>

class CVXLConfigReader;
class CVXLOemXferDestSink;
class CVXLXferJobBase;

// One way to get a media item's bytes: where the source job knows it, its
// type and size (-1 unknown), and the job that serves it (null: free slot).
struct CVXLRendition {
    CVXLString location;
    CVXLString mimeType;
    std::int32_t width = -1;
    std::int32_t height = -1;
    CVXLEventHandler* sourceJob = nullptr;
    std::int32_t lengthHint = -1;
    bool original = false;

    bool inUse() const { return sourceJob != nullptr; }
};

// Asks a media reference to drop the request of one observer (queued or
// running).
class CVXLMediaCancelRequest : public CVXLEvent {
public:
    static constexpr std::int32_t kCode = 7;

    explicit CVXLMediaCancelRequest(CVXLOemXferDestination* target = nullptr)
        : CVXLEvent(kCode, kCode)
        , observer(target)
    {
        setReplyWanted(false);
    }

    CVXLOemXferDestination* observer;
};

// The engine's record of one media item: up to three renditions, the choice
// of one by size class (0 original, 1 preview, 2 view), and the delivery of
// its bytes to user-interface observers one request at a time, four more
// waiting. It counts its references; it runs under the Job Runner from its
// first request until its last reference is gone, and then stops itself and
// is deleted by the runner. One that never served is deleted by its last
// handle. The runner and the configuration that sizes previews and views
// are those of the tree its source jobs belong to (without a configuration
// the shipped sizes apply), so the user interface reaches them as well.
class CVXLMediaRef : public CVXLEventHandler {
public:
    static constexpr std::uint32_t kMaxRenditions = 3;
    static constexpr std::uint32_t kMaxQueuedRequests = 4;
    static constexpr std::int32_t kSizeOriginal = 0;
    static constexpr std::int32_t kSizePreview = 1;
    static constexpr std::int32_t kSizeView = 2;

    CVXLMediaRef();
    ~CVXLMediaRef() override;

    void onEvent(CVXLEvent* event) override;
    void childFinished(CVXLEventHandler* child) override;
    const char* name() const override { return "CVXLMediaRef"; }
    virtual void setMimeType(const char* mimeType);

    void retain() { ++references_; }
    // 1 when the last reference is gone and the job is not running: the
    // caller deletes the object. At zero while running it stops itself.
    int release();
    std::int32_t referenceCount() const { return references_; }

    // Fills the first free slot; nothing when all are in use.
    void addRendition(const CVXLString& location, const CVXLString& mimeType, CVXLEventHandler* sourceJob,
        std::int32_t width, std::int32_t height, std::int32_t lengthHint, bool original);
    const CVXLRendition* selectRendition(std::int32_t sizeClass) const;
    const char* getRenditionName(std::int32_t sizeClass) const;
    std::int32_t getRenditionWidth(std::int32_t sizeClass) const;
    std::int32_t getRenditionHeight(std::int32_t sizeClass) const;
    int hasRendition(std::int32_t sizeClass) const;
    const CVXLRendition& rendition(std::uint32_t index) const { return renditions_[index]; }
    const CVXLString& getMimeType() const { return mimeType_; }
    std::int32_t value() const { return value_; }
    void setValue(std::int32_t value) { value_ = value; }

    // The request in preparation.
    void setSizeClass(std::int32_t sizeClass);
    void prepareExact(std::int32_t kind, std::int32_t width, std::int32_t height, const char* mimeType);
    int setListener(CVXLOemXferDestination* observer);
    void setRequestPath(const CVXLString& path);
    // Queues the prepared request (1), or refuses it (0: no rendition, no
    // observer, or the queue full); the preparation is reset either way.
    int submitRequest();

    bool busy() const { return busy_; }
    std::uint32_t queuedCount() const { return queued_; }
    CVXLOemXferDestination* currentObserver() const { return observer_; }

private:
    // Reply codes of the media reference's own requests.
    static constexpr std::int32_t kReadAnswered = 4;
    static constexpr std::int32_t kTransferRan = 5;
    static constexpr std::int32_t kTransferClosed = 6;

    struct Request {
        std::int32_t kind = kSizePreview;
        const CVXLRendition* rendition = nullptr;
        std::int32_t parameterA = 0;
        std::int32_t parameterB = 2;
        CVXLOemXferDestination* observer = nullptr;
        CVXLString targetPath;
    };

    // The first source job's tree, which every rendition shares.
    const CVXLEventHandler* sourceTree() const;
    void wantedSize(
        std::int32_t sizeClass, std::int32_t* width, std::int32_t* height, CVXLString* mimeType) const;
    void startNext();
    void onReadAnswered(CVXLEvent* reply);
    void onTransferRan(CVXLEvent* reply);
    void onTransferClosed(CVXLEvent* reply);
    void onCancel(CVXLEvent* event);
    void onStop(CVXLEvent* event);
    void failCurrent();
    void finishCurrent();
    void removeQueued(std::uint32_t index);

    CVXLRendition renditions_[kMaxRenditions];
    CVXLString mimeType_;
    std::int32_t value_ = 0;
    const CVXLRendition* currentRendition_ = nullptr;
    CVXLOemXferDestination* observer_ = nullptr;
    CVXLOemXferDestSink* sink_ = nullptr;
    CVXLEvent transferStart_ {kEventXferRun, kTransferRan};
    CVXLMediaReadRequest readRequest_ {kReadAnswered};
    CVXLEvent transferEnd_ {kEventXferClose, kTransferClosed};
    std::int32_t references_ = 1;
    bool busy_ = false;
    std::int32_t currentKind_ = 0;
    CVXLXferJobBase* currentSource_ = nullptr;
    bool exact_ = false;
    bool handedToRunner_ = false;
    Request preparing_;
    Request queue_[kMaxQueuedRequests];
    std::uint32_t queued_ = 0;
};
