#include "engine/client/VXLClientScenarioFace.h"

#include "engine/client/VXLClient.h"
#include "engine/client/menu/VXLMenuLink.h"
#include "engine/core/scenario/VXLTextPair.h"

bool CVXLClientScenarioFace::getSetting(const char* key, CVXLString& value) const
{
    return client_->settings_.getPersistentString(key, &value) == 1;
}

void CVXLClientScenarioFace::setPersistentString(const char* key, const CVXLString& value)
{
    client_->settings_.setPersistentString(key, value);
}

void CVXLClientScenarioFace::clearMenuLinks()
{
    client_->links_.deleteAll();
}

void CVXLClientScenarioFace::addMenuLink(CVXLTextPair* link)
{
    if (!link)
        return;
    client_->addLink(new CVXLMenuLink(link->first(), link->second()));
    delete link;
}

void CVXLClientScenarioFace::pushUIRequest(std::int32_t code)
{
    client_->pushUIRequestCode(code);
}
