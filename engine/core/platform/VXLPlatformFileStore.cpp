#include "engine/core/platform/VXLPlatformFileStore.h"

CVXLPlatformFileStore::CVXLPlatformFileStore()
    : CVXLPlatformStore(platformFileStoreFolder(), PlatformNameRule::InFolder)
{
}
