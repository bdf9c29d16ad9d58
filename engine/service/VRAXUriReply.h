#pragma once

#include "engine/service/VRAXReplyParser.h"

// Reply of a queued message: a "uri" in it is a page for the user.
class CVRAXUriReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;

    void onText(const CVXLString& text) override;
};
