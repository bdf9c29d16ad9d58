#include "engine/core/platform/VXLPlatformMessageStore.h"

CVXLPlatformMessageStore::CVXLPlatformMessageStore()
    : CVXLPlatformStore(platformMessageStoreFolder(), PlatformNameRule::NameOrPath)
{
}
