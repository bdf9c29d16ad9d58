#include "tests/support/FolderMediaSource.h"

#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformStatus.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

struct Extension {
    const char* suffix;
    const char* type;
};

constexpr Extension kTypes[] = {
    {".jpg", "image/jpeg"},
    {".jpeg", "image/jpeg"},
    {".png", "image/png"},
    {".gif", "image/gif"},
    {".3gp", "video/3gpp"},
    {".mp4", "video/mp4"},
    {".amr", "audio/amr"},
};

bool endsWith(const std::string& text, const char* suffix)
{
    const std::size_t n = std::strlen(suffix);
    if (text.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i])
            return false;
    return true;
}

void fill(const FolderMediaSource::Store& store, std::uint16_t* id, const char** name, std::int32_t* kind,
    std::uint8_t* isDefault)
{
    *id = store.id;
    *name = store.name.c_str();
    *kind = store.kind;
    *isDefault = store.isDefault ? 1 : 0;
}

} // namespace

FolderMediaSource::FolderMediaSource(std::vector<Store> stores)
    : stores_(std::move(stores))
{
}

const char* FolderMediaSource::mimeTypeOf(const std::string& name)
{
    for (const Extension& extension : kTypes)
        if (endsWith(name, extension.suffix))
            return extension.type;
    return nullptr;
}

// An empty list reports no store: id 0, no name, and the last-store answer.
int FolderMediaSource::firstStore(
    std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault)
{
    storeCursor_ = 0;
    if (stores_.empty()) {
        *id = 0;
        *name = nullptr;
        return 1;
    }
    fill(stores_[0], id, name, kind, isDefault);
    return stores_.size() == 1;
}

int FolderMediaSource::nextStore(
    std::uint16_t* id, const char** name, std::int32_t* kind, std::uint8_t* isDefault)
{
    if (++storeCursor_ >= stores_.size())
        return 1;
    fill(stores_[storeCursor_], id, name, kind, isDefault);
    return storeCursor_ + 1 == stores_.size();
}

void FolderMediaSource::selectStore(std::uint16_t id)
{
    CVXLPlatformMediaSource::selectStore(id);
    itemCursor_ = 0;
}

const FolderMediaSource::Store* FolderMediaSource::selected() const
{
    for (const Store& store : stores_)
        if (store.id == selectedStore())
            return &store;
    return nullptr;
}

std::string FolderMediaSource::hostFolder() const
{
    const Store* store = selected();
    CVXLString host;
    if (!store || !platformHostPath(CVXLString(store->folder.c_str()), &host))
        return std::string();
    return host.c_str();
}

std::vector<std::string> FolderMediaSource::items() const
{
    std::vector<std::string> names;
    const std::string folder = hostFolder();
    DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st;
        if (name[0] != '.' && ::stat((folder + "/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

int FolderMediaSource::listAlbums(CVXLAlbumListener* listener)
{
    const Store* store = selected();
    if (!store) {
        listener->done(kPlatformNoSuchItem);
        return 1;
    }
    std::uint32_t counts[3] = {};
    for (const std::string& name : items()) {
        const char* type = mimeTypeOf(name);
        if (!type)
            continue;
        if (std::strncmp(type, "image/", 6) == 0)
            ++counts[0];
        else if (std::strncmp(type, "video/", 6) == 0)
            ++counts[1];
        else
            ++counts[2];
    }
    listener->albumFound(store->name.c_str(), 1, 1, 1);
    listener->summary(counts[0], counts[1], counts[2], 0, 0);
    listener->done(kPlatformOk);
    return 1;
}

void FolderMediaSource::firstItemName(CVXLNameListener* sink)
{
    ++firstNameCalls;
    itemCursor_ = 0;
    const std::vector<std::string> names = items();
    if (names.empty())
        return sink->done(kPlatformNoMoreEntries);
    sink->setName(names[0].c_str());
    sink->done(kPlatformOk);
}

void FolderMediaSource::nextItemName(CVXLNameListener* sink)
{
    ++nextNameCalls;
    const std::vector<std::string> names = items();
    if (itemCursor_ + 1 >= names.size())
        return sink->done(kPlatformNoMoreEntries);
    ++itemCursor_;
    sink->setName(names[itemCursor_].c_str());
    sink->done(kPlatformOk);
}

void FolderMediaSource::itemInfo(const char* name, CVXLItemDetailsSink* sink, std::uint32_t)
{
    const char* type = name ? mimeTypeOf(name) : nullptr;
    struct stat st;
    if (!type || std::strchr(name, '/') || ::stat((hostFolder() + "/" + name).c_str(), &st) != 0)
        return sink->done(type ? kPlatformNoSuchItem : kPlatformUnknownType);
    sink->setSize(static_cast<std::uint32_t>(st.st_size));
    sink->setMimeType(type);
    sink->done(kPlatformOk);
}

void FolderMediaSource::deleteItem(const char* name, CVXLCallback* sink)
{
    std::uint32_t status = kPlatformDeleteFailed;
    if (name && keptDeletes.count(name)) {
        status = kPlatformOk;
    } else if (name && !refusedDeletes.count(name) && !std::strchr(name, '/') && selected()) {
        const std::string path = hostFolder() + "/" + name;
        status = ::unlink(path.c_str()) == 0 || errno == ENOENT ? kPlatformOk : kPlatformDeleteFailed;
    }
    sink->call(status);
}

CVXLPlatformFileStream* FolderMediaSource::openStream()
{
    const Store* store = selected();
    if (!store)
        return nullptr;
    ++openStreams;
    return new CVXLPlatformFileStream(CVXLString(store->folder.c_str()), PlatformNameRule::NameOrPath);
}

void FolderMediaSource::closeStream(CVXLPlatformFileStream* stream)
{
    if (!stream)
        return;
    delete stream;
    --openStreams;
}
