#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventCodes.h"

#include <cstdint>
#include <vector>

// One item to upload: where it lies (a packed media location), its online
// uid once it has one, and its identity text.
struct CMediaUploadItem {
    std::uint32_t location = 0;
    CVXLString uid;
    CVXLString identity;
};

// Walks a list of selected media items. The Media Access Manager makes them;
// whoever ends up holding one gives it back with release(), never deletes it.
class CMediaItemIterator {
public:
    virtual void reset() = 0;
    virtual bool done() const = 0;
    virtual CMediaUploadItem current() const = 0;
    virtual void next() = 0;
    virtual void release() = 0;

protected:
    ~CMediaItemIterator() = default;
};

// Asks the Media Upload Manager, or the Background Upload Manager, to upload
// a list of media items (or, with wholeCollection, a whole local store) to
// the album named by `name`.
class CMediaUploadRequest : public CVXLEvent {
public:
    explicit CMediaUploadRequest(std::int32_t replyCode = -1)
        : CVXLEvent(kEventMediaUpload, replyCode)
    {
    }
    ~CMediaUploadRequest() override { reset(); }
    CMediaUploadRequest(const CMediaUploadRequest&) = delete;
    CMediaUploadRequest& operator=(const CMediaUploadRequest&) = delete;

    // Empties the request; a held iterator goes back to its owner.
    void reset();

    void addItem(const CMediaUploadItem& item) { items.push_back(item); }
    // Appends every item of the iterator from its start and keeps it.
    void addSelection(CMediaItemIterator* iterator);

    void setWholeCollection(bool whole) { m_wholeCollection = whole; }
    bool isWholeCollection() const { return m_wholeCollection; }

    CVXLString name;
    // First: copied into the upload item request; third: a successful upload
    // lowers the item's pending-upload counter; fourth: copied into the
    // upload item request.
    std::uint8_t flags[4] = {0, 0, 0, 0};
    std::vector<CMediaUploadItem> items;
    // For a whole-collection request the second word is the local store's id.
    std::uint32_t words[2] = {0, 0};
    // The last status value on failure (the service's error code).
    std::int32_t statusValue = 0;

private:
    bool m_wholeCollection = false;
    CMediaItemIterator* m_iterator = nullptr;
};
