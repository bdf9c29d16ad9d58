#pragma once

#include "engine/service/VRAXReplyParser.h"

#include <vector>

// Reads a registration reply: the service id of the device, kept by the
// engine root, and the named addresses of the service's own pages.
class CVRAXMgmtReply : public CVRAXReplyParser {
public:
    struct UriEntry {
        CVXLString name;
        CVXLString uri;
    };

    using CVRAXReplyParser::CVRAXReplyParser;

    void reset() override;
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;
    void onText(const CVXLString& text) override;

    const std::vector<UriEntry>& uris() const { return uris_; }

private:
    void endUri();
    void endMgmtResponse();

    bool inUri_ = false;
    bool registered_ = false;
    UriEntry current_;
    std::vector<UriEntry> uris_;
};
