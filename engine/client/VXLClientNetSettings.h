#pragma once

#include "engine/client/VXLClientSettings.h"
#include "engine/transport/net/VXLHttpSettings.h"

#include <cstdint>

// The HTTP settings of the configuration, taken when the dialer starts;
// data traffic is read from "int.datacomm_active" at each request.
class CVXLClientNetSettings : public CVXLHttpSettings {
public:
    explicit CVXLClientNetSettings(const CVXLClientSettings* settings)
        : settings_(settings)
    {
    }
    CVXLClientNetSettings& operator=(const CVXLHttpSettings& taken)
    {
        CVXLHttpSettings::operator=(taken);
        return *this;
    }
    bool trafficOff() const override { return !settings_->isDataCommActive(); }

private:
    const CVXLClientSettings* settings_;
};
