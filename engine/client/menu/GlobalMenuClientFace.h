#pragma once

#include <cstdint>

class CVXLList;

// What the Global Menu List needs of the Client: the screen requests of a
// menu link and of a deleted favorite, the capture location, the favorite
// slots and the list of selected objects.
class CGlobalMenuClientFace {
public:
    virtual ~CGlobalMenuClientFace() = default;

    // PROCESS_URL_REQUEST for menu link n.
    virtual void queueLinkRequest(int n) = 0;
    virtual void queueReturnToMenu(std::int32_t value) = 0;
    virtual void setCaptureLocation(std::uint16_t location) = 0;
    // Empties favorite slot n.
    virtual void clearFavorite(int n) = 0;
    // The list of selected objects; it owns its objects.
    virtual CVXLList& selectedObjects() = 0;
};
