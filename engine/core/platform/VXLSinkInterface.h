#pragma once

#include <cstdint>

// Lets a writer (a platform stream or socket) pull bytes out of their holder:
// the writer takes getLength bytes from getData and reports how many it wrote
// with consume, together with an error status (0 when none).
class CVXLSinkInterface {
public:
    virtual ~CVXLSinkInterface() = default;
    virtual const std::uint8_t* getData() = 0;
    virtual std::uint32_t getLength() = 0;
    virtual void consume(std::uint32_t count, std::uint32_t error) = 0;
};
