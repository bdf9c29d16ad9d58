#pragma once

#include "engine/client/menu/GlobalMenuEntry.h"

// An entry that starts a message (contacts and SMS entries): the subject and
// body that an SMS entry hands to the composer.
class CGlobalMenuMessageEntry : public CGlobalMenuEntry {
public:
    using CGlobalMenuEntry::CGlobalMenuEntry;

    const CVXLString& subject() const { return subject_; }
    void setSubject(const CVXLString& text) { subject_ = text; }
    const CVXLString& body() const { return body_; }
    void setBody(const CVXLString& text) { body_ = text; }

private:
    CVXLString subject_;
    CVXLString body_;
};
