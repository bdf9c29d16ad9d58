#pragma once

#include "engine/media/VXLMediaItem.h"
#include "engine/service/VRAXMediaFacts.h"

// The values of a media item that service requests carry; its MIME type is
// the caller's to add.
inline CVRAXMediaFacts vxlMediaItemFacts(const CVXLMediaItem& item)
{
    CVRAXMediaFacts facts;
    facts.uid = item.uid();
    facts.title = item.title();
    facts.orientation = item.orientation();
    facts.captureTime = item.captureTime();
    facts.latitude = item.latitude();
    facts.longitude = item.longitude();
    return facts;
}
