#include "engine/client/program/KORVServices.h"

#include "engine/client/menu/MediaAccessEvent.h"
#include "engine/client/menu/MenuFavoriteEvent.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/records/VXLInboundRequests.h"

std::int32_t CKORVServices::eventNumber(const CVXLEvent& event)
{
    const auto* access = dynamic_cast<const CMediaAccessEvent*>(&event);
    return access ? access->value() : 0;
}

CVXLString CKORVServices::eventText(const CVXLEvent& event)
{
    if (const auto* text = dynamic_cast<const CMenuTextEvent*>(&event))
        return text->text();
    if (const auto* favorite = dynamic_cast<const CMenuFavoriteEvent*>(&event))
        return favorite->text();
    // The inbound manager names the message that arrived.
    if (const auto* arrived = dynamic_cast<const CMessageArrivedEvent*>(&event))
        return arrived->messageId;
    return CVXLString();
}
