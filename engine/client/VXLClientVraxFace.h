#pragma once

#include "engine/core/settings/VXLConfigItem.h"
#include "engine/service/VRAXEnvironment.h"

#include <cstdint>

class CVXLClient;

// What the service protocol job reads of the engine root.
class CVXLClientVraxFace : public CVRAXEnvironment {
public:
    explicit CVXLClientVraxFace(CVXLClient* client)
        : client_(client)
    {
    }
    CVXLString phoneNumber() const override { return configItem(kCfgUserIdentity); }
    CVXLString mobileEmail() const override { return configItem(kCfgMobileEmail); }
    CVXLString language() const override { return configItem(kCfgLanguage); }
    CVXLString deviceModel() const override { return configItem(kCfgDeviceModel); }
    CVXLString configItem(int item) const override;
    std::uint32_t currentTime() const override;
    CVXLPersStore& settings() override;
    CVRAXMediaFacts mediaFacts(const CVXLMediaItem& item) const override;
    void setOnlineId(CVXLMediaItem& item, const CVXLString& id) override;
    void storeVraxId(const CVXLString& id) override;
    void queueUrlRequest(const CVXLString& url) override;
    void setErrorCode(std::int32_t code) override;

private:
    CVXLClient* client_;
};
