#include "engine/screens/VXLEditTextElement.h"

void CVXLEditTextElement::commit()
{
    CVXLElement::commit();
    text_.commit();
}
