#include "engine/core/platform/VXLPlatformMediaSource.h"

#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/kernel/DeviceRoot.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace {

constexpr const char* kStoreName = "My Media";
constexpr const char* kItemName = "NotReallyThere.jpg";

// Items without a path of their own lie in the device root: the folder is
// empty.
CVXLString mediaFolder()
{
    return CVXLString();
}

void fillStore(std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault)
{
    if (id)
        *id = CVXLPlatformMediaSource::kStoreId;
    if (name)
        *name = kStoreName;
    if (kind)
        *kind = CVXLPlatformMediaSource::kStoreKind;
    if (isDefault)
        *isDefault = 1;
}

} // namespace

CVXLPlatformMediaSource::~CVXLPlatformMediaSource() = default;

void CVXLPlatformMediaSource::setListingOptions(std::uint32_t flags)
{
    listingOptions_ = flags;
}

void CVXLPlatformMediaSource::enableOption(std::uint32_t option)
{
    if (option >= 1 && option <= 3)
        enabledOptions_ |= 1u << (option - 1);
}

int CVXLPlatformMediaSource::firstStore(
    std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault)
{
    fillStore(id, name, kind, isDefault);
    return 1;
}

int CVXLPlatformMediaSource::nextStore(std::uint16_t*, const char**, std::int32_t*, std::uint8_t*)
{
    // There is no store after the first: leave the caller's presets alone.
    return 1;
}

void CVXLPlatformMediaSource::selectStore(std::uint16_t id)
{
    selectedStore_ = id;
}

int CVXLPlatformMediaSource::listAlbums(CVXLAlbumListener* listener)
{
    if (listener) {
        listener->albumFound(kStoreName, 1, 1, 1);
        listener->summary(1, 0, 0, 0, 0);
        listener->done(kPlatformOk);
    }
    return 1;
}

void CVXLPlatformMediaSource::firstItemName(CVXLNameListener* sink)
{
    if (!sink)
        return;
    sink->setName(kItemName);
    sink->done(kPlatformOk);
}

void CVXLPlatformMediaSource::nextItemName(CVXLNameListener* sink)
{
    if (sink)
        sink->done(kPlatformNoMoreEntries);
}

void CVXLPlatformMediaSource::itemInfo(const char* name, CVXLItemDetailsSink* sink, std::uint32_t)
{
    if (!sink)
        return;
    CVXLString phonePath;
    CVXLString type;
    if (!platformJoinName(mediaFolder(), name, PlatformNameRule::NameOrPath, &phonePath)
        || !platformMimeTypeOf(name, &type))
        return sink->done(kPlatformUnknownType);
    std::string host;
    struct stat st;
    std::uint32_t size = 0;
    if (tessel::kernel::mapPhonePath(phonePath.c_str(), &host) && ::stat(host.c_str(), &st) == 0
        && S_ISREG(st.st_mode))
        size = st.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<std::uint32_t>(st.st_size);
    sink->setSize(size);
    sink->setMimeType(type.c_str());
    sink->done(kPlatformOk);
}

void CVXLPlatformMediaSource::deleteItem(const char* name, CVXLCallback* sink)
{
    CVXLString phonePath;
    std::string host;
    std::uint32_t status = kPlatformDeleteFailed;
    if (platformJoinName(mediaFolder(), name, PlatformNameRule::NameOrPath, &phonePath)
        && tessel::kernel::mapPhonePath(phonePath.c_str(), &host))
        status = ::unlink(host.c_str()) == 0 || errno == ENOENT ? kPlatformOk : kPlatformDeleteFailed;
    if (sink)
        sink->call(status);
}

CVXLPlatformFileStream* CVXLPlatformMediaSource::openStream()
{
    if (openStreams_ >= kMaxOpenStreams)
        return nullptr;
    auto* stream = new CVXLPlatformFileStream(mediaFolder(), PlatformNameRule::NameOrPath);
    if (stream)
        ++openStreams_;
    return stream;
}

void CVXLPlatformMediaSource::closeStream(CVXLPlatformFileStream* stream)
{
    if (!stream)
        return;
    delete stream;
    if (openStreams_ > 0)
        --openStreams_;
}
