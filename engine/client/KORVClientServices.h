#pragma once

#include "engine/client/program/KORVServices.h"

class CVXLClient;

// The built-ins' services from what the Client holds: its screen requests,
// capture location and settings, its media stores and the Media Access
// Manager's selection, its Scenario Manager and its thread database. The
// phone's contacts, which it does not hold, answer as absent (CKORVServices).
class CKORVClientServices : public CKORVServices {
public:
    explicit CKORVClientServices(CVXLClient* client = nullptr)
        : client_(client)
    {
    }
    void setClient(CVXLClient* client) { client_ = client; }

    void queueReturnToIdle() override;
    void queueUrlRequest(const CVXLString& url) override;
    std::uint16_t captureLocation() override;
    void deselectAllMedia() override;
    std::uint32_t storeLocation(std::uint16_t store) override;
    // The media store manager's current store, else its first.
    std::uint16_t defaultLocalStoreId() override;
    std::uint32_t albumLocation(const CVXLObject* album) override;
    CVXLString setting(const char* key) override;
    void setSetting(const char* key, const CVXLString& value) override;
    CVXLEventHandler* scenarioManager() override;
    CVXLEventHandler* localMediaManager() override;
    bool isMessageNew(const CVXLString& messageId) override;
    CVXLEventHandler* threadDatabase() override;
    void resetGlobalContacts() override;
    // Of a message summary: its stored id, and the thread key of its display
    // address as the thread database normalises it.
    CVXLString messageId(const CVXLObject* object) override;
    CVXLString threadId(const CVXLObject* object) override;

private:
    CVXLClient* client_;
};
