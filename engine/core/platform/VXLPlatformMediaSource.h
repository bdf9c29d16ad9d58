#pragma once

#include "engine/core/platform/VXLAlbumListener.h"
#include "engine/core/base/VXLCallback.h"
#include "engine/core/platform/VXLItemDetailsSink.h"
#include "engine/core/platform/VXLNameListener.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/platform/VXLPlatformFileStream.h"

#include <cstdint>

// The phone's media as the platform layer offers it: a fixed catalogue of one
// store "My Media" (id 1, kind 1, the default) with one album "My Media"
// whose only item is "NotReallyThere.jpg". Items are files named by path
// (a name starting with "\") or in the device root.
class CVXLPlatformMediaSource : public CVXLObject {
public:
    static constexpr std::uint32_t kMaxOpenStreams = 32;
    static constexpr std::uint16_t kStoreId = 1;
    static constexpr std::int32_t kStoreKind = 1;

    ~CVXLPlatformMediaSource() override;

    // Kept, not acted upon: the catalogue is the same whatever the options.
    virtual void setListingOptions(std::uint32_t flags);
    virtual void enableOption(std::uint32_t option);
    // The store's id, name, kind and default flag; answers non-zero when the
    // store is the last one (always: there is one).
    virtual int firstStore(std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault);
    virtual int nextStore(std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault);
    virtual void selectStore(std::uint16_t id);
    // The album "My Media" with the values 1, 1, 1, then the summary 1, 0,
    // 0, 0, 0, then status 0; answers 1.
    virtual int listAlbums(CVXLAlbumListener* listener);
    // "NotReallyThere.jpg" and status 0.
    virtual void firstItemName(CVXLNameListener* sink);
    // Status 23: the album has no second item.
    virtual void nextItemName(CVXLNameListener* sink);
    // The file's size (0 when it does not exist) and its MIME type by
    // extension, then status 0; status 2 alone when no type is known.
    virtual void itemInfo(const char* name, CVXLItemDetailsSink* sink, std::uint32_t value);
    // Removes the item's file: 0 when removed or not there, 1 otherwise.
    virtual void deleteItem(const char* name, CVXLCallback* sink);
    // A stream for reading items, or null when kMaxOpenStreams are open.
    virtual CVXLPlatformFileStream* openStream();
    virtual void closeStream(CVXLPlatformFileStream* stream);

    std::uint32_t listingOptions() const { return listingOptions_; }
    std::uint32_t enabledOptions() const { return enabledOptions_; }
    std::uint16_t selectedStore() const { return selectedStore_; }
    std::uint32_t openStreams() const { return openStreams_; }

private:
    std::uint32_t listingOptions_ = 0;
    std::uint32_t enabledOptions_ = 0;
    std::uint16_t selectedStore_ = 0;
    std::uint32_t openStreams_ = 0;
};
