#pragma once

#include <cstdint>

// Receives the albums that the platform media source lists: each album's
// name and values, a summary of the listing, then its status.
class CVXLAlbumListener {
public:
    virtual ~CVXLAlbumListener() = default;
    virtual void albumFound(const char* name, std::uint32_t first, std::uint32_t second, std::uint32_t third)
        = 0;
    virtual void summary(std::uint32_t first, std::uint32_t second, std::uint32_t third, std::uint32_t fourth,
        std::uint32_t fifth)
        = 0;
    virtual void done(std::uint32_t status) = 0;
};
