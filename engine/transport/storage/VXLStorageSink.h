#pragma once

#include <cstdint>

// Receives the bytes a read storage transaction brings, in order. A false
// answer fails the transfer.
class CVXLStorageSink {
public:
    virtual ~CVXLStorageSink() = default;
    virtual bool write(const std::uint8_t* bytes, std::uint32_t length) = 0;
};
