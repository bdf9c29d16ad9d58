#include "platform/mapi/EntryId.h"

#include "platform/mapi/MessageFolderFiles.h"

#include <string_view>
#include <vector>

namespace tessel::mapi {

namespace {

constexpr std::string_view kStoreMagic = "TSTO";
constexpr std::string_view kFolderMagic = "TFLD";
constexpr std::string_view kMessageMagic = "TMSG";
constexpr std::size_t kMaxNameBytes = 64;

// The NUL-separated fields after the four magic bytes.
std::vector<std::string> fields(const std::string& entryId)
{
    std::vector<std::string> out;
    std::size_t at = kStoreMagic.size();
    for (;;) {
        const std::size_t nul = entryId.find('\0', at);
        out.push_back(entryId.substr(at, nul == std::string::npos ? std::string::npos : nul - at));
        if (nul == std::string::npos)
            return out;
        at = nul + 1;
    }
}

} // namespace

bool validStoreName(const std::string& name)
{
    if (name.empty() || name.size() > kMaxNameBytes || name[0] == '.')
        return false;
    for (char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

std::string storeEntryId(const std::string& store)
{
    return std::string(kStoreMagic) + store;
}

std::string folderEntryId(const std::string& store, const std::string& folder)
{
    return std::string(kFolderMagic) + store + '\0' + folder;
}

std::string messageEntryId(const std::string& store, const std::string& folder, const std::string& message)
{
    return std::string(kMessageMagic) + store + '\0' + folder + '\0' + message;
}

bool parseEntryId(const std::string& entryId, EntryIdParts* parts)
{
    if (entryId.size() < kStoreMagic.size())
        return false;
    const std::string_view magic(entryId.data(), kStoreMagic.size());
    const std::vector<std::string> f = fields(entryId);
    *parts = EntryIdParts();
    if (magic == kStoreMagic && f.size() == 1) {
        parts->kind = 'S';
    } else if (magic == kFolderMagic && f.size() == 2) {
        parts->kind = 'F';
        parts->folder = f[1];
    } else if (magic == kMessageMagic && f.size() == 3) {
        parts->kind = 'M';
        parts->folder = f[1];
        parts->message = f[2];
        if (!MessageFolderFiles::validId(parts->message))
            return false;
    } else {
        return false;
    }
    parts->store = f[0];
    return validStoreName(parts->store) && (parts->kind == 'S' || validStoreName(parts->folder));
}

} // namespace tessel::mapi
