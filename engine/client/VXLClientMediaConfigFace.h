#pragma once

#include "engine/media/VXLMediaRef.h"

#include <cstdint>

class CVXLClient;

// What media references read of the configuration: the wanted sizes and
// types of previews and views.
class CVXLClientMediaConfigFace : public CVXLMediaConfig {
public:
    explicit CVXLClientMediaConfigFace(CVXLClient* client)
        : client_(client)
    {
    }
    bool readItem(std::int32_t item, CVXLString* text) const override;

private:
    CVXLClient* client_;
};
