#include "engine/screens/VXLMediaListElement.h"

#include "engine/media/VXLMediaItem.h"

#include <climits>

CVXLMediaListElement::~CVXLMediaListElement()
{
    adopted_.deleteAll();
}

bool CVXLMediaListElement::append(CVXLMediaItem* item)
{
    return item && items_.insertAt(item, -1) != 0;
}

bool CVXLMediaListElement::adopt(CVXLMediaItem* item)
{
    if (!item)
        return false;
    if (adopted_.insertAt(item, -1) == 0) {
        delete item;
        return false;
    }
    if (!append(item)) {
        adopted_.remove(item);
        delete item;
        return false;
    }
    return true;
}

bool CVXLMediaListElement::owns(const CVXLMediaItem* item) const
{
    return adopted_.indexOf(item) >= 0;
}

bool CVXLMediaListElement::remove(const CVXLMediaItem* item)
{
    const int index = items_.indexOf(item);
    if (index < 0)
        return false;
    items_.removeAt(index);
    // The same item may be listed twice; it goes with its last entry.
    if (owns(item) && items_.indexOf(item) < 0) {
        adopted_.remove(item);
        delete item;
    }
    return true;
}

CVXLMediaItem* CVXLMediaListElement::at(std::uint32_t index) const
{
    if (index >= items_.count() || index > INT_MAX)
        return nullptr;
    return static_cast<CVXLMediaItem*>(items_.at(static_cast<int>(index)));
}
