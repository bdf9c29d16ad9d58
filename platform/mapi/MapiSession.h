#pragma once

#include "platform/mapi/PropValue.h"

#include <memory>
#include <string>
#include <vector>

// A logon to the phone's messaging: the message store table (one row per
// folder of the device root's mapi/, "SMS" always among them), stores
// opened by entry id, and messages opened by entry id in whichever store
// holds them.
namespace tessel::mapi {

class MessageStore;
class MapiMessage;

class MapiSession {
public:
    // Makes the "SMS" store and its "Inbox" when missing; null when the
    // device root cannot hold them.
    static std::unique_ptr<MapiSession> logon();

    // kPropDisplayName and kPropEntryId (or any columns) of every store,
    // by name.
    std::vector<PropRow> storeTable(const std::vector<std::uint32_t>& columns) const;
    std::uint32_t openStore(const std::string& entryId, std::unique_ptr<MessageStore>* store) const;
    std::uint32_t openMessage(const std::string& entryId, std::unique_ptr<MapiMessage>* message) const;

private:
    explicit MapiSession(std::string hostFolder);
    std::string hostFolder_;
};

} // namespace tessel::mapi
