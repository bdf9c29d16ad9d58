#pragma once

#include "engine/core/base/VXLByteBuffer.h"

#include <cstdint>

class CVXLMediaItem;

// The ".md" record the engine keeps for a media item on the phone, in the
// byte-stream encodings (little-endian integers, one-byte booleans, strings
// as a 32-bit length, the text and its NUL):
//
//   byte    format (kFormat)
//   string  id
//   string  uid
//   string  title
//   string  location
//   string  name
//   string  tracked text
//   string  info text
//   uint32  orientation, capture time, upload time, latitude, longitude,
//           width, height, size, pending uploads (signed values as their
//           two's complement)
//   byte    flags: bit 0 online, 1 third, 2 fourth, 3 first aux, 4 second aux
//
// Nothing may follow. The image flag, the owner and the media reference come
// from the platform's description, not from the record.
class CVXLMediaItemRecord {
public:
    static constexpr std::uint8_t kFormat = 1;
    static constexpr const char* kRecordSuffix = ".md";
    static constexpr const char* kAudioSuffix = ".au";

    static CVXLByteBuffer save(const CVXLMediaItem& item);
    // Takes the record's values only when the whole record reads back with
    // every length in range, each text ending in its one NUL, a pending count
    // not below 0, no unknown flag and nothing left over; false, and the item
    // untouched, otherwise. A record loaded saves to the same bytes.
    static bool load(const CVXLByteBuffer& bytes, CVXLMediaItem* item);
};
