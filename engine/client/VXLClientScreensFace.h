#pragma once

#include "engine/screens/VXLScreenServices.h"

#include <cstdint>

class CVXLClient;

// The Client's services to layouts and UI jobs.
class CVXLClientScreensFace : public CVXLScreenServices {
public:
    explicit CVXLClientScreensFace(CVXLClient* client)
        : client_(client)
    {
    }
    const char* engineText(std::uint32_t id) const override;
    CVXLHandlerRegistry* resultHandlers() override;
    void queueLayoutRequest(CVXLLayout* layout, CVXLLayoutRequest kind) override;
    void beginActivity() override;
    void endActivity() override;
    bool persistentString(const char* key, CVXLString& value) const override;
    void setPersistentNumber(const char* key, std::uint32_t value) override;
    void setEngineError(std::int32_t code) override;
    CVXLContactListElement* globalContacts() override;
    void queueUrlRequest(const CVXLString& url) override;
    bool configOption53() const override;
    bool coolSiteIcon(const CVXLString& id, CVXLString* link, CVXLString* mimeType) const override;
    CVXLEventHandler* scenarioManager() override;
    COutboundQueueManager* outboundQueue() override;
    CVXLEventHandler* vraxJob() override;
    CMediaAccessManager* mediaAccess() override;
    CVXLList* capturedMedia() override;
    std::uint16_t captureLocation() const override;
    void setOneShotFilter(std::int32_t filter) override;
    std::int32_t takeOneShotFilter() override;
    void armNoAutoSelect() override;
    bool takeNoAutoSelect() override;
    bool configString(std::int32_t item, CVXLString& value) const override;
    CVXLEventHandler* inboundManager() override;
    CPremiumInboxManager* premiumInbox() override;
    CVXLThreadDB* threadDB() override;
    void wireMessageService(CMessageServiceJob& job) override;
    CVXLString eventText(const CVXLEvent& event) const override;
    void pushUIRequestCode(std::int32_t code) override;
    CVXLEventHandler* localMediaManager() override;
    CVXLEventHandler* onlineMediaManager() override;
    CVXLEventHandler* backgroundUpload() override;
    void setPersistentString(const char* key, const CVXLString& value) override;
    void setFavorite(int n, const CVXLString& id, const CVXLString& caption, std::int32_t location) override;
    void removeFavorites(const CVXLString& id, std::int32_t location) override;
    bool favorite(int n, CVXLString* id, std::int32_t* location) const override;
    std::int32_t coolSiteCount() const override;
    bool coolSiteAt(std::int32_t n, CVXLCoolSite* out) const override;
    void replaceCoolSites(const CVXLCoolSite* sites, std::int32_t count) override;
    bool scenarioReloading() const override;

private:
    CVXLClient* client_;
};
