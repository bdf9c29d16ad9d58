#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/platform/VXLAlbumListener.h"
#include "engine/core/platform/VXLItemDetailsSink.h"
#include "engine/core/platform/VXLNameListener.h"
#include "engine/core/platform/VXLPlatformFileStream.h"

#include <cstdint>
#include <string>
#include <vector>

// The phone's own media: the picture, video and sound files under the device
// root's picture folders. Store 1 "My Media" (kind 1, the default) is the
// phone memory's "\My Documents\My Pictures"; store 2 "Storage Card" (kind
// 2) is the card's "\Storage Card\DCIM", there while device.conf says a
// card is in. Each store has one album of its files, sub-folders included,
// in name order. A file directly in the phone's folder is named by its file
// name, every other item by its whole phone path, so that a name means one
// file whatever store is selected.
class CVXLPlatformMediaSource : public CVXLObject {
public:
    static constexpr std::uint32_t kMaxOpenStreams = 32;
    static constexpr std::uint16_t kStoreId = 1;
    static constexpr std::int32_t kStoreKind = 1;
    static constexpr std::uint16_t kCardStoreId = 2;
    static constexpr std::int32_t kCardStoreKind = 2;
    // A store's listing stops at this depth of sub-folders and this many
    // items; links are not followed.
    static constexpr int kMaxFolderDepth = 8;
    static constexpr std::size_t kMaxItems = 10000;

    ~CVXLPlatformMediaSource() override;

    // Kept, not acted upon: the listing is the same whatever the options.
    virtual void setListingOptions(std::uint32_t flags);
    virtual void enableOption(std::uint32_t option);
    // A store's id, name, kind and default flag; answers non-zero when the
    // store is the last one.
    virtual int firstStore(std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault);
    virtual int nextStore(std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault);
    // Later listings and item names are the store's (an unknown id, or none
    // selected, is the phone store).
    virtual void selectStore(std::uint16_t id);
    // The album named after the store with the values 1, 1, 1, then the
    // summary: images, videos, sounds, 0, 0; then status 0; answers 1.
    virtual int listAlbums(CVXLAlbumListener* listener);
    // The store's first item and status 0, or status 23 when it has none.
    virtual void firstItemName(CVXLNameListener* sink);
    // The next item and status 0; status 23 after the last.
    virtual void nextItemName(CVXLNameListener* sink);
    // The file's size and its MIME type by extension, then status 0; status
    // 2 alone when no type is known, the no-such-item status when the file
    // is not there.
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
    struct Store {
        std::uint16_t id;
        const char* name;
        std::int32_t kind;
        const char* folder;
    };
    // The stores there now, the card's only while it is in.
    static std::vector<Store> stores();
    Store current() const;
    // The store's media files, as item names, in name order.
    std::vector<std::string> listItems() const;

    std::uint32_t listingOptions_ = 0;
    std::uint32_t enabledOptions_ = 0;
    std::uint16_t selectedStore_ = 0;
    std::uint32_t openStreams_ = 0;
    std::size_t storeCursor_ = 0;
    std::vector<std::string> items_;
    std::size_t itemCursor_ = 0;
};
