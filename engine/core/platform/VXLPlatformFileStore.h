#pragma once

#include "engine/core/platform/VXLPlatformStore.h"

// The engine's working folder (registry value "FileStore"): settings, run
// marker, queue state files. Its names always lie inside the folder.
class CVXLPlatformFileStore : public CVXLPlatformStore {
public:
    CVXLPlatformFileStore();
};
