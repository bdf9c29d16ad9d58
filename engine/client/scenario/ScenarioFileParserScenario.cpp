#include "engine/client/scenario/ScenarioFileParser.h"

#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"

namespace {

bool isYes(const CVXLString& value)
{
    return value == "Y" || value == "y";
}

} // namespace

// Scenario pass.

void CScenarioFileParser::scenarioStart(const CVXLString& name)
{
    if (name == "scenario") {
        setState(kStateScenario);
        return;
    }
    if (!matched_)
        return;
    if (name == "err") {
        setState(kStateError);
    } else if (name == "field") {
        if (!definition_->addField(new CScenarioField())) {
            fail();
            return;
        }
        setState(kStateField);
    } else if (name == "ferr") {
        setState(kStateFieldError);
    } else if (name == "layout") {
        setState(kStateLayout);
    } else if (name == "scenCfg") {
        setState(kStateScenarioConfig);
    } else if (name == "wait") {
        setState(kStateWait);
    } else if (name == "name") {
        if (parseState_ == kStateLayout)
            setState(kStateFieldName);
    } else if (name == "lsk") {
        setState(kStateLeftKey);
    } else if (name == "rsk") {
        setState(kStateRightKey);
    } else if (name == "li") {
        setState(kStateValue);
    } else if (name == "data") {
        setState(kStateData);
    } else if (name == "helpUrl") {
        setState(kStateHelpUrl);
    } else if (!softKeyTransition(name)) {
        fail();
    }
}

// "label", "t", "f", "action" and "rule" by the enclosing state; false when
// one of them stands where none is allowed.
std::int32_t CScenarioFileParser::softKeyState(const CVXLString& name, std::int32_t from)
{
    if (name == "t") {
        switch (from) {
        case kStateRightLabel:
        case kStateRightCaptionFalse:
            return kStateRightCaptionTrue;
        case kStateLeftLabel:
        case kStateLeftCaptionFalse:
            return kStateLeftCaptionTrue;
        case kStateRightAction:
        case kStateRightActionFalse:
            return kStateRightActionTrue;
        case kStateLeftAction:
        case kStateLeftActionFalse:
            return kStateLeftActionTrue;
        default:
            return kStateNone;
        }
    }
    if (name == "f") {
        switch (from) {
        case kStateRightLabel:
        case kStateRightCaptionTrue:
            return kStateRightCaptionFalse;
        case kStateLeftLabel:
        case kStateLeftCaptionTrue:
            return kStateLeftCaptionFalse;
        case kStateRightAction:
        case kStateRightActionTrue:
            return kStateRightActionFalse;
        case kStateLeftAction:
        case kStateLeftActionTrue:
            return kStateLeftActionFalse;
        default:
            return kStateNone;
        }
    }
    if (name == "action") {
        switch (from) {
        case kStateLeftKey:
        case kStateLeftLabel:
        case kStateLeftCaptionTrue:
        case kStateLeftCaptionFalse:
            return kStateLeftAction;
        case kStateRightKey:
        case kStateRightLabel:
        case kStateRightCaptionTrue:
        case kStateRightCaptionFalse:
            return kStateRightAction;
        default:
            return kStateNone;
        }
    }
    // "rule"
    switch (from) {
    case kStateLeftKey:
    case kStateLeftAction:
    case kStateLeftActionTrue:
    case kStateLeftActionFalse:
        return kStateLeftRule;
    case kStateRightKey:
    case kStateRightAction:
    case kStateRightActionTrue:
    case kStateRightActionFalse:
        return kStateRightRule;
    default:
        return kStateNone;
    }
}

bool CScenarioFileParser::softKeyTransition(const CVXLString& name)
{
    if (name == "label") {
        switch (parseState_) {
        case kStateLayout:
            setState(kStateCaption);
            return true;
        case kStateRightKey:
            setState(kStateRightLabel);
            return true;
        case kStateLeftKey:
            setState(kStateLeftLabel);
            return true;
        default:
            return false;
        }
    }
    if (name == "t" || name == "f" || name == "action" || name == "rule") {
        const std::int32_t next = softKeyState(name, parseState_);
        if (next == kStateNone)
            return false;
        setState(next);
    }
    return true;
}

void CScenarioFileParser::scenarioAttribute(const CVXLString& name, const CVXLString& value)
{
    if (parseState_ == kStateScenario) {
        if (name == "id") {
            if (value == scenarioId_ && !matched_) {
                matched_ = true;
                definition_->setId(value);
                scenarioDepth_ = depth_;
            }
            return;
        }
        if (!matched_ || depth_ != scenarioDepth_)
            return;
        if (name == "cookie")
            definition_->setCookie(value);
        else if (name == "destinationurl")
            definition_->setDestinationUrl(value);
        else if (name == "initFocus")
            definition_->setInitialFocus(value.toInt());
        else if (name == "haspri")
            definition_->setHasPriority(value == "Y");
        else if (name == "type" && value == "config")
            definition_->setIsConfiguration(true);
        return;
    }
    if (!matched_)
        return;
    CScenarioField* field = definition_->lastField();
    switch (parseState_) {
    case kStateField:
        if (!field)
            break;
        if (name == "fid")
            field->setFieldId(value);
        else if (name == "outgoing")
            field->setOutgoing(isYes(value));
        break;
    case kStateLayout: {
        if (!field)
            break;
        CScenarioFieldDescription& fieldDescription = field->fieldDescription();
        if (name == "edit")
            fieldDescription.setEditable(isYes(value));
        else if (name == "vis")
            fieldDescription.setVisible(isYes(value));
        else if (name == "min")
            fieldDescription.setMinList(value);
        else if (name == "max")
            fieldDescription.setMaxList(value);
        else if (name == "type")
            fieldDescription.setType(value);
        else if (name == "con")
            fieldDescription.setInputFormats(scenarioInputFormatsOf(value.c_str()));
        else if (name == "mod")
            fieldDescription.setModifiers(scenarioModifiersOf(value.c_str()));
        else if (name == "fnt")
            fieldDescription.setFonts(scenarioFontsOf(value.c_str()));
        break;
    }
    case kStateScenarioConfig: {
        CScenarioConfigLink& link = definition_->configLink();
        definition_->setHasConfiguration(true);
        if (name == "cfg") {
            link.setConfigured(isYes(value));
        } else if (name == "lt") {
            if (value == "http")
                link.setKind(kLinkHttp);
            else if (value == "scen")
                link.setKind(kLinkScenario);
        } else if (name == "link") {
            link.setLink(value);
        }
        break;
    }
    case kStateWait:
        if (name == "action" && value == "send")
            definition_->setWaitAction(kWaitActionSend);
        break;
    default:
        break;
    }
}

void CScenarioFileParser::scenarioText(const CVXLString& text)
{
    if (!matched_)
        return;
    CScenarioField* field = definition_->lastField();
    CScenarioLabel* right = field ? &field->fieldDescription().rightSoftKey() : nullptr;
    CScenarioLabel* left = field ? &field->fieldDescription().leftSoftKey() : nullptr;
    switch (parseState_) {
    case kStateNone:
    case kStateConfig:
    case kStateScenario:
    case kStateField:
    case kStateLayout:
    case kStateData:
    case kStateLeftKey:
    case kStateRightKey:
    case kStateRightLabel:
    case kStateLeftLabel:
    case kStateRightAction:
    case kStateLeftAction:
        break;
    case kStateError:
        definition_->setErrorText(text);
        break;
    case kStateScenarioConfig:
        definition_->configLink().setText(text);
        break;
    case kStateWait:
        definition_->setWaitText(text);
        break;
    case kStateFieldError:
        if (field)
            field->setErrorText(text);
        break;
    case kStateCaption:
        if (field)
            field->fieldDescription().setCaption(text);
        break;
    case kStateFieldName:
        if (field)
            field->fieldDescription().setName(text);
        break;
    case kStateValue:
        if (field)
            field->values().append(text);
        break;
    case kStateHelpUrl:
        if (field)
            field->setHelpUrl(text);
        break;
    case kStateRightCaptionTrue:
        if (right)
            right->captions().setFirst(text);
        break;
    case kStateRightCaptionFalse:
        if (right)
            right->captions().setSecond(text);
        break;
    case kStateLeftCaptionTrue:
        if (left)
            left->captions().setFirst(text);
        break;
    case kStateLeftCaptionFalse:
        if (left)
            left->captions().setSecond(text);
        break;
    case kStateRightActionTrue:
    case kStateRightActionFalse:
        if (right)
            right->setActionFromKeyword(parseState_ == kStateRightActionTrue, text.c_str());
        break;
    case kStateLeftActionTrue:
    case kStateLeftActionFalse:
        if (left)
            left->setActionFromKeyword(parseState_ == kStateLeftActionTrue, text.c_str());
        break;
    case kStateRightRule:
        if (right)
            right->setRule(text);
        break;
    case kStateLeftRule:
        if (left)
            left->setRule(text);
        break;
    default:
        fail();
        break;
    }
}

void CScenarioFileParser::scenarioEnd(const CVXLString& name)
{
    if (name == "scenario" && matched_ && depth_ == scenarioDepth_)
        stopWanted_ = true;
    else if (name == "scenarios" && !matched_)
        stopWanted_ = true;
}
