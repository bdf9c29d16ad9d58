#include "engine/screens/VXLScreenServices.h"

CVXLString CVXLScreenServices::text(std::uint32_t id)
{
    const char* found = installed_ ? installed_->engineText(id) : nullptr;
    return CVXLString(found ? found : "");
}
