#pragma once

#include "engine/core/jobs/VXLEvent.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// The request other managers send to the Local Media Manager.
class CVXLLocalMediaRequest : public CVXLEvent {
public:
    CVXLLocalMediaRequest()
        : CVXLEvent(kEventLocalMediaRequest, kEventLocalMediaReply)
    {
    }

    CVXLMediaLocation& location() { return location_; }
    const CVXLString& name() const { return name_; }
    void setName(const CVXLString& name) { name_ = name; }
    CVXLObject* object() const { return object_; }
    void setObject(CVXLObject* object) { object_ = object; }
    std::uint32_t flags() const { return flags_; }
    void setFlags(std::uint32_t flags) { flags_ = flags; }
    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }

private:
    CVXLMediaLocation location_;
    CVXLString name_;
    CVXLObject* object_ = nullptr;
    std::uint32_t flags_ = 3;
    CVXLString text_;
};
