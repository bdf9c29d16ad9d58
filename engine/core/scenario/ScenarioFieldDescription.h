#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioLabel.h"

#include <cstdint>

// What a field is and how it is edited: its type (or list of types), the
// lower and upper limits per type, visibility, input rules, caption, name
// and the two soft keys. Copies are deep.
class CScenarioFieldDescription : public CVXLObject {
public:
    CScenarioFieldDescription() = default;
    CScenarioFieldDescription(const CScenarioFieldDescription& other) = default;
    CScenarioFieldDescription& operator=(const CScenarioFieldDescription& other) = default;

    std::int32_t typeCode() const { return typeCode_; }
    void setTypeCode(std::int32_t code) { typeCode_ = code; }
    // Sets the type from its keyword; a comma list gives kFieldTypeList and
    // its members (split at every comma) become the type list.
    void setType(const CVXLString& name);
    std::uint32_t typeNameCount() const { return typeNames_.count(); }
    CVXLString typeName(std::uint32_t i) const { return typeNames_.at(static_cast<int>(i)); }
    // The position that the limits of a field type have in this field: 0 for
    // the field's own single type, the member's index in a type list; -1 when
    // the field does not carry the type.
    int typeIndex(std::int32_t code) const;

    // Limit i as a decimal number; 0 for an empty or missing entry.
    std::int32_t minAt(std::uint32_t i) const;
    std::int32_t maxAt(std::uint32_t i) const;
    std::uint32_t minCount() const { return min_.count(); }
    std::uint32_t maxCount() const { return max_.count(); }
    // True when upper limit i is written (present and not empty).
    bool hasMax(std::uint32_t i) const { return max_.at(static_cast<int>(i)).length() > 0; }
    // Upper limit i, or -1 when it is not written (it does not limit).
    std::int32_t upperLimit(std::uint32_t i) const { return hasMax(i) ? maxAt(i) : -1; }
    void appendMin(std::int32_t value);
    void appendMax(std::int32_t value);
    // Replace a list by the members of a comma list, kept as written.
    void setMinList(const CVXLString& commaList);
    void setMaxList(const CVXLString& commaList);

    bool visible() const { return visible_ != 0; }
    void setVisible(bool visible) { visible_ = visible ? 1 : 0; }
    bool editable() const { return editable_ != 0; }
    void setEditable(bool editable) { editable_ = editable ? 1 : 0; }

    std::uint32_t inputFormats() const { return inputFormats_; }
    void setInputFormats(std::uint32_t bits) { inputFormats_ = bits; }
    std::uint32_t modifiers() const { return modifiers_; }
    void setModifiers(std::uint32_t bits) { modifiers_ = bits; }
    std::uint32_t fonts() const { return fonts_; }
    void setFonts(std::uint32_t bits) { fonts_ = bits; }
    void setBitSets(std::uint32_t inputFormats, std::uint32_t modifiers, std::uint32_t fonts);

    const CVXLString& caption() const { return caption_; }
    void setCaption(const CVXLString& caption) { caption_ = caption; }
    const CVXLString& name() const { return name_; }
    void setName(const CVXLString& name) { name_ = name; }

    const CScenarioLabel& rightSoftKey() const { return rightSoftKey_; }
    CScenarioLabel& rightSoftKey() { return rightSoftKey_; }
    const CScenarioLabel& leftSoftKey() const { return leftSoftKey_; }
    CScenarioLabel& leftSoftKey() { return leftSoftKey_; }
    void setRightSoftKey(const CScenarioLabel& label) { rightSoftKey_ = label; }
    void setLeftSoftKey(const CScenarioLabel& label) { leftSoftKey_ = label; }

private:
    static void splitInto(CVXLStringArray& list, const CVXLString& commaList);

    std::int32_t typeCode_ = kFieldOther;
    CVXLStringArray typeNames_;
    CVXLStringArray min_;
    CVXLStringArray max_;
    std::uint8_t visible_ = 0;
    std::uint8_t editable_ = 0;
    std::uint32_t inputFormats_ = 0;
    std::uint32_t modifiers_ = 0;
    std::uint32_t fonts_ = 0;
    CVXLString caption_;
    CVXLString name_;
    CScenarioLabel rightSoftKey_;
    CScenarioLabel leftSoftKey_;
};
