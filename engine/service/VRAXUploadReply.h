#pragma once

#include "engine/service/VRAXReplyParser.h"

class CVXLMediaItem;

// Reply of a media transfer record: the "id" of its "elem" is the item's
// online id.
class CVRAXUploadReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;

    void setItem(CVXLMediaItem* item) { item_ = item; }
    void onAttribute(const CVXLString& name, const CVXLString& value) override;

private:
    CVXLMediaItem* item_ = nullptr;
};
