#include "engine/screens/VXLFieldElement.h"

#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"

CVXLFieldElement::~CVXLFieldElement()
{
    setValue(nullptr);
}

void CVXLFieldElement::setValue(CVXLElement* value)
{
    if (value_ && value_ != value && !value_->asContactList())
        delete value_;
    value_ = value;
}

void CVXLFieldElement::setField(const CScenarioLayout* layout, std::int32_t index)
{
    layout_ = layout;
    index_ = index;
}

const CScenarioField* CVXLFieldElement::field() const
{
    if (!layout_ || index_ < 0)
        return nullptr;
    return layout_->fieldAt(static_cast<std::uint32_t>(index_));
}

CVXLString CVXLFieldElement::fieldLabel() const
{
    const CScenarioField* f = field();
    return f ? f->fieldDescription().caption() : CVXLString();
}

std::int32_t CVXLFieldElement::fieldKind() const
{
    const CScenarioField* f = field();
    return f ? f->fieldDescription().typeCode() : static_cast<std::int32_t>(kFieldOther);
}
