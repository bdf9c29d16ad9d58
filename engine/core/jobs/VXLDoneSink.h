#pragma once

#include "engine/core/base/VXLCallbackListener.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Receives a done report from a platform object and tells its owner (value, 1).
class CVXLDoneSink : public CVXLObject {
public:
    explicit CVXLDoneSink(CVXLCallbackListener* owner = nullptr)
        : owner_(owner)
    {
    }

    virtual void done(std::int32_t value)
    {
        done_ = true;
        if (owner_)
            owner_->onCallback(value, 1);
    }

    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& text) { text_ = text; }
    bool isDone() const { return done_; }
    void setOwner(CVXLCallbackListener* owner) { owner_ = owner; }

private:
    CVXLString text_;
    bool done_ = false;
    CVXLCallbackListener* owner_;
};
