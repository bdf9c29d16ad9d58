#include "engine/core/VXLPlatformMessageStore.h"

CVXLPlatformMessageStore::CVXLPlatformMessageStore()
    : CVXLPlatformStore(platformMessageStoreFolder(), PlatformNameRule::NameOrPath)
{
}
