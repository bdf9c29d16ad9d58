#include "engine/client/VXLClientSettings.h"

#include "engine/client/VXLConfigItems.h"
#include "engine/core/settings/VXLPersKeys.h"

#include <initializer_list>

namespace {

constexpr const char* kCoolSitesBranch = "pers.cool_sites";
constexpr const char* kCoolSiteIdsBranch = "pers.cool_sites.ids";
constexpr const char* kCoolSiteIds = "pers.cool_sites.ids.";
constexpr const char* kCoolSiteCaptions = "pers.cool_sites.captions.";
constexpr const char* kCoolSiteIcons = "pers.cool_sites.icon.";
constexpr const char* kCoolSiteIconTypes = "pers.cool_sites.icontype.";
constexpr const char* kCoolSiteButtons = "pers.cool_sites.btn.";
constexpr const char* kCoolSiteButtonTypes = "pers.cool_sites.btntype.";

constexpr const char* kFavoriteIds = "pers.favorites_id.";
constexpr const char* kFavoriteCaptions = "pers.favorites_caption.";
constexpr const char* kFavoriteLocations = "pers.favorites_location.";

// Cool-site values stay until the cool sites are removed as a whole.
constexpr std::int32_t kLocked = 1;

CVXLString indexedKey(const char* prefix, int n)
{
    CVXLString key(prefix);
    key += CVXLString(n);
    return key;
}

bool validFavoriteSlot(int n)
{
    return n >= 0 && n < CVXLClientSettings::kFavoriteSlots;
}

} // namespace

CVXLString CVXLClientSettings::configKey(int item)
{
    return indexedKey(kConfigKeyPrefix, item);
}

int CVXLClientSettings::getConfigString(int item, CVXLString* out) const
{
    return getPersistentString(configKey(item), out);
}

std::uint32_t CVXLClientSettings::getConfigNumber(int item) const
{
    CVXLString text;
    if (!getConfigString(item, &text))
        return 0;
    return static_cast<std::uint32_t>(text.toInt(10));
}

bool CVXLClientSettings::getConfigBool(int item) const
{
    CVXLString text;
    getConfigString(item, &text);
    return text == "1" || text == "T" || text == "t";
}

bool CVXLClientSettings::getConfigOption53() const
{
    CVXLString text;
    if (!getConfigString(kCfgOption53, &text) || !text.isNumeric())
        return false;
    return text.toInt(10) != 0;
}

void CVXLClientSettings::setConfigDefault(int item, const CVXLString& text)
{
    const CVXLString key = configKey(item);
    if (!store_.has(key))
        store_.set(key, text);
}

void CVXLClientSettings::writeConfigDefaults()
{
    for (int item = kConfigItemFirst; item <= kConfigItemLast; ++item)
        setConfigDefault(item, vxlConfigItemInfo(item)->defaultValue);
}

int CVXLClientSettings::setConfigString(int item, const CVXLString& text)
{
    const int result = store_.set(configKey(item), text);
    if (result == 1 && listener_)
        listener_->configChanged(item);
    return result;
}

int CVXLClientSettings::setConfigNumber(int item, std::uint32_t number)
{
    CVXLString text;
    text.setUnsigned(number);
    return setConfigString(item, text);
}

CVXLHttpSettings CVXLClientSettings::httpSettings() const
{
    CVXLHttpSettings http;
    getConfigString(kCfgProxyUri, &http.proxyUri);
    getConfigString(kCfgHttpUserAgent, &http.userAgent);
    getConfigString(kCfgHttpExtraHeaders, &http.extraHeaders);
    getConfigString(kCfgUserIdentity, &http.userName);
    http.dataTrafficOff = !isDataCommActive();
    return http;
}

int CVXLClientSettings::setPersistentString(const CVXLString& key, const CVXLString& text)
{
    return store_.set(key, text);
}

int CVXLClientSettings::setPersistentNumber(const CVXLString& key, std::int32_t number)
{
    return store_.set(key, CVXLString(number));
}

int CVXLClientSettings::getPersistentString(const CVXLString& key, CVXLString* out) const
{
    if (!out)
        return 0;
    if (store_.get(key, out))
        return 1;
    out->clear();
    return 0;
}

std::int32_t CVXLClientSettings::getPersistentNumber(const CVXLString& key) const
{
    CVXLString text;
    return getPersistentString(key, &text) ? text.toInt(10) : 0;
}

void CVXLClientSettings::setNewMessagesFlag()
{
    store_.set(kPersHasNewMessages, "1");
}

void CVXLClientSettings::clearNewMessagesFlag()
{
    store_.set(kPersHasNewMessages, "0");
}

bool CVXLClientSettings::isDataCommActive() const
{
    CVXLString text;
    getPersistentString(kPersDatacommActive, &text);
    return text != "0";
}

CVXLString CVXLClientSettings::buildIdHashKey() const
{
    CVXLString key;
    CVXLString part;
    for (int item : {kCfgServerUri, kCfgUserIdentity, kCfgMobileEmail, kCfgLanguage}) {
        getConfigString(item, &part);
        key += part;
    }
    return key;
}

int CVXLClientSettings::checkIdentity()
{
    CVXLString id;
    CVXLString storedKey;
    getPersistentString(kPersVraxId, &id);
    getPersistentString(kPersVraxIdHashKey, &storedKey);
    if (id.length() != 0 && storedKey == buildIdHashKey())
        return 1;
    store_.set(kPersVraxUrl, "");
    store_.set(kPersVraxId, "");
    store_.set(kPersVraxVerId, "");
    return 0;
}

void CVXLClientSettings::storeVraxId(const CVXLString& id)
{
    store_.set(kPersVraxId, id);
    store_.set(kPersVraxIdHashKey, buildIdHashKey());
}

void CVXLClientSettings::getIndexed(const char* prefix, int n, CVXLString* out) const
{
    if (!out)
        return;
    out->clear();
    store_.get(indexedKey(prefix, n), out);
}

std::int32_t CVXLClientSettings::getCoolSiteCount() const
{
    if (!store_.has(indexedKey(kCoolSiteIds, 0)))
        return 0;
    const CVXLStringMap* ids = store_.lookup(kCoolSiteIdsBranch);
    return ids ? static_cast<std::int32_t>(ids->count()) : 0;
}

void CVXLClientSettings::getCoolSiteId(int n, CVXLString* out) const
{
    getIndexed(kCoolSiteIds, n, out);
}

void CVXLClientSettings::getCoolSiteCaption(int n, CVXLString* out) const
{
    getIndexed(kCoolSiteCaptions, n, out);
}

void CVXLClientSettings::getCoolSiteIcon(int n, CVXLString* out) const
{
    getIndexed(kCoolSiteIcons, n, out);
}

void CVXLClientSettings::getCoolSiteIconType(int n, CVXLString* out) const
{
    getIndexed(kCoolSiteIconTypes, n, out);
}

void CVXLClientSettings::getCoolSiteButton(int n, CVXLString* out) const
{
    getIndexed(kCoolSiteButtons, n, out);
}

void CVXLClientSettings::getCoolSiteButtonType(int n, CVXLString* out) const
{
    getIndexed(kCoolSiteButtonTypes, n, out);
}

void CVXLClientSettings::addCoolSite(const CVXLString& id, const CVXLString& caption, const CVXLString& icon,
    const CVXLString& iconType, const CVXLString& button, const CVXLString& buttonType)
{
    const int n = getCoolSiteCount();
    store_.set(indexedKey(kCoolSiteIds, n), id, kLocked);
    store_.set(indexedKey(kCoolSiteCaptions, n), caption, kLocked);
    store_.set(indexedKey(kCoolSiteIcons, n), icon, kLocked);
    store_.set(indexedKey(kCoolSiteIconTypes, n), iconType, kLocked);
    if (button.length() != 0) {
        store_.set(indexedKey(kCoolSiteButtons, n), button, kLocked);
        store_.set(indexedKey(kCoolSiteButtonTypes, n), buttonType, kLocked);
    }
}

int CVXLClientSettings::hasCoolSite(const CVXLString& id) const
{
    CVXLString stored;
    for (int n = 0, count = getCoolSiteCount(); n < count; ++n) {
        getCoolSiteId(n, &stored);
        if (stored == id)
            return 1;
    }
    return 0;
}

void CVXLClientSettings::removeAllCoolSites()
{
    store_.removeChildren(kCoolSitesBranch);
}

void CVXLClientSettings::setFavorite(
    int n, const CVXLString& id, const CVXLString& caption, std::int32_t location)
{
    if (!validFavoriteSlot(n))
        return;
    store_.set(indexedKey(kFavoriteIds, n), id);
    store_.set(indexedKey(kFavoriteCaptions, n), caption);
    store_.set(indexedKey(kFavoriteLocations, n), CVXLString(location));
}

void CVXLClientSettings::clearFavorite(int n)
{
    if (!validFavoriteSlot(n))
        return;
    store_.set(indexedKey(kFavoriteIds, n), "");
    store_.set(indexedKey(kFavoriteCaptions, n), "");
    store_.set(indexedKey(kFavoriteLocations, n), "");
}

void CVXLClientSettings::getFavoriteId(int n, CVXLString* out) const
{
    getIndexed(kFavoriteIds, n, out);
}

void CVXLClientSettings::getFavoriteCaption(int n, CVXLString* out) const
{
    getIndexed(kFavoriteCaptions, n, out);
}

std::int32_t CVXLClientSettings::getFavoriteLocation(int n) const
{
    return getPersistentNumber(indexedKey(kFavoriteLocations, n));
}

void CVXLClientSettings::removeFavorite(const CVXLString& name, std::int32_t location)
{
    CVXLString id;
    for (int n = 0; n < kFavoriteSlots; ++n) {
        getFavoriteId(n, &id);
        // Every slot naming it: none may point at a deleted item.
        if (id.length() != 0 && id == name && getFavoriteLocation(n) == location)
            clearFavorite(n);
    }
}
