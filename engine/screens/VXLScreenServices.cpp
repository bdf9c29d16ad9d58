#include "engine/screens/VXLScreenServices.h"

#include "engine/core/settings/VXLConfigItem.h"

CVXLString CVXLScreenServices::text(const CVXLScreenServices* services, std::uint32_t id)
{
    const char* found = services ? services->engineText(id) : nullptr;
    return CVXLString(found ? found : "");
}

std::int32_t CVXLScreenServices::configNumber(
    const CVXLScreenServices* services, std::int32_t item, std::int32_t fallback)
{
    CVXLString value;
    if (!services || !services->configString(item, value) || value.length() == 0)
        return fallback;
    return value.toInt();
}

bool CVXLScreenServices::memoryCardPresent(const CVXLScreenServices* services)
{
    CVXLString value;
    if (!services || !services->configString(kCfgMemCardPresent, value))
        return false;
    return value == "1" || value == "T" || value == "t";
}

bool CVXLScreenServices::coolSiteById(const CVXLString& id, CVXLCoolSite* out) const
{
    CVXLCoolSite site;
    for (std::int32_t n = 0, count = coolSiteCount(); n < count; ++n) {
        if (coolSiteAt(n, &site) && site.id == id) {
            if (out)
                *out = site;
            return true;
        }
    }
    return false;
}
