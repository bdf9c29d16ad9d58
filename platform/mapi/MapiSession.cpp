#include "platform/mapi/MapiSession.h"

#include "platform/kernel/DeviceRoot.h"
#include "platform/mapi/EntryId.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MessageStore.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

namespace tessel::mapi {

namespace {

std::vector<std::string> storeNames(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        struct stat st { };
        if (validStoreName(name) && ::stat((folder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

MapiSession::MapiSession(std::string hostFolder)
    : hostFolder_(std::move(hostFolder))
{
}

std::unique_ptr<MapiSession> MapiSession::logon()
{
    const std::string folder = kernel::deviceFolder("mapi");
    if (folder.empty() || !kernel::makeHostFolders(folder + "/SMS/Inbox"))
        return nullptr;
    return std::unique_ptr<MapiSession>(new MapiSession(folder));
}

std::vector<PropRow> MapiSession::storeTable(const std::vector<std::uint32_t>& columns) const
{
    std::vector<PropRow> rows;
    for (const std::string& name : storeNames(hostFolder_))
        rows.push_back(MessageStore(name, hostFolder_ + "/" + name).getProps(columns));
    return rows;
}

std::uint32_t MapiSession::openStore(const std::string& entryId, std::unique_ptr<MessageStore>* store) const
{
    EntryIdParts parts;
    if (!parseEntryId(entryId, &parts) || parts.kind != 'S')
        return kMapiNotFound;
    const std::vector<std::string> names = storeNames(hostFolder_);
    if (std::find(names.begin(), names.end(), parts.store) == names.end())
        return kMapiNotFound;
    *store = std::make_unique<MessageStore>(parts.store, hostFolder_ + "/" + parts.store);
    return kMapiOk;
}

std::uint32_t MapiSession::openMessage(
    const std::string& entryId, std::unique_ptr<MapiMessage>* message) const
{
    EntryIdParts parts;
    if (!parseEntryId(entryId, &parts) || parts.kind != 'M')
        return kMapiNotFound;
    return MessageStore(parts.store, hostFolder_ + "/" + parts.store).openMessage(entryId, message);
}

} // namespace tessel::mapi
