#include "engine/screens/VXLSmilRegion.h"

CVXLSmilFit CVXLSmilRegion::fitOf(const CVXLString& value)
{
    static constexpr struct {
        const char* name;
        CVXLSmilFit fit;
    } kFits[] = {
        {"hidden", kSmilFitHidden},
        {"fill", kSmilFitFill},
        {"meet", kSmilFitMeet},
        {"scroll", kSmilFitScroll},
        {"slice", kSmilFitSlice},
    };
    for (const auto& entry : kFits) {
        if (value == entry.name)
            return entry.fit;
    }
    return kSmilFitHidden;
}
