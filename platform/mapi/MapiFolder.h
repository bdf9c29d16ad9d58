#pragma once

#include "platform/mapi/MessageFolderFiles.h"
#include "platform/mapi/PropValue.h"

#include <memory>
#include <string>
#include <vector>

// A folder of a store (the SMS store's "Inbox"): its contents table, new
// messages, and deletion by entry id.
namespace tessel::mapi {

class MapiMessage;

class MapiFolder {
public:
    MapiFolder(std::string store, std::string folder, std::string hostFolder);

    // kPropDisplayName and kPropEntryId of the folder itself.
    PropRow getProps(const std::vector<std::uint32_t>& columns) const;

    // One row per readable message, in the order of their ids, holding the columns
    // (kPropEntryId among them when asked). Damaged files are skipped and
    // logged.
    std::vector<PropRow> contentsTable(const std::vector<std::uint32_t>& columns) const;

    std::unique_ptr<MapiMessage> createMessage() const;

    // Deletes the messages; kMapiNotFound when an id is not one of this
    // folder's messages (the others are deleted all the same).
    std::uint32_t deleteMessages(const std::vector<std::string>& entryIds) const;

private:
    std::string store_;
    std::string folder_;
    MessageFolderFiles files_;
};

} // namespace tessel::mapi
