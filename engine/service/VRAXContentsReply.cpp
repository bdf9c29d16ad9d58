#include "engine/service/VRAXContentsReply.h"

#include "engine/core/base/VXLLog.h"
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

namespace {

// A decimal number of 0 to 2^31 - 1, or -1.
std::int32_t countOf(const CVXLString& value)
{
    const char* text = value.c_str();
    std::int64_t n = 0;
    if (value.length() == 0 || value.length() > 10)
        return -1;
    for (std::uint32_t i = 0; i < value.length(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n <= 0x7FFFFFFF ? static_cast<std::int32_t>(n) : -1;
}

} // namespace

// The page's offset and count are positions and sizes as a request writes
// them (0 to 2^31 - 1): any other value is no answer to a request.
void CVRAXContentsReply::onContentsAttribute(const CVXLString& name, const CVXLString& value)
{
    const bool count = name == "count";
    if (name == "total") {
        page_->total = value.toInt();
    } else if (count || name == "offset") {
        const std::int32_t n = countOf(value);
        (count ? page_->received : replyOffset_) = n < 0 ? 0 : n;
        if (n < 0) {
            VXL_LOG_FAILURE("reply: contents %s \"%s\" outside 0..2147483647", name.c_str(), value.c_str());
            setResult(kVraxReplyFraming);
        }
    }
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
