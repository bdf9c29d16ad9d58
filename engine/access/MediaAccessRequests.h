#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/media/VXLMediaItem.h"

#include <cstdint>
#include <vector>

class CMediaSelection;
class CVXLAlbum;

// The screens' requests to the Media Access Manager and the manager's
// requests to its member jobs. The request code is the operation; the reply
// code is the sender's. The sender owns the request: the manager only fills
// the answer fields and completes it.
class CMediaAccessRequest : public CVXLEvent {
public:
    static constexpr std::uint8_t kDefaultMediaMask = 3;
    // Pictures, videos and sounds: what a reset leaves in the mask.
    static constexpr std::uint8_t kResetMaskBits = 7;

    explicit CMediaAccessRequest(std::int32_t requestCode = -1, std::int32_t replyCode = -1)
        : CVXLEvent(requestCode, replyCode)
    {
    }
    ~CMediaAccessRequest() override = default;

    // Clears the refresh flag and the parameter word and sets the mask's
    // three low bits (the default 3 becomes 7).
    virtual void reset()
    {
        refresh_ = 0;
        parameter_ = 0;
        selection_ = nullptr;
        mediaMask_ = static_cast<std::uint8_t>(mediaMask_ | kResetMaskBits);
    }

    // The parameter word: a filter or an origin code, per request.
    std::int64_t getOwner() const { return parameter_; }
    void setOwner(std::int64_t word) { parameter_ = word; }
    // The selection list that a media operation works on (none: the current
    // collection's selection). The sender's.
    CMediaSelection* selection() const { return selection_; }
    void setSelection(CMediaSelection* list) { selection_ = list; }

    std::uint8_t mediaMask() const { return mediaMask_; }
    void setMediaMask(std::uint8_t mask) { mediaMask_ = mask; }
    // For a media operation: the whole album or location, not a selection.
    bool isRefresh() const { return refresh_ != 0; }
    void setRefresh(bool refresh) { refresh_ = refresh ? 1 : 0; }

    // A location's storage index; the video count of a message open.
    std::int32_t getStoreIndex() const { return storeIndex_; }
    void setStoreIndex(std::int32_t index) { storeIndex_ = index; }
    // The picture count of a message open.
    std::int32_t pictureCount() const { return pictureCount_; }
    void setPictureCount(std::int32_t count) { pictureCount_ = count; }

    // The free word: a fetch's start position, a message open's lock filter.
    std::int32_t getPayload() const { return payload_; }
    void setPayload(std::int32_t word) { payload_ = word; }
    // The item of a one-item operation; the album of an album request.
    CVXLMediaItem* payloadItem() const { return payloadItem_; }
    void setPayloadItem(CVXLMediaItem* item) { payloadItem_ = item; }
    CVXLAlbum* payloadAlbum() const { return payloadAlbum_; }
    void setPayloadAlbum(CVXLAlbum* album) { payloadAlbum_ = album; }

private:
    std::int64_t parameter_ = 0;
    CMediaSelection* selection_ = nullptr;
    std::uint8_t mediaMask_ = kDefaultMediaMask;
    std::uint8_t refresh_ = 0;
    std::int32_t pictureCount_ = 0;
    std::int32_t storeIndex_ = 0;
    std::int32_t payload_ = 0;
    CVXLMediaItem* payloadItem_ = nullptr;
    CVXLAlbum* payloadAlbum_ = nullptr;
};

// Operations of the Media Access Manager (the request codes).
enum MediaAccessOperation : std::int32_t {
    kMediaFetch = 0,
    kMediaRelease = 1,
    kMediaAlbumAt = 2,
    kMediaReleaseAlbums = 3,
    kMediaOpenAlbum = 4,
    kMediaOpenLocation = 5,
    kMediaOpenMessage = 6,
    kMediaAlbumList = 7,
    kMediaClose = 8,
    kMediaAlbumListEnd = 9,
    kMediaCreateAlbum = 10,
    kMediaRenameAlbum = 11,
    kMediaDeleteAlbum = 12,
    kMediaCopyItems = 13,
    kMediaMoveItems = 14,
    kMediaSaveItem = 15,
    kMediaDeleteOnlineItems = 16,
    kMediaDeleteLocalItems = 17,
    kMediaAddLocalFile = 19,
};

// The window a fetch asks for and the items it got; or one item looked up
// by its descriptor.
class CMediaElementCursor {
public:
    // Clears the lookup flag.
    void bind(std::int64_t caller, std::uint32_t count)
    {
        caller_ = caller;
        count_ = count;
        lookup_ = false;
    }
    void unbind()
    {
        results_.clear();
        caller_ = 0;
        count_ = 0;
        lookup_ = false;
    }
    std::uint32_t getValue() const { return count_; }
    std::int64_t caller() const { return caller_; }
    std::vector<CVXLMediaItem*>& getResultList() { return results_; }
    const std::vector<CVXLMediaItem*>& getResultList() const { return results_; }

    bool isLookup() const { return lookup_; }
    const CVXLMediaDescriptor& descriptor() const { return descriptor_; }
    void setDescriptor(const CVXLMediaDescriptor& descriptor)
    {
        descriptor_ = descriptor;
        lookup_ = true;
    }

private:
    std::int64_t caller_ = 0;
    std::uint32_t count_ = 0;
    std::vector<CVXLMediaItem*> results_;
    CVXLMediaDescriptor descriptor_;
    bool lookup_ = false;
};

// Request 0. The items of the result list stay the manager's; each has one
// use that request 1 (or releaseElement) gives back.
class CMediaAccessQuery : public CMediaAccessRequest, public CMediaElementCursor {
public:
    explicit CMediaAccessQuery(std::int32_t replyCode)
        : CMediaAccessRequest(kMediaFetch, replyCode)
    {
    }
};

// Requests 1, 2, 3, 11, 15, 16 and 17.
class CMediaElementRequest : public CMediaAccessRequest {
public:
    CMediaElementRequest(std::int32_t requestCode, std::int32_t replyCode)
        : CMediaAccessRequest(requestCode, replyCode)
    {
    }
    std::int32_t maxCount() const { return maxCount_; }
    void setMaxCount(std::int32_t count) { maxCount_ = count; }
    // The album position of request 2.
    std::int32_t data() const { return data_; }
    void setData(std::int32_t position) { data_ = position; }

private:
    std::int32_t maxCount_ = 0;
    std::int32_t data_ = 0;
};

// Request 4: the album's identifier and the media mask.
class CMediaOpenAlbumRequest : public CMediaAccessRequest {
public:
    explicit CMediaOpenAlbumRequest(std::int32_t replyCode)
        : CMediaAccessRequest(kMediaOpenAlbum, replyCode)
    {
    }
    const CVXLString& getFileName() const { return albumId_; }
    void setFileName(const CVXLString& id) { albumId_ = id; }

private:
    CVXLString albumId_;
};

// Request 5: the media mask and the storage index (its low 16 bits name the
// location: the store id).
class CMediaLocationRequest : public CMediaAccessRequest {
public:
    explicit CMediaLocationRequest(std::int32_t replyCode)
        : CMediaAccessRequest(kMediaOpenLocation, replyCode)
    {
    }
};

// Requests 6 to 9, the member job request and the plain events of the
// manager. For request 6: the message, the media filter in the parameter
// word (0 pictures, 1 videos, 2 both) and the lock filter in the payload word
// (bit 1 leaves out save-locked parts, bit 2 DRM parts).
class CMediaAccessBasicRequest : public CMediaAccessRequest {
public:
    CMediaAccessBasicRequest(std::int32_t requestCode, std::int32_t replyCode)
        : CMediaAccessRequest(requestCode, replyCode)
    {
    }

    // The stored message: its id, the number of its parts and the number
    // word of its record.
    void setMessage(const CVXLString& id, std::uint32_t partCount, std::int32_t number = 0)
    {
        messageId_ = id;
        partCount_ = partCount;
        messageNumber_ = number;
    }
    const CVXLString& messageId() const { return messageId_; }
    std::uint32_t partCount() const { return partCount_; }
    std::int32_t messageNumber() const { return messageNumber_; }

    // The job request: the screen's request it serves.
    CMediaAccessRequest* origin() const { return origin_; }
    void setOrigin(CMediaAccessRequest* origin) { origin_ = origin; }

private:
    CVXLString messageId_;
    std::uint32_t partCount_ = 0;
    std::int32_t messageNumber_ = 0;
    CMediaAccessRequest* origin_ = nullptr;
};

// Request 10: the title in, the new album's identifier out. Request 12 names
// the album to delete in `text`.
class CMediaAlbumTextRequest : public CMediaAccessRequest {
public:
    CMediaAlbumTextRequest(std::int32_t requestCode, std::int32_t replyCode)
        : CMediaAccessRequest(requestCode, replyCode)
    {
    }
    CVXLString text;
    CVXLString answer;
};

// Requests 13 (copy) and 14 (move): the destination album and the flag that
// picks the code.
class CMediaAlbumOperationRequest : public CMediaAccessRequest {
public:
    explicit CMediaAlbumOperationRequest(std::int32_t replyCode)
        : CMediaAccessRequest(kMediaCopyItems, replyCode)
    {
    }
    std::int32_t flag() const { return flag_; }
    void setFlag(std::int32_t flag)
    {
        flag_ = flag;
        setRequestCode(flag != 0 ? kMediaMoveItems : kMediaCopyItems);
    }
    CVXLString destination;

private:
    std::int32_t flag_ = 0;
};

// Request 19: the local file to add, by its packed location and name.
class CMediaItemEvent : public CMediaAccessRequest {
public:
    explicit CMediaItemEvent(std::int32_t replyCode)
        : CMediaAccessRequest(kMediaAddLocalFile, replyCode)
    {
    }
    std::uint32_t location = 0;
    CVXLString name;
    CVXLString path;
};

// The manager's fetch of one item from a member job (online reply 22, local
// 23): the item at `start` comes back in `item`, the manager's to keep.
class CMediaFetchRequest : public CMediaAccessRequest {
public:
    static constexpr std::int32_t kFetchOperation = 2;

    explicit CMediaFetchRequest(std::int32_t replyCode)
        : CMediaAccessRequest(kFetchOperation, replyCode)
    {
    }
    std::int64_t caller = 0;
    std::int32_t start = 0;
    std::int32_t count = 0;
    CVXLMediaItem* item = nullptr;
};

// The manager's album request to the album summary job (reply 21).
class CMediaAlbumFetchRequest : public CMediaAccessRequest {
public:
    static constexpr std::int32_t kAlbumOperation = 5;

    explicit CMediaAlbumFetchRequest(std::int32_t replyCode)
        : CMediaAccessRequest(kAlbumOperation, replyCode)
    {
    }
    std::int32_t position = 0;
    CVXLAlbum* album = nullptr;
};
