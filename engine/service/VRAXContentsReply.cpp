#include "engine/service/VRAXContentsReply.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/text/VXLDateTime.h"
#include "engine/service/VRAXPageRequest.h"

void CVRAXContentsReply::setAlbumList(CVRAXPageRequest* page)
{
    setPage(page, true);
}

void CVRAXContentsReply::setAlbumContents(CVRAXPageRequest* page)
{
    setPage(page, false);
}

void CVRAXContentsReply::setPage(CVRAXPageRequest* page, bool albumList)
{
    page_ = page;
    albumList_ = albumList;
    replyOffset_ = 0;
    inEntry_ = false;
    index_ = 0;
    entry_.clear();
    iconId_.clear();
    iconPosition_.clear();
    iconType_.clear();
}

bool CVRAXContentsReply::hasEntry() const
{
    return page_ && index_ >= 0 && index_ < page_->capacity
        && static_cast<std::size_t>(index_) < page_->albums.size()
        && static_cast<std::size_t>(index_) < page_->media.size();
}

std::int32_t CVRAXContentsReply::number(const char* name) const
{
    return entry_.get(name).toInt();
}

void CVRAXContentsReply::onElement(const CVXLString& name, bool start)
{
    CVRAXReplyParser::onElement(name, start);
    if (!page_)
        return;
    if (name == "contents" && start)
        index_ = 0;
    const char* entryName = albumList_ ? "container" : "item";
    if (name == "item" || name == "container") {
        if (start)
            entry_.clear();
        inEntry_ = start;
    }
    if (start)
        return;
    if (albumList_ && name == entryName)
        endAlbum();
    else if (albumList_ && name == "icon_uid")
        endIcon();
    else if (!albumList_ && name == entryName)
        endItem();
    else if (!albumList_ && name == "contents")
        endContents();
}

void CVRAXContentsReply::onContentsAttribute(const CVXLString& name, const CVXLString& value)
{
    if (name == "count")
        page_->received = value.toInt();
    else if (name == "total")
        page_->total = value.toInt();
    else if (name == "offset")
        replyOffset_ = value.toInt();
}

void CVRAXContentsReply::onAttribute(const CVXLString& name, const CVXLString& value)
{
    CVRAXReplyParser::onAttribute(name, value);
    if (!page_)
        return;
    const CVXLString& at = element();
    if (at == "contents") {
        onContentsAttribute(name, value);
    } else if (albumList_ && at == "container") {
        if (name == "id" && hasEntry())
            page_->albums[index_].containerId = value;
    } else if (albumList_ && at == "icon_uid") {
        if (name == "id")
            iconId_ = value;
        else if (name == "pos")
            iconPosition_ = value;
        else if (name == "type")
            iconType_ = value;
    } else if (!albumList_ && at == "item" && hasEntry()) {
        if (name == "id")
            page_->media[index_].uid = value;
        else if (name == "type")
            page_->media[index_].mimeType = value;
    }
}

void CVRAXContentsReply::onText(const CVXLString& text)
{
    if (inEntry_ && element() == "attr")
        entry_.set(pairName(), text);
    else
        CVRAXReplyParser::onText(text);
}

namespace {

std::uint32_t timeOf(const CVXLString& date, const CVXLString& time)
{
    if (date.length() == 0 || time.length() == 0)
        return 0;
    return parseDateTimeText(date, time);
}

} // namespace

void CVRAXContentsReply::endAlbum()
{
    if (!hasEntry())
        return;
    CVRAXPageRequest::Album& album = page_->albums[index_];
    album.imageCount = number("NUMBER_ITEMS_IMAGE_MEDIA");
    album.videoCount = number("NUMBER_ITEMS_VIDEO_MEDIA");
    album.created = timeOf(entry_.get("DATEUTC"), entry_.get("TIMEUTC"));
    album.changed = timeOf(entry_.get("DATEUTC_LAST_MODIFY"), entry_.get("TIMEUTC_LAST_MODIFY"));
    album.title = entry_.get("TITLE");
    // Both come from the reply: summed wide, so no value of theirs overflows.
    if (std::int64_t {page_->received} + replyOffset_ == page_->total)
        page_->result = kResultLastPage;
    ++index_;
}

void CVRAXContentsReply::endIcon()
{
    if (!hasEntry())
        return;
    std::int32_t position = iconPosition_.toInt();
    // Positions outside the three icons, negative ones too, land in the first.
    if (position < 0 || position >= CVRAXPageRequest::kIconCount)
        position = 0;
    CVRAXPageRequest::Icon& icon = page_->albums[index_].icons[position];
    icon.id = iconId_;
    icon.type = iconType_;
    iconId_.clear();
    iconPosition_.clear();
    iconType_.clear();
}

void CVRAXContentsReply::endItem()
{
    if (!hasEntry())
        return;
    CVRAXPageRequest::Media& media = page_->media[index_];
    media.title = entry_.get("TITLE");
    media.captureTime = number("SECONDSUTC");
    const CVXLString upload = entry_.get("SECONDSUTC_UPLOAD");
    media.hasUploadTime = upload.length() != 0;
    media.uploadTime = upload.toInt();
    media.size = number("SIZE_BYTESACTUAL");
    const CVXLString size = entry_.get("SIZE_ORIGINAL");
    const int comma = size.findChar(',');
    if (comma >= 0) {
        media.width = size.substr(0, static_cast<std::uint32_t>(comma)).toInt();
        media.height = size.substr(comma + 1, size.length()).toInt();
    }
    media.latitude = number("LAT_3GPP2");
    media.longitude = number("LON_3GPP2");
    ++index_;
}

void CVRAXContentsReply::endContents()
{
    if (page_->received == 0 && page_->capacity != 0)
        page_->result = kResultAlbumEmpty;
}
