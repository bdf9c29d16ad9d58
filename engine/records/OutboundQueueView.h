#pragma once

#include <cstdint>

// What the media managers may ask of the outbound queue: they stay out of the
// way while messages wait to be sent.
class COutboundQueueView {
public:
    // Entries of kind 1 or 2.
    virtual std::uint32_t countQueued() const = 0;
    // 22 or more entries held.
    virtual bool isFull() const = 0;

protected:
    ~COutboundQueueView() = default;
};
