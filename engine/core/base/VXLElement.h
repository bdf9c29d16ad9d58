#pragma once

#include "engine/core/base/VXLObject.h"

#include <cstdint>

// Base of the engine-side elements of a screen (the models behind widgets and
// the records passed around like them).
class CVXLElement : public CVXLObject {
public:
    CVXLElement() = default;
    CVXLElement(const CVXLElement& other) = default;
    CVXLElement& operator=(const CVXLElement& other) = default;
    ~CVXLElement() override = default;

    virtual std::uint32_t elementType() const = 0;
    virtual int accept() { return 1; }
    virtual bool isModified() const { return false; }
    // Marks the element as committed.
    virtual void commit() { commitMark_ = 1; }

    std::uint8_t commitMark() const { return commitMark_; }

private:
    std::uint8_t commitMark_ = 0;
};
