#pragma once

#include "engine/service/VRAXMessageRecord.h"
#include "engine/service/VRAXRequest.h"

// "mm-msg-xfer" of a message composed on a scenario screen: the fields of
// the screen's layout that are marked outgoing, each with its "li" values.
class CVRAXMessageXferRequest : public CVRAXRequest {
public:
    using CVRAXRequest::CVRAXRequest;

    void setMessage(const CVRAXMessageRecord* message) { message_ = message; }
    const CVRAXMessageRecord* message() const { return message_; }
    void writeBody() override;

protected:
    // The identity, "destlist" and the open "scenario" element.
    void writeHead();
    // One "li" per media entry whose MIME type begins with the prefix.
    void writeMediaOfType(const char* mimePrefix);
    void writeItems(const CVXLStringArray& texts);
    virtual void writeFieldValues(const CVRAXMessageRecord::Field& field);

    const CVRAXMessageRecord* message_ = nullptr;
};
