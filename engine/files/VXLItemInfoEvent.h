#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

class CVXLEventHandler;

// Collects a store's item information: the size (first call), the status
// (second call); the third call stores its value as the result and posts the
// event to its owner.
class CVXLItemInfoEvent : public CVXLEvent, public CVXLCallback {
public:
    CVXLItemInfoEvent(CVXLEventHandler* owner, std::int32_t code);

    void call(std::uint32_t value) override;
    void reset();

    std::uint32_t size() const { return size_; }
    std::uint32_t status() const { return status_; }

private:
    CVXLEventHandler* owner_;
    std::uint32_t calls_ = 0;
    std::uint32_t size_ = 0;
    std::uint32_t status_ = 0;
};
