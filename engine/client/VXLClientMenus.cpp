#include "engine/client/VXLClient.h"

#include "engine/client/VXLConfigItems.h"
#include "engine/client/VXLTextTable.h"
#include "engine/client/VXLUIRequestFifo.h"
#include "engine/client/menu/VXLMenuLink.h"
#include "engine/client/menu/VXLMenuTable.h"
#include "engine/core/base/VXLList.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLMenuItemElement.h"

namespace {

// Folder names compare on their first characters only, so "Inbox (2)" is
// still the inbox.
constexpr const char* kInboxFolder = "Inbox";
constexpr std::uint32_t kInboxPrefixLength = 5;
constexpr const char* kSentFolder = "Sent Mail";
constexpr std::uint32_t kSentPrefixLength = 9;

bool hasPrefix(const CVXLString& text, const char* prefix, std::uint32_t length)
{
    return text.length() >= length && vxlStrNCmp(text.c_str(), prefix, length) == 0;
}

} // namespace

void CVXLClient::configChanged(int item)
{
    switch (item) {
    case kCfgServerUri:
    case kCfgMobileEmail:
    case kCfgUserIdentity:
    case kCfgLanguage:
        settings_.checkIdentity();
        break;
    case kCfgMemCardPresent:
        pendingCodes_.push(kUIRequestMemoryCardChanged);
        break;
    default:
        break;
    }
}

// Premium folders are counted by the premium inbox manager, which is not
// built yet: they read 0.
std::int32_t CVXLClient::getFolderTotalCount(const CVXLString& folder) const
{
    if (hasPrefix(folder, kInboxFolder, kInboxPrefixLength))
        return settings_.getPersistentNumber(kPersInboxTotalCount);
    if (hasPrefix(folder, kSentFolder, kSentPrefixLength))
        return settings_.getPersistentNumber(kPersSentTotalCount);
    return 0;
}

std::int32_t CVXLClient::getFolderNewCount(const CVXLString& folder) const
{
    if (hasPrefix(folder, kInboxFolder, kInboxPrefixLength))
        return settings_.getPersistentNumber(kPersInboxNewCount);
    return 0;
}

void CVXLClient::addLink(CVXLMenuLink* link)
{
    if (link && !links_.insertAt(link, -1))
        delete link;
}

// The top-level destinations, asked for when the cool sites changed; a
// request still out is not asked again.
void CVXLClient::requestDestinationList()
{
    if (destinationListRequest_.isBusy() || !scenarioManager_.isActive() || shutdownBegun_)
        return;
    destinationListRequest_.setText(CVXLString());
    post(&scenarioManager_, &destinationListRequest_);
}

namespace {

struct CoolSite : public CVXLObject {
    CVXLString id, caption, icon, iconType, button, buttonType;
};

} // namespace

// Keeps, in their order, the cool sites that are still destinations.
void CVXLClient::pruneCoolSites(const CScenarioRequestEvent& reply)
{
    const std::int32_t count = settings_.getCoolSiteCount();
    CVXLPtrArray kept;
    for (std::int32_t n = 0; n < count; ++n) {
        CVXLString id;
        settings_.getCoolSiteId(n, &id);
        bool listed = false;
        for (std::uint32_t i = 0; i < reply.entryCount() && !listed; ++i) {
            const auto* entry
                = static_cast<const CVXLMenuItemElement*>(reply.entries()->at(static_cast<int>(i)));
            listed = entry && entry->id() == id;
        }
        if (!listed)
            continue;
        auto* site = new CoolSite;
        if (!site || !kept.insertAt(site, -1)) {
            // Without room to keep them all, keep every one.
            delete site;
            kept.deleteAll();
            return;
        }
        site->id = id;
        settings_.getCoolSiteCaption(n, &site->caption);
        settings_.getCoolSiteIcon(n, &site->icon);
        settings_.getCoolSiteIconType(n, &site->iconType);
        settings_.getCoolSiteButton(n, &site->button);
        settings_.getCoolSiteButtonType(n, &site->buttonType);
    }
    if (kept.count() != static_cast<std::uint32_t>(count)) {
        settings_.removeAllCoolSites();
        for (std::uint32_t i = 0; i < kept.count(); ++i) {
            const auto* site = static_cast<const CoolSite*>(kept.at(static_cast<int>(i)));
            settings_.addCoolSite(
                site->id, site->caption, site->icon, site->iconType, site->button, site->buttonType);
        }
    }
    kept.deleteAll();
}

CGlobalMenuList& CVXLClient::buildGlobalMenu(std::int32_t menuId)
{
    CGlobalMenuList& list = globalMenuList_;
    list.clear();
    for (const VXLMenuRow& row : kVxlMenuTable) {
        if (row.menuId == menuId)
            list.addEntry(getEngineText(row.textId), row.entryType, row.origin, row.action);
    }
    switch (menuId) {
    case kMenuFun:
        for (std::int32_t n = 0; n < settings_.getCoolSiteCount(); ++n) {
            CVXLString caption, id, button, buttonType;
            settings_.getCoolSiteCaption(n, &caption);
            settings_.getCoolSiteId(n, &id);
            settings_.getCoolSiteButton(n, &button);
            settings_.getCoolSiteButtonType(n, &buttonType);
            list.addCoolSiteEntry(caption, id, button, buttonType);
        }
        break;
    case kMenuFavorites:
        for (int n = 0; n < CVXLClientSettings::kFavoriteSlots; ++n) {
            CVXLString id, caption;
            settings_.getFavoriteId(n, &id);
            if (id.length() == 0)
                continue;
            settings_.getFavoriteCaption(n, &caption);
            list.addFavoriteEntry(
                caption, n, static_cast<std::uint32_t>(settings_.getFavoriteLocation(n)), id);
        }
        break;
    case kMenuPictures:
        for (std::uint32_t n = 0; n < links_.count() && n < kMenuLinkActionCount; ++n) {
            const auto* link = static_cast<const CVXLMenuLink*>(links_.at(static_cast<int>(n)));
            list.addEntry(link->caption(), kMenuEntryPlain, CGlobalMenuEntry::kOriginStored,
                kMenuFirstLinkAction + static_cast<std::int32_t>(n));
        }
        break;
    default:
        break;
    }
    menuId_ = menuId;
    return list;
}
