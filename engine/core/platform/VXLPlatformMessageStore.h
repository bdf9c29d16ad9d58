#pragma once

#include "engine/core/platform/VXLPlatformStore.h"

// The folder of stored messages on the memory card (the card's folder
// followed by the registry value "MessageStore"). A name that starts with
// "\" is a whole path the engine built.
class CVXLPlatformMessageStore : public CVXLPlatformStore {
public:
    CVXLPlatformMessageStore();
};
