#pragma once

#include <cstdint>

// Receives what a stream read or a socket receive produced: the bytes, when
// some arrived (valid only during the call), then the operation's status.
//
// A sink that can hold the bytes where they are read offers room for them:
// a socket receive then reads into that room and reports with roomFilled
// instead of dataArrived. Without room (the default) the bytes are copied in.
class CVXLDataSink {
public:
    virtual ~CVXLDataSink() = default;
    virtual void dataArrived(const std::uint8_t* bytes, std::uint32_t count) = 0;
    virtual void complete(std::uint32_t status) = 0;
    // Room for size bytes, valid until roomFilled; null when the sink has none.
    virtual std::uint8_t* roomFor(std::uint32_t /*size*/) { return nullptr; }
    // The first count bytes of the room hold data (possibly none); the rest
    // is given back.
    virtual void roomFilled(std::uint32_t /*count*/) { }
};
