#pragma once

#include "engine/service/VRAXReplyParser.h"

#include <cstdint>

// Reads the server's error code and message from the "error-info" of an
// "error" reply; the "error" element itself does not end this reader.
class CVRAXErrorInfoReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;

    void reset() override;
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;
    void onText(const CVXLString& /*text*/) override { }
    bool isError(const CVXLString& /*name*/) const override { return false; }

    CVXLString message() const { return message_; }
    std::int32_t errorId() const { return errorId_; }

private:
    bool inErrorInfo_ = false;
    bool sawErrorInfo_ = false;
    CVXLString message_;
    std::int32_t errorId_ = 0;
};
