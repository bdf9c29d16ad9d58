#include "engine/screens/VXLMediaListElement.h"

#include "engine/media/VXLMediaItem.h"

#include <climits>

bool CVXLMediaListElement::append(CVXLMediaItem* item)
{
    return item && items_.insertAt(item, -1) != 0;
}

bool CVXLMediaListElement::remove(const CVXLMediaItem* item)
{
    const int index = items_.indexOf(item);
    if (index < 0)
        return false;
    items_.removeAt(index);
    return true;
}

CVXLMediaItem* CVXLMediaListElement::at(std::uint32_t index) const
{
    if (index >= items_.count() || index > INT_MAX)
        return nullptr;
    return static_cast<CVXLMediaItem*>(items_.at(static_cast<int>(index)));
}
