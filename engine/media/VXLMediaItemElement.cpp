#include "engine/media/VXLMediaItemElement.h"

std::int32_t CVXLMediaItemElement::value(std::uint32_t number) const
{
    return number >= 1 && number <= kValues ? values_[number - 1] : 0;
}
