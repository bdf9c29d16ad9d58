#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLFlagEvent.h"

#include <cstdint>

// An activity that carries a message to compose: the send-to-contacts and
// send-SMS entries of the main menu. Its first flag tells the Producer that
// it carries message data. Finishing it empties the texts, so a member event
// reused for the next choice starts clean.
class CMenuMessageEvent : public CVXLFlagEvent {
public:
    explicit CMenuMessageEvent(std::int32_t code = kEventNone)
        : CVXLFlagEvent(code)
    {
        setFirstFlag(1);
    }

    const CVXLString& subject() const { return subject_; }
    void setSubject(const CVXLString& text) { subject_ = text; }
    const CVXLString& body() const { return body_; }
    void setBody(const CVXLString& text) { body_ = text; }

    void finished() override
    {
        subject_.clear();
        body_.clear();
        CVXLFlagEvent::finished();
    }

private:
    CVXLString subject_;
    CVXLString body_;
};
