#pragma once

#include "engine/service/VRAXReplyParser.h"

class CVRAXContainerRequest;

// Reply of an album or item operation: an album operation learns the id
// the server gave the album.
class CVRAXContainerReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;

    // The request whose operation this reply answers.
    void setRequest(const CVRAXContainerRequest* request) { request_ = request; }
    void onAttribute(const CVXLString& name, const CVXLString& value) override;

private:
    const CVRAXContainerRequest* request_ = nullptr;
};
