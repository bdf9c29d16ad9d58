#include "engine/screens/VXLMenuItemElement.h"

void CVXLMenuItemElement::loadIcons()
{
    menuIconWanted_ = menuMediaLink_.length() > 0 ? 1 : 0;
    buttonIconWanted_ = buttonMediaLink_.length() > 0 ? 1 : 0;
}
