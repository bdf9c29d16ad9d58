#pragma once

#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/service/VRAXMediaFacts.h"

// The values of a media item that service requests carry; the MIME type is
// its media reference's, empty without one.
inline CVRAXMediaFacts vxlMediaItemFacts(const CVXLMediaItem& item)
{
    CVRAXMediaFacts facts;
    facts.uid = item.uid();
    facts.title = item.title();
    facts.orientation = item.orientation();
    facts.captureTime = item.captureTime();
    facts.latitude = item.latitude();
    facts.longitude = item.longitude();
    if (const CVXLMediaRef* ref = item.mediaRef().get())
        facts.mimeType = ref->getMimeType();
    return facts;
}
