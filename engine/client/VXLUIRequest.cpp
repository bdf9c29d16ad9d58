#include "engine/client/VXLUIRequest.h"

const char* CVXLUIRequest::kindName() const
{
    return kind_ < kUIRequestKindCount ? kUIRequestKindNames[kind_] : "?";
}
