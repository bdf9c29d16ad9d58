#pragma once

#include "platform/mapi/PropValue.h"

#include <memory>
#include <string>
#include <vector>

// One message store of the session ("SMS"): a folder of the device root's
// mapi/ whose subfolders are its message folders. The store's
// kPropInboxEntryId names its "Inbox".
namespace tessel::mapi {

class MapiFolder;
class MapiMessage;

class MessageStore {
public:
    MessageStore(std::string name, std::string hostFolder);

    // kPropDisplayName, kPropEntryId and kPropInboxEntryId.
    PropRow getProps(const std::vector<std::uint32_t>& columns) const;

    // kMapiNotFound for an id that is not one of this store's folders.
    std::uint32_t openFolder(const std::string& entryId, std::unique_ptr<MapiFolder>* folder) const;
    // kMapiNotFound for an id that is not one of this store's messages,
    // kMapiCorruptData (logged) when its file is damaged.
    std::uint32_t openMessage(const std::string& entryId, std::unique_ptr<MapiMessage>* message) const;

private:
    std::string name_;
    std::string hostFolder_;
};

} // namespace tessel::mapi
