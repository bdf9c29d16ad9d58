#pragma once

#include "engine/client/menu/GlobalMenuList.h"

#include <cstdint>

class CVXLClient;

// The Client's services to the Global Menu List.
class CVXLClientMenuFace : public CGlobalMenuList::Services {
public:
    explicit CVXLClientMenuFace(CVXLClient* client)
        : client_(client)
    {
    }
    void queueLinkRequest(int n) override;
    void queueReturnToMenu(std::int32_t value) override;
    void setCaptureLocation(std::uint16_t location) override;
    void clearFavorite(int n) override;
    CVXLList& selectedObjects() override;

private:
    CVXLClient* client_;
};
