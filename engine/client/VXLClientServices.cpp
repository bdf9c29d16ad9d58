#include "engine/client/VXLClient.h"

#include "engine/client/VXLConfigItems.h"
#include "engine/client/VXLTextTable.h"
#include "engine/client/VXLUIRequestFifo.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/client/menu/VXLMenuLink.h"
#include "engine/client/menu/VXLMenuTable.h"
#include "engine/core/base/VXLList.h"
#include "engine/core/scenario/VXLTextPair.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLMenuItemElement.h"

#include <string>

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

bool CVXLClient::ScenarioFace::getSetting(const char* key, CVXLString& value) const
{
    return client_->settings_.getPersistentString(key, &value) == 1;
}

void CVXLClient::ScenarioFace::setPersistentString(const char* key, const CVXLString& value)
{
    client_->settings_.setPersistentString(key, value);
}

void CVXLClient::ScenarioFace::clearMenuLinks()
{
    client_->links_.deleteAll();
}

void CVXLClient::ScenarioFace::addMenuLink(CVXLTextPair* link)
{
    if (!link)
        return;
    client_->addLink(new CVXLMenuLink(link->first(), link->second()));
    delete link;
}

void CVXLClient::ScenarioFace::pushUIRequest(std::int32_t code)
{
    client_->pushUIRequestCode(code);
}

CVXLCounterTable& CVXLClient::ProducerFace::counters()
{
    return client_->counters_;
}

void CVXLClient::ProducerFace::queueReturnToMenu(std::int32_t value)
{
    client_->queueReturnToMenu(value);
}

void CVXLClient::ProducerFace::queueReturnToIdle()
{
    client_->queueReturnToIdle();
}

void CVXLClient::ProducerFace::queuePushPayloadNotice()
{
    client_->pendingCodes_.push(kUIRequestPushPayload);
}

void CVXLClient::ProducerFace::clearResultHandlers()
{
    client_->resultHandlers_.clear();
}

void CVXLClient::ProducerFace::releaseUiJobPool()
{
    client_->releaseUiJobPool();
}

void CVXLClient::MenuFace::queueLinkRequest(int n)
{
    client_->queueLinkRequest(n);
}

void CVXLClient::MenuFace::queueReturnToMenu(std::int32_t value)
{
    client_->queueReturnToMenu(value);
}

void CVXLClient::MenuFace::setCaptureLocation(std::uint16_t location)
{
    client_->captureLocation_ = location;
}

void CVXLClient::MenuFace::clearFavorite(int n)
{
    client_->settings_.clearFavorite(n);
}

CVXLList& CVXLClient::MenuFace::selectedObjects()
{
    return client_->objectList_;
}

const char* CVXLClient::ScreensFace::engineText(std::uint32_t id) const
{
    return getEngineText(id);
}

CVXLHandlerRegistry* CVXLClient::ScreensFace::resultHandlers()
{
    return &client_->resultHandlers_;
}

// The job's kinds and the Client's differ in number, so they meet by name.
void CVXLClient::ScreensFace::queueLayoutRequest(CVXLLayout* layout, CVXLLayoutRequest kind)
{
    switch (kind) {
    case CVXLLayoutRequest::New:
        client_->queueUINotification(layout, kUIRequestNewLayout);
        break;
    case CVXLLayoutRequest::Update:
        client_->queueUINotification(layout, kUIRequestUpdatedLayout);
        break;
    case CVXLLayoutRequest::Release:
        client_->queueUINotification(layout, kUIRequestReleaseLayout);
        break;
    }
}

void CVXLClient::ScreensFace::beginActivity()
{
    client_->beginActivity();
}

void CVXLClient::ScreensFace::endActivity()
{
    client_->endActivity();
}

CVXLUiJobPool* CVXLClient::ScreensFace::uiJobPool()
{
    return client_->getUiJobPool();
}

bool CVXLClient::ScreensFace::persistentString(const char* key, CVXLString& value) const
{
    return client_->settings_.getPersistentString(key, &value) != 0;
}

void CVXLClient::ScreensFace::setPersistentNumber(const char* key, std::uint32_t value)
{
    client_->settings_.setPersistentString(key, std::to_string(value).c_str());
}

void CVXLClient::ScreensFace::setEngineError(std::int32_t code)
{
    client_->setErrorCode(code);
}

CVXLContactListElement* CVXLClient::ScreensFace::globalContacts()
{
    return &client_->globalContacts_;
}

void CVXLClient::ScreensFace::queueUrlRequest(const CVXLString& url)
{
    client_->queueUIUrlRequest(url);
}

bool CVXLClient::ScreensFace::configOption53() const
{
    return client_->settings_.getConfigOption53();
}

bool CVXLClient::ScreensFace::coolSiteIcon(const CVXLString& id, CVXLString* link, CVXLString* mimeType) const
{
    const CVXLClientSettings& settings = client_->settings_;
    for (std::int32_t n = 0; n < settings.getCoolSiteCount(); ++n) {
        CVXLString siteId;
        settings.getCoolSiteId(n, &siteId);
        if (!(siteId == id))
            continue;
        settings.getCoolSiteIcon(n, link);
        settings.getCoolSiteIconType(n, mimeType);
        return true;
    }
    return false;
}

CVXLEventHandler* CVXLClient::ScreensFace::scenarioManager()
{
    return &client_->scenarioManager_;
}

COutboundQueueManager* CVXLClient::ScreensFace::outboundQueue()
{
    return &client_->outboundQueue_;
}

CVXLEventHandler* CVXLClient::ScreensFace::vraxJob()
{
    return &client_->vraxJob_;
}

CMediaAccessManager* CVXLClient::ScreensFace::mediaAccess()
{
    return &client_->mediaAccessManager_;
}

CVXLList* CVXLClient::ScreensFace::capturedMedia()
{
    return &client_->objectList_;
}

void CVXLClient::ScreensFace::setOneShotFilter(std::int32_t filter)
{
    client_->oneShotFilter_ = filter;
}

std::int32_t CVXLClient::ScreensFace::takeOneShotFilter()
{
    const std::int32_t filter = client_->oneShotFilter_;
    client_->oneShotFilter_ = -1;
    return filter;
}

void CVXLClient::ScreensFace::armNoAutoSelect()
{
    client_->noAutoSelect_ = true;
}

bool CVXLClient::ScreensFace::takeNoAutoSelect()
{
    const bool armed = client_->noAutoSelect_;
    client_->noAutoSelect_ = false;
    return armed;
}

bool CVXLClient::ScreensFace::configString(std::int32_t item, CVXLString& value) const
{
    value = CVXLString();
    return client_->settings_.getConfigString(item, &value) != 0;
}

CVXLEventHandler* CVXLClient::ScreensFace::inboundManager()
{
    return &client_->inboundManager_;
}

CPremiumInboxManager* CVXLClient::ScreensFace::premiumInbox()
{
    return &client_->premiumInbox_;
}

CVXLThreadDB* CVXLClient::ScreensFace::threadDB()
{
    return &client_->threadDB_;
}

// As the Client wires its own.
void CVXLClient::ScreensFace::wireMessageService(CMessageServiceJob& job)
{
    job.setStore(&client_->messageStoreManager_);
    job.setInbound(&client_->inboundManager_);
    job.setThreadDB(&client_->threadDB_);
    job.setOnlineMedia(&client_->onlineMediaManager_);
    job.setServices(&client_->messageStoreFace_);
    job.setOutboundQueue(&client_->outboundQueue_);
}

CVXLString CVXLClient::ScreensFace::eventText(const CVXLEvent& event) const
{
    const auto* named = dynamic_cast<const CMenuTextEvent*>(&event);
    return named ? named->text() : CVXLString();
}

CVXLEventHandler* CVXLClient::ScreensFace::localMediaManager()
{
    return &client_->getLocalMediaManager();
}

CVXLEventHandler* CVXLClient::ScreensFace::onlineMediaManager()
{
    return &client_->getOnlineMediaManager();
}

CVXLEventHandler* CVXLClient::ScreensFace::backgroundUpload()
{
    return &client_->getBackgroundUploadManager();
}

void CVXLClient::ScreensFace::setPersistentString(const char* key, const CVXLString& value)
{
    client_->settings_.setPersistentString(key, value);
}

void CVXLClient::ScreensFace::setFavorite(
    int n, const CVXLString& id, const CVXLString& caption, std::int32_t location)
{
    client_->settings_.setFavorite(n, id, caption, location);
}

void CVXLClient::ScreensFace::removeFavorites(const CVXLString& id, std::int32_t location)
{
    client_->settings_.removeFavorite(id, location);
}

bool CVXLClient::ScreensFace::favorite(int n, CVXLString* id, std::int32_t* location) const
{
    client_->settings_.getFavoriteId(n, id);
    *location = client_->settings_.getFavoriteLocation(n);
    return id->length() != 0;
}
