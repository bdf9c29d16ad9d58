#pragma once

#include "engine/core/base/VXLPropertyMap.h"
#include "engine/service/VRAXReplyParser.h"

#include <cstdint>

class CVRAXPageRequest;

// Reads a page of the album list or of an album's contents into the page
// that asked for it: one entry per "container" or "item", from the entry's
// attributes and its "attr" pairs. Entries beyond the page are dropped.
class CVRAXContentsReply : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;

    void setAlbumList(CVRAXPageRequest* page);
    void setAlbumContents(CVRAXPageRequest* page);
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;
    void onText(const CVXLString& text) override;

private:
    void setPage(CVRAXPageRequest* page, bool albumList);
    bool hasEntry() const;
    void onContentsAttribute(const CVXLString& name, const CVXLString& value);
    void endAlbum();
    void endIcon();
    void endItem();
    void endContents();
    std::int32_t number(const char* name) const;

    CVRAXPageRequest* page_ = nullptr;
    bool albumList_ = false;
    bool inEntry_ = false;
    std::int32_t index_ = 0;
    std::int32_t replyOffset_ = 0;
    CVXLPropertyMap entry_;
    CVXLString iconId_;
    CVXLString iconPosition_;
    CVXLString iconType_;
};
