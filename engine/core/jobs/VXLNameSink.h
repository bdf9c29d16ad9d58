#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// Receives a name and a result from a platform object and hands the result
// on to its owner (usually a CVXLCallbackEvent, which turns it into an event).
class CVXLNameSink : public CVXLObject {
public:
    explicit CVXLNameSink(CVXLCallback* owner = nullptr)
        : owner_(owner)
    {
    }

    virtual void setName(const CVXLString& name) { name_ = name; }
    virtual void done(std::int32_t result)
    {
        done_ = true;
        result_ = result;
        if (owner_)
            owner_->call(result);
    }

    const CVXLString& name() const { return name_; }
    bool isDone() const { return done_; }
    std::int32_t result() const { return result_; }
    void setOwner(CVXLCallback* owner) { owner_ = owner; }

private:
    CVXLString name_;
    bool done_ = false;
    std::int32_t result_ = 0;
    CVXLCallback* owner_;
};
