#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>
#include <vector>

// One page of an album list or of an album's contents: what is asked (the
// parent album, the window and, for contents, the media-type bits) and what
// the reply filled in. The page holds as many entries as were asked for.
class CVRAXPageRequest {
public:
    static constexpr std::int32_t kIconCount = 3;
    static constexpr std::int32_t kMediaImages = 1;
    static constexpr std::int32_t kMediaVideos = 2;
    static constexpr std::int32_t kMediaThirdKind = 4;

    struct Icon {
        CVXLString id;
        CVXLString type;
    };
    struct Album {
        CVXLString containerId;
        CVXLString title;
        std::int32_t imageCount = 0;
        std::int32_t videoCount = 0;
        std::uint32_t created = 0;
        std::uint32_t changed = 0;
        Icon icons[kIconCount];
    };
    struct Media {
        CVXLString uid;
        CVXLString mimeType;
        CVXLString title;
        std::int32_t captureTime = 0;
        std::int32_t uploadTime = 0;
        bool hasUploadTime = false;
        std::int32_t latitude = 0;
        std::int32_t longitude = 0;
        std::int32_t width = -1;
        std::int32_t height = -1;
        std::int32_t size = 0;
    };

    // A fresh page of `count` empty entries.
    void setWindow(std::int32_t windowOffset, std::int32_t count)
    {
        offset = windowOffset;
        capacity = count < 0 ? 0 : count;
        albums.assign(static_cast<std::size_t>(capacity), Album());
        media.assign(static_cast<std::size_t>(capacity), Media());
        received = 0;
        total = 0;
        result = 0;
    }

    CVXLString parentId;
    std::int32_t offset = 0;
    std::int32_t capacity = 0;
    std::int32_t mediaBits = 0;
    std::int32_t received = 0;
    std::int32_t total = 0;
    // 68 on the last page of an album list, 23 for an empty album.
    std::int32_t result = 0;
    std::vector<Album> albums;
    std::vector<Media> media;
};
