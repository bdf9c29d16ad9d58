#pragma once

#include <cstdint>

// Receives what a stream read or a socket receive produced: the bytes, when
// some arrived (valid only during the call), then the operation's status.
class CVXLDataSink {
public:
    virtual ~CVXLDataSink() = default;
    virtual void dataArrived(const std::uint8_t* bytes, std::uint32_t count) = 0;
    virtual void complete(std::uint32_t status) = 0;
};
