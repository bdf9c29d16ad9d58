#pragma once

#include <cstdint>
#include <string>

// A message body opened as a stream: the body's UTF-16LE bytes, read from
// the start or written from it. commit hands what was written to the
// message as its body (lone surrogates and an odd last byte become
// U+FFFD); the message's saveChanges stores it.
namespace tessel::mapi {

class MapiMessage;

class BodyStream {
public:
    BodyStream(MapiMessage* message, std::string bytes);

    // Up to size bytes from the position; the number read (0 at the end).
    std::uint32_t read(void* buffer, std::uint32_t size);
    std::uint32_t write(const void* data, std::uint32_t size);
    std::uint32_t commit();

private:
    MapiMessage* message_;
    std::string bytes_;
    std::size_t position_ = 0;
};

} // namespace tessel::mapi
