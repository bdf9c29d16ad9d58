#include "engine/screens/VXLChoiceElement.h"

void CVXLChoiceElement::commit()
{
    CVXLElement::commit();
    committed_ = 1;
    committedStatus_ = status_;
    text_.commit();
}

void CVXLChoiceElement::setSelected(std::int32_t selected)
{
    selected_ = selected;
    status_ = selected == 1 ? 1 : 0;
}
