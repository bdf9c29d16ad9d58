#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/core/scenario/ScenarioCodes.h"

#include <cstdint>
#include <vector>

// A message for the service's server: the scenario screen it was composed
// on and what its fields hold, from a live screen or from a queued item.
class CVRAXMessageRecord {
public:
    static constexpr std::int32_t kPriorityLow = 0;
    static constexpr std::int32_t kPriorityNormal = 1;
    static constexpr std::int32_t kPriorityHigh = 2;

    struct Field {
        CVXLString id;
        // CScenarioFieldType.
        std::int32_t type = kFieldImages;
        bool outgoing = true;
        CVXLStringArray values;
    };
    struct Media {
        // The online uid of a screen's item; the entry name of a queued one.
        CVXLString name;
        CVXLString mimeType;
    };

    std::int32_t priority = kPriorityNormal;
    CVXLString scenarioId;
    CVXLString cookie;
    std::vector<Field> fields;
    std::vector<Media> media;
    CVXLStringArray addresses;
    CVXLString voiceAnnotation;
};
