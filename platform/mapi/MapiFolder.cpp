#include "platform/mapi/MapiFolder.h"

#include "platform/mapi/EntryId.h"
#include "platform/mapi/MapiMessage.h"

namespace tessel::mapi {

MapiFolder::MapiFolder(std::string store, std::string folder, std::string hostFolder)
    : store_(std::move(store))
    , folder_(std::move(folder))
    , files_(std::move(hostFolder))
{
}

PropRow MapiFolder::getProps(const std::vector<std::uint32_t>& columns) const
{
    const PropRow own {PropValue::ofText(kPropDisplayName, folder_),
        PropValue::ofBytes(kPropEntryId, folderEntryId(store_, folder_))};
    return pickColumns(own, columns);
}

std::vector<PropRow> MapiFolder::contentsTable(const std::vector<std::uint32_t>& columns) const
{
    std::vector<PropRow> rows;
    for (MessageFolderFiles::Entry& entry : files_.readAll()) {
        PropRow row;
        row.reserve(columns.size());
        for (std::uint32_t tag : columns)
            row.push_back(tag == kPropEntryId
                    ? PropValue::ofBytes(kPropEntryId, messageEntryId(store_, folder_, entry.id))
                    : findProp(entry.record.props, tag));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::unique_ptr<MapiMessage> MapiFolder::createMessage() const
{
    return std::make_unique<MapiMessage>(files_, store_, folder_, std::string(), MessageRecord());
}

std::uint32_t MapiFolder::deleteMessages(const std::vector<std::string>& entryIds) const
{
    std::vector<std::string> ids;
    bool foreign = false;
    for (const std::string& entryId : entryIds) {
        EntryIdParts parts;
        if (parseEntryId(entryId, &parts) && parts.kind == 'M' && parts.store == store_
            && parts.folder == folder_)
            ids.push_back(parts.message);
        else
            foreign = true;
    }
    const std::size_t removed = files_.remove(ids);
    return foreign || removed != ids.size() ? kMapiNotFound : kMapiOk;
}

} // namespace tessel::mapi
