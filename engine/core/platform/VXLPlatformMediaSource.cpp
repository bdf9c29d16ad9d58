#include "engine/core/platform/VXLPlatformMediaSource.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceRoot.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

constexpr const char* kPhoneFolder = "\\My Documents\\My Pictures";
constexpr const char* kCardFolder = "\\Storage Card\\DCIM";

enum class MediaKind { None, Image, Video, Sound };

MediaKind kindOf(const char* name)
{
    CVXLString type;
    if (!platformMimeTypeOf(name, &type))
        return MediaKind::None;
    const char* text = type.c_str();
    if (std::strncmp(text, "image/", 6) == 0)
        return MediaKind::Image;
    if (std::strncmp(text, "video/", 6) == 0)
        return MediaKind::Video;
    if (std::strncmp(text, "audio/", 6) == 0)
        return MediaKind::Sound;
    return MediaKind::None;
}

// A regular file's size, or false when the phone path names none.
bool fileSize(const CVXLString& phonePath, std::uint32_t* size)
{
    std::string host;
    struct stat st;
    if (!tessel::kernel::mapPhonePath(phonePath.c_str(), &host) || ::stat(host.c_str(), &st) != 0
        || !S_ISREG(st.st_mode))
        return false;
    *size = st.st_size > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<std::uint32_t>(st.st_size);
    return true;
}

struct Walk {
    std::vector<std::string>* names;
    // Files at the top of the folder by file name (the phone's own folder).
    bool bareTop;
    bool cut = false;
};

// Adds the media files under a folder.
void walkFolder(const std::string& host, const std::string& phone, int depth, Walk* walk)
{
    DIR* dir = ::opendir(host.c_str());
    if (!dir)
        return;
    std::vector<std::string> entries;
    while (dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            entries.push_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end());
    for (const std::string& entry : entries) {
        struct stat st;
        if (::lstat((host + "/" + entry).c_str(), &st) != 0 || entry.find('\\') != std::string::npos)
            continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth < CVXLPlatformMediaSource::kMaxFolderDepth)
                walkFolder(host + "/" + entry, phone + "\\" + entry, depth + 1, walk);
            else
                walk->cut = true;
        } else if (S_ISREG(st.st_mode) && kindOf(entry.c_str()) != MediaKind::None) {
            if (walk->names->size() >= CVXLPlatformMediaSource::kMaxItems) {
                walk->cut = true;
                return;
            }
            walk->names->push_back(depth == 0 && walk->bareTop ? entry : phone + "\\" + entry);
        }
    }
}

void fillStore(const char* name, std::uint16_t id, std::int32_t kind, bool isDefault, std::uint16_t* idOut,
    const char** nameOut, std::int32_t* kindOut, std::uint8_t* defaultOut)
{
    if (idOut)
        *idOut = id;
    if (nameOut)
        *nameOut = name;
    if (kindOut)
        *kindOut = kind;
    if (defaultOut)
        *defaultOut = isDefault ? 1 : 0;
}

} // namespace

CVXLPlatformMediaSource::~CVXLPlatformMediaSource() = default;

std::vector<CVXLPlatformMediaSource::Store> CVXLPlatformMediaSource::stores()
{
    std::vector<Store> list {{kStoreId, "My Media", kStoreKind, kPhoneFolder}};
    if (tessel::kernel::deviceFacts().memoryCardPresent)
        list.push_back({kCardStoreId, "Storage Card", kCardStoreKind, kCardFolder});
    return list;
}

CVXLPlatformMediaSource::Store CVXLPlatformMediaSource::current() const
{
    const std::vector<Store> list = stores();
    for (const Store& store : list) {
        if (store.id == selectedStore_)
            return store;
    }
    return list.front();
}

std::vector<std::string> CVXLPlatformMediaSource::listItems() const
{
    std::vector<std::string> names;
    const Store store = current();
    std::string host;
    if (!tessel::kernel::mapPhonePath(store.folder, &host))
        return names;
    Walk walk {&names, store.id == kStoreId};
    walkFolder(host, store.folder, 0, &walk);
    if (walk.cut)
        VXL_LOG_INFO(
            "media source: \"%s\" holds more than %zu items or %d levels of folders; the rest is not listed",
            store.folder, kMaxItems, kMaxFolderDepth);
    return names;
}

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
    const std::vector<Store> list = stores();
    storeCursor_ = 0;
    const Store& store = list.front();
    fillStore(store.name, store.id, store.kind, true, id, name, kind, isDefault);
    return list.size() == 1;
}

int CVXLPlatformMediaSource::nextStore(
    std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault)
{
    const std::vector<Store> list = stores();
    // Past the last store the caller's values stay as they are.
    if (storeCursor_ + 1 >= list.size())
        return 1;
    const Store& store = list[++storeCursor_];
    fillStore(store.name, store.id, store.kind, false, id, name, kind, isDefault);
    return storeCursor_ + 1 == list.size();
}

void CVXLPlatformMediaSource::selectStore(std::uint16_t id)
{
    selectedStore_ = id;
    items_.clear();
    itemCursor_ = 0;
}

int CVXLPlatformMediaSource::listAlbums(CVXLAlbumListener* listener)
{
    if (!listener)
        return 1;
    std::uint32_t counts[4] = {};
    for (const std::string& name : listItems())
        ++counts[static_cast<int>(kindOf(name.c_str()))];
    listener->albumFound(current().name, 1, 1, 1);
    listener->summary(counts[static_cast<int>(MediaKind::Image)], counts[static_cast<int>(MediaKind::Video)],
        counts[static_cast<int>(MediaKind::Sound)], 0, 0);
    listener->done(kPlatformOk);
    return 1;
}

void CVXLPlatformMediaSource::firstItemName(CVXLNameListener* sink)
{
    items_ = listItems();
    itemCursor_ = 0;
    if (!sink)
        return;
    if (items_.empty())
        return sink->done(kPlatformNoMoreEntries);
    sink->setName(items_[0].c_str());
    sink->done(kPlatformOk);
}

void CVXLPlatformMediaSource::nextItemName(CVXLNameListener* sink)
{
    if (!sink)
        return;
    if (itemCursor_ + 1 >= items_.size())
        return sink->done(kPlatformNoMoreEntries);
    ++itemCursor_;
    sink->setName(items_[itemCursor_].c_str());
    sink->done(kPlatformOk);
}

void CVXLPlatformMediaSource::itemInfo(const char* name, CVXLItemDetailsSink* sink, std::uint32_t)
{
    if (!sink)
        return;
    CVXLString phonePath;
    CVXLString type;
    if (!platformJoinName(CVXLString(kPhoneFolder), name, PlatformNameRule::NameOrPath, &phonePath)
        || !platformMimeTypeOf(name, &type))
        return sink->done(kPlatformUnknownType);
    // A file gone since it was listed is no item of size 0.
    std::uint32_t size = 0;
    if (!fileSize(phonePath, &size)) {
        VXL_LOG_INFO("media source: \"%s\" is not there", phonePath.c_str());
        return sink->done(kPlatformNoSuchItem);
    }
    sink->setSize(size);
    sink->setMimeType(type.c_str());
    sink->done(kPlatformOk);
}

void CVXLPlatformMediaSource::deleteItem(const char* name, CVXLCallback* sink)
{
    CVXLString phonePath;
    std::string host;
    std::uint32_t status = kPlatformDeleteFailed;
    if (platformJoinName(CVXLString(kPhoneFolder), name, PlatformNameRule::NameOrPath, &phonePath)
        && tessel::kernel::mapPhonePath(phonePath.c_str(), &host))
        status = ::unlink(host.c_str()) == 0 || errno == ENOENT ? kPlatformOk : kPlatformDeleteFailed;
    if (sink)
        sink->call(status);
}

CVXLPlatformFileStream* CVXLPlatformMediaSource::openStream()
{
    if (openStreams_ >= kMaxOpenStreams)
        return nullptr;
    auto* stream = new CVXLPlatformFileStream(CVXLString(kPhoneFolder), PlatformNameRule::NameOrPath);
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
