#include "platform/mapi/MessageStore.h"

#include "platform/mapi/EntryId.h"
#include "platform/mapi/MapiFolder.h"
#include "platform/mapi/MapiMessage.h"

#include <sys/stat.h>

namespace tessel::mapi {

namespace {

constexpr const char* kInbox = "Inbox";

bool isFolder(const std::string& path)
{
    struct stat st { };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

MessageStore::MessageStore(std::string name, std::string hostFolder)
    : name_(std::move(name))
    , hostFolder_(std::move(hostFolder))
{
}

PropRow MessageStore::getProps(const std::vector<std::uint32_t>& columns) const
{
    const PropRow own {PropValue::ofText(kPropDisplayName, name_),
        PropValue::ofBytes(kPropEntryId, storeEntryId(name_)),
        PropValue::ofBytes(kPropInboxEntryId, folderEntryId(name_, kInbox))};
    return pickColumns(own, columns);
}

std::uint32_t MessageStore::openFolder(const std::string& entryId, std::unique_ptr<MapiFolder>* folder) const
{
    EntryIdParts parts;
    if (!parseEntryId(entryId, &parts) || parts.kind != 'F' || parts.store != name_)
        return kMapiNotFound;
    const std::string path = hostFolder_ + "/" + parts.folder;
    if (parts.folder != kInbox && !isFolder(path))
        return kMapiNotFound;
    *folder = std::make_unique<MapiFolder>(name_, parts.folder, path);
    return kMapiOk;
}

std::uint32_t MessageStore::openMessage(
    const std::string& entryId, std::unique_ptr<MapiMessage>* message) const
{
    EntryIdParts parts;
    if (!parseEntryId(entryId, &parts) || parts.kind != 'M' || parts.store != name_)
        return kMapiNotFound;
    const std::string path = hostFolder_ + "/" + parts.folder;
    if (!isFolder(path))
        return kMapiNotFound;
    MessageFolderFiles files(path);
    MessageRecord record;
    const std::uint32_t result = files.read(parts.message, &record);
    if (result != kMapiOk)
        return result;
    *message = std::make_unique<MapiMessage>(files, name_, parts.folder, parts.message, std::move(record));
    return kMapiOk;
}

} // namespace tessel::mapi
