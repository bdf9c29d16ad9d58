#include "engine/media/VXLTrackedText.h"

CVXLTrackedText::CVXLTrackedText(const CVXLString& text)
    : current_(text)
    , committed_(text)
{
}

bool CVXLTrackedText::commit()
{
    if (!isModified())
        return false;
    committed_ = current_;
    return true;
}
