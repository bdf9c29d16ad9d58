#include "engine/core/VXLPlatformFileStore.h"

CVXLPlatformFileStore::CVXLPlatformFileStore()
    : CVXLPlatformStore(platformFileStoreFolder(), PlatformNameRule::InFolder)
{
}
