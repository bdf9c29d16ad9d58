#pragma once

#include "engine/core/base/VXLString.h"

#include <cstddef>
#include <cstdint>
#include <string>

// One record of the background upload queue file "state.uq": the marker
// 0xFACE (bytes CE FA), the item's packed location (32-bit little-endian),
// then its name and its album, each a 32-bit length counting a closing NUL,
// the text and the NUL.
struct CUploadQueueRecord {
    static constexpr std::uint16_t kMarker = 0xFACE;
    // A read of the queue takes at most this many bytes; no longer record
    // is ever written.
    static constexpr std::size_t kReadWindow = 512;
    // Marker, location and the two lengths and NULs.
    static constexpr std::size_t kFixedBytes = 16;

    std::uint32_t location = 0;
    CVXLString name;
    CVXLString album;

    std::size_t encodedSize() const { return kFixedBytes + name.length() + album.length(); }
    // Appends the record to out.
    void encode(std::string* out) const;
    // Reads the record at the start of data: its size in bytes, or 0 when
    // the bytes do not hold one whole valid record (wrong marker, a length
    // past the bytes, a missing NUL or a NUL inside a text).
    std::size_t decode(const std::uint8_t* data, std::size_t length);
};
