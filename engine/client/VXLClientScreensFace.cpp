#include "engine/client/VXLClientScreensFace.h"

#include "engine/client/VXLClient.h"
#include "engine/client/VXLTextTable.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/screens/VXLUiJobPool.h"

#include <string>

const char* CVXLClientScreensFace::engineText(std::uint32_t id) const
{
    return getEngineText(id);
}

CVXLHandlerRegistry* CVXLClientScreensFace::resultHandlers()
{
    return &client_->resultHandlers_;
}

// The job's kinds and the Client's differ in number, so they meet by name.
void CVXLClientScreensFace::queueLayoutRequest(CVXLLayout* layout, CVXLLayoutRequest kind)
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

void CVXLClientScreensFace::beginActivity()
{
    client_->beginActivity();
}

void CVXLClientScreensFace::endActivity()
{
    client_->endActivity();
}

bool CVXLClientScreensFace::persistentString(const char* key, CVXLString& value) const
{
    return client_->settings_.getPersistentString(key, &value) != 0;
}

void CVXLClientScreensFace::setPersistentNumber(const char* key, std::uint32_t value)
{
    client_->settings_.setPersistentString(key, std::to_string(value).c_str());
}

void CVXLClientScreensFace::setEngineError(std::int32_t code)
{
    client_->setErrorCode(code);
}

CVXLContactListElement* CVXLClientScreensFace::globalContacts()
{
    return &client_->globalContacts_;
}

void CVXLClientScreensFace::queueUrlRequest(const CVXLString& url)
{
    client_->queueUIUrlRequest(url);
}

bool CVXLClientScreensFace::configOption53() const
{
    return client_->settings_.getConfigOption53();
}

bool CVXLClientScreensFace::coolSiteIcon(const CVXLString& id, CVXLString* link, CVXLString* mimeType) const
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

std::int32_t CVXLClientScreensFace::coolSiteCount() const
{
    return client_->settings_.getCoolSiteCount();
}

bool CVXLClientScreensFace::coolSiteAt(std::int32_t n, CVXLCoolSite* out) const
{
    const CVXLClientSettings& settings = client_->settings_;
    if (n < 0 || n >= settings.getCoolSiteCount() || !out)
        return false;
    settings.getCoolSiteId(n, &out->id);
    settings.getCoolSiteCaption(n, &out->caption);
    settings.getCoolSiteIcon(n, &out->icon);
    settings.getCoolSiteIconType(n, &out->iconType);
    settings.getCoolSiteButton(n, &out->button);
    settings.getCoolSiteButtonType(n, &out->buttonType);
    return true;
}

void CVXLClientScreensFace::replaceCoolSites(const CVXLCoolSite* sites, std::int32_t count)
{
    CVXLClientSettings& settings = client_->settings_;
    settings.removeAllCoolSites();
    for (std::int32_t n = 0; sites && n < count; ++n)
        settings.addCoolSite(sites[n].id, sites[n].caption, sites[n].icon, sites[n].iconType, sites[n].button,
            sites[n].buttonType);
}

bool CVXLClientScreensFace::scenarioReloading() const
{
    return client_->scenarioPending()
        || client_->scenarioManager_.pass() == CScenarioFileParser::kPassConfiguration;
}

CVXLEventHandler* CVXLClientScreensFace::scenarioManager()
{
    return &client_->scenarioManager_;
}

COutboundQueueManager* CVXLClientScreensFace::outboundQueue()
{
    return &client_->outboundQueue_;
}

CVXLEventHandler* CVXLClientScreensFace::vraxJob()
{
    return &client_->vraxJob_;
}

CMediaAccessManager* CVXLClientScreensFace::mediaAccess()
{
    return &client_->mediaAccessManager_;
}

CVXLList* CVXLClientScreensFace::capturedMedia()
{
    return &client_->objectList_;
}

std::uint16_t CVXLClientScreensFace::captureLocation() const
{
    return client_->getCaptureLocation();
}

void CVXLClientScreensFace::setOneShotFilter(std::int32_t filter)
{
    client_->oneShotFilter_ = filter;
}

std::int32_t CVXLClientScreensFace::takeOneShotFilter()
{
    const std::int32_t filter = client_->oneShotFilter_;
    client_->oneShotFilter_ = -1;
    return filter;
}

void CVXLClientScreensFace::armNoAutoSelect()
{
    client_->noAutoSelect_ = true;
}

bool CVXLClientScreensFace::takeNoAutoSelect()
{
    const bool armed = client_->noAutoSelect_;
    client_->noAutoSelect_ = false;
    return armed;
}

bool CVXLClientScreensFace::configString(std::int32_t item, CVXLString& value) const
{
    value = CVXLString();
    return client_->settings_.getConfigString(item, &value) != 0;
}

CVXLEventHandler* CVXLClientScreensFace::inboundManager()
{
    return &client_->inboundManager_;
}

CPremiumInboxManager* CVXLClientScreensFace::premiumInbox()
{
    return &client_->premiumInbox_;
}

CVXLThreadDB* CVXLClientScreensFace::threadDB()
{
    return &client_->threadDB_;
}

// As the Client wires its own.
void CVXLClientScreensFace::wireMessageService(CMessageServiceJob& job)
{
    job.setStore(&client_->messageStoreManager_);
    job.setInbound(&client_->inboundManager_);
    job.setThreadDB(&client_->threadDB_);
    job.setOnlineMedia(&client_->onlineMediaManager_);
    job.setServices(&client_->messageStoreFace_);
    job.setOutboundQueue(&client_->outboundQueue_);
}

CVXLString CVXLClientScreensFace::eventText(const CVXLEvent& event) const
{
    const auto* named = dynamic_cast<const CMenuTextEvent*>(&event);
    return named ? named->text() : CVXLString();
}

void CVXLClientScreensFace::pushUIRequestCode(std::int32_t code)
{
    client_->pushUIRequestCode(code);
}

CVXLEventHandler* CVXLClientScreensFace::localMediaManager()
{
    return &client_->getLocalMediaManager();
}

CVXLEventHandler* CVXLClientScreensFace::onlineMediaManager()
{
    return &client_->getOnlineMediaManager();
}

CVXLEventHandler* CVXLClientScreensFace::backgroundUpload()
{
    return &client_->getBackgroundUploadManager();
}

void CVXLClientScreensFace::setPersistentString(const char* key, const CVXLString& value)
{
    client_->settings_.setPersistentString(key, value);
}

void CVXLClientScreensFace::setFavorite(
    int n, const CVXLString& id, const CVXLString& caption, std::int32_t location)
{
    client_->settings_.setFavorite(n, id, caption, location);
}

void CVXLClientScreensFace::removeFavorites(const CVXLString& id, std::int32_t location)
{
    client_->settings_.removeFavorite(id, location);
}

bool CVXLClientScreensFace::favorite(int n, CVXLString* id, std::int32_t* location) const
{
    client_->settings_.getFavoriteId(n, id);
    *location = client_->settings_.getFavoriteLocation(n);
    return id->length() != 0;
}
