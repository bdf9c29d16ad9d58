#include "engine/service/VRAXListRequest.h"

#include "engine/service/VRAXPageRequest.h"

namespace {

const char* const kAlbumLimitNames[] = {
    "DATEUTC",
    "TIMEUTC",
    "DATEUTC_LAST_MODIFY",
    "TIMEUTC_LAST_MODIFY",
    "NUMBER_ITEMS_IMAGE_MEDIA",
    "NUMBER_ITEMS_VIDEO_MEDIA",
};

const char* const kItemLimitNames[] = {
    "SIZE_BYTESACTUAL",
    "SIZE_ORIGINAL",
    "SECONDSUTC",
    "SECONDSUTC_UPLOAD",
    "DATEUTC_UPLOAD",
    "TIMEUTC_UPLOAD",
    "LAT_3GPP2",
    "LON_3GPP2",
};

} // namespace

void CVRAXListRequest::setAlbumList(CVRAXPageRequest* page)
{
    page_ = page;
    mode_ = kAlbumList;
}

void CVRAXListRequest::setAlbumContents(CVRAXPageRequest* page)
{
    page_ = page;
    mode_ = kAlbumContents;
}

CVXLString CVRAXListRequest::contentsFilter(std::int32_t mediaBits)
{
    const std::int32_t all
        = CVRAXPageRequest::kMediaImages | CVRAXPageRequest::kMediaVideos | CVRAXPageRequest::kMediaThirdKind;
    const bool images = (mediaBits & CVRAXPageRequest::kMediaImages) != 0;
    const bool videos = (mediaBits & CVRAXPageRequest::kMediaVideos) != 0;
    if ((mediaBits & all) == all || (!images && !videos))
        return "media";
    if (images && videos)
        return "mt image/*,video/*";
    return images ? "mt image/*" : "mt video/*";
}

void CVRAXListRequest::writeAlbumLimits()
{
    writeAttrLimit("TITLE", "40", "40");
    for (const char* name : kAlbumLimitNames)
        writeAttrLimit(name, "32", "32");
}

void CVRAXListRequest::writeBody()
{
    if (!page_)
        return;
    const bool albumList = mode_ == kAlbumList;
    startElement("list-req");
    writeIdentity(false);
    startElement("parent");
    attribute("id", albumList ? CVXLString("-1") : page_->parentId);
    endElement();
    startElement("contents");
    attribute("filter", albumList ? CVXLString("container") : contentsFilter(page_->mediaBits));
    attribute("offset", CVXLString(page_->offset));
    attribute("count", CVXLString(page_->capacity));
    attribute("sort", albumList ? "1003" : "4");
    if (albumList) {
        startElement("icon_uid");
        attribute("count", "3");
        endElement();
    }
    writeAlbumLimits();
    if (!albumList) {
        for (const char* name : kItemLimitNames)
            writeAttrLimit(name, "32", "32");
    }
    endElement();
    endElement();
}
