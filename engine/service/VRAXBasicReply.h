#pragma once

#include "engine/service/VRAXReplyParser.h"

// The reply of a request that only needs to hear that it was done.
class CVRAXBasicReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;
};
