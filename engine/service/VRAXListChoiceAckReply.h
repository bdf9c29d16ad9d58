#pragma once

#include "engine/service/VRAXReplyParser.h"

// Reads the server's acknowledgement of a list choice.
class CVRAXListChoiceAckReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;

    // Keeps everything: the acknowledgement is read once per choice.
    void reset() override { }
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;

    const CVXLString& choiceId() const { return choiceId_; }

private:
    bool inAck_ = false;
    CVXLString choiceId_;
};
