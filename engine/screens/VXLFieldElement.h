#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CScenarioField;
class CScenarioLayout;

// One field slot of a layout: the scenario field it was built from (the
// scenario layout and the field's index in it) and the element that holds
// the field's value. The slot owns its value element, except a contact list,
// which is the Client's global one.
class CVXLFieldElement : public CVXLElement {
public:
    static constexpr std::uint32_t kElementType = kElementField;

    CVXLFieldElement() = default;
    CVXLFieldElement(const CVXLFieldElement&) = delete;
    CVXLFieldElement& operator=(const CVXLFieldElement&) = delete;
    ~CVXLFieldElement() override;

    std::uint32_t elementType() const override { return kElementType; }
    CVXLFieldElement* asReference() override { return elementType() == kElementType ? this : nullptr; }

    CVXLElement* value() const { return value_; }
    // Deletes the value element it replaces (never a contact list, nor the
    // new value itself).
    void setValue(CVXLElement* value);

    void setField(const CScenarioLayout* layout, std::int32_t index);
    const CScenarioLayout* scenarioLayout() const { return layout_; }
    std::int32_t fieldIndex() const { return index_; }
    // The scenario field, or null without a layout or past its fields.
    const CScenarioField* field() const;
    // The field's caption; "" without a field.
    CVXLString fieldLabel() const;
    // The field's type code; kFieldOther without a field.
    std::int32_t fieldKind() const;

private:
    CVXLElement* value_ = nullptr;
    const CScenarioLayout* layout_ = nullptr;
    std::int32_t index_ = 0;
};
