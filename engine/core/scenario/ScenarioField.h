#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/scenario/ScenarioFieldDescription.h"
#include "engine/core/scenario/ScenarioTextList.h"

#include <cstdint>

// One input or display field of a scenario: its field description, its preset values, its
// error text, its id and help. Copies are deep.
class CScenarioField : public CVXLObject {
public:
    CScenarioField() = default;
    CScenarioField(const CScenarioField& other) = default;
    CScenarioField& operator=(const CScenarioField& other) = default;

    const CScenarioFieldDescription& fieldDescription() const { return fieldDescription_; }
    CScenarioFieldDescription& fieldDescription() { return fieldDescription_; }

    const CScenarioTextList& values() const { return values_; }
    CScenarioTextList& values() { return values_; }

    const CVXLString& errorText() const { return errorText_; }
    void setErrorText(const CVXLString& text) { errorText_ = text; }
    const CVXLString& fieldId() const { return fieldId_; }
    void setFieldId(const CVXLString& id) { fieldId_ = id; }
    bool outgoing() const { return outgoing_ != 0; }
    void setOutgoing(bool outgoing) { outgoing_ = outgoing ? 1 : 0; }
    bool hasHelp() const { return hasHelp_ != 0; }
    void setHasHelp(bool hasHelp) { hasHelp_ = hasHelp ? 1 : 0; }
    CVXLString helpUrl() const { return helpUrl_; }
    // Also marks the field as having help.
    void setHelpUrl(const CVXLString& url)
    {
        helpUrl_ = url;
        hasHelp_ = 1;
    }

private:
    CScenarioFieldDescription fieldDescription_;
    CScenarioTextList values_;
    CVXLString errorText_;
    CVXLString fieldId_;
    std::uint8_t outgoing_ = 0;
    std::uint8_t hasHelp_ = 0;
    CVXLString helpUrl_;
};
