#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"

#include <cstdint>
#include <vector>

// A message for the service's server: the scenario screen it was composed
// on and what its fields hold, from a live screen or from a queued item.
class CVRAXMessageRecord {
public:
    // Field type codes of the scenario model.
    enum FieldType : std::int32_t {
        kFieldImages = 0,
        kFieldVideos = 1,
        kFieldAddrList = 2,
        kFieldTitle = 3,
        kFieldSubject = 4,
        kFieldAudioAnnotation = 5,
        kFieldAlbums = 6,
        kFieldComposites = 7,
        kFieldShortMessage = 8,
        kFieldAddress = 9,
        kFieldHelp = 10,
        kFieldList = 11,
    };
    static constexpr std::int32_t kPriorityLow = 0;
    static constexpr std::int32_t kPriorityNormal = 1;
    static constexpr std::int32_t kPriorityHigh = 2;

    struct Field {
        CVXLString id;
        std::int32_t type = 0;
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
