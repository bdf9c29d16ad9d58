#pragma once

#include "engine/client/program/KORVServices.h"

class CVXLClient;

// The built-ins' services from what the Client holds: its screen requests,
// capture location and settings, its Scenario Manager and its thread
// database. The managers it does not hold yet answer as absent
// (CKORVServices).
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
