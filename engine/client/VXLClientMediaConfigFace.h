#pragma once

#include "engine/core/settings/VXLConfigReader.h"

#include <cstdint>

class CVXLClient;

// What the jobs of the Client's tree read of the configuration, media
// references among them: the wanted sizes and types of previews and views.
class CVXLClientMediaConfigFace : public CVXLConfigReader {
public:
    explicit CVXLClientMediaConfigFace(CVXLClient* client)
        : client_(client)
    {
    }
    bool readItem(std::int32_t item, CVXLString* text) const override;

private:
    CVXLClient* client_;
};
