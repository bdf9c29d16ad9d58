#pragma once

#include "engine/messaging/threads/VXLThreadDB.h"

#include <cstdint>

class CVXLClient;

// The thread database's view of the settings: item 7 and the new count.
class CVXLClientThreadDBFace : public CVXLThreadDB::Services {
public:
    explicit CVXLClientThreadDBFace(CVXLClient* client)
        : client_(client)
    {
    }
    CVXLString ownNumber() const override;
    void setNewMessageCount(std::uint32_t count) override;

private:
    CVXLClient* client_;
};
