#pragma once

#include "engine/service/VRAXReplyParser.h"

// Reply of an item lookup: whether the server listed the item.
class CVRAXMediaReqReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;

    void reset() override
    {
        CVRAXReplyParser::reset();
        sawItem_ = false;
    }
    void onElement(const CVXLString& name, bool start) override
    {
        CVRAXReplyParser::onElement(name, start);
        if (start && name == "li")
            sawItem_ = true;
    }

    bool sawItem() const { return sawItem_; }

private:
    bool sawItem_ = false;
};
