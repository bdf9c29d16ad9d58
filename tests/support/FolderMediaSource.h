#pragma once

#include "engine/core/platform/VXLPlatformMediaSource.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

// A media source over folders of the device root, one store per folder: the
// store's one album holds the folder's files in name order, the MIME type
// comes from the extension. A test can refuse deletes of named items, have
// others answered as removed while their files stay, and count what it is
// asked.
class FolderMediaSource : public CVXLPlatformMediaSource {
public:
    struct Store {
        std::uint16_t id;
        std::string name;
        std::int32_t kind;
        bool isDefault;
        // Phone path of the folder ("\My Pictures").
        std::string folder;
    };

    explicit FolderMediaSource(std::vector<Store> stores);

    int firstStore(
        std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault) override;
    int nextStore(std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault) override;
    void selectStore(std::uint16_t id) override;
    // The album's values, then the summary: images, videos, sounds, 0, 0.
    int listAlbums(CVXLAlbumListener* listener) override;
    void firstItemName(CVXLNameListener* sink) override;
    void nextItemName(CVXLNameListener* sink) override;
    void itemInfo(const char* name, CVXLItemDetailsSink* sink, std::uint32_t value) override;
    void deleteItem(const char* name, CVXLCallback* sink) override;
    CVXLPlatformFileStream* openStream() override;
    void closeStream(CVXLPlatformFileStream* stream) override;

    void setStores(std::vector<Store> stores) { stores_ = std::move(stores); }
    static const char* mimeTypeOf(const std::string& name);

    std::set<std::string> refusedDeletes;
    std::set<std::string> keptDeletes;
    int firstNameCalls = 0;
    int nextNameCalls = 0;
    int openStreams = 0;

private:
    const Store* selected() const;
    std::vector<std::string> items() const;
    std::string hostFolder() const;

    std::vector<Store> stores_;
    std::size_t storeCursor_ = 0;
    std::size_t itemCursor_ = 0;
};
