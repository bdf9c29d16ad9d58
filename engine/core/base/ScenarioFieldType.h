#pragma once

#include <cstdint>

// The type of a scenario field: what its values are, and what a message
// sends for it.
enum CScenarioFieldType : std::int32_t {
    kFieldImages = 0,
    kFieldVideos = 1,
    kFieldAddressList = 2,
    kFieldTitle = 3,
    kFieldSubject = 4,
    kFieldAudioAnnotation = 5,
    kFieldAlbums = 6,
    kFieldComposites = 7,
    kFieldShortMessage = 8,
    kFieldAddress = 9,
    kFieldHelp = 10,
    // A comma list of types; its members are in the field's type list.
    kFieldTypeList = 11,
    kFieldOther = 12,
};
