#include "engine/screens/VXLPasswordJob.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "engine/service/VRAXPromptEvent.h"

namespace {

// Text table ids.
constexpr std::uint32_t kTitleText = 435;
constexpr std::uint32_t kErrorText = 436;
constexpr std::uint32_t kPassText = 437;
constexpr std::uint32_t kContinueText = 438;
constexpr std::uint32_t kChangeText = 439;
constexpr std::uint32_t kAddText = 440;

constexpr std::uint32_t kPassMin = 1;
constexpr std::uint32_t kPassMax = 32;
// The composer's state with Continue, Back and Exit.
constexpr std::uint32_t kPasswordState = 2;
// The field "pass" holds at least one character.
constexpr const char* kRule = "1G0*";

} // namespace

void CVXLPasswordJob::buildRecord()
{
    record_.clear();
    auto* title = new CScenarioField;
    if (title) {
        title->fieldDescription().setTypeCode(kFieldTitle);
        title->fieldDescription().setVisible(true);
        title->fieldDescription().setCaption(screenText(kTitleText));
        record_.addField(title);
    }
    auto* pass = new CScenarioField;
    if (pass) {
        CScenarioFieldDescription& d = pass->fieldDescription();
        d.setType("subj");
        d.setName(kPassField);
        d.setCaption(screenText(kPassText));
        d.setVisible(true);
        d.setEditable(true);
        d.setModifiers(kModifierPw);
        d.appendMin(kPassMin);
        d.appendMax(kPassMax);
        pass->setFieldId(kPassField);
        pass->setErrorText(screenText(kErrorText));
        CScenarioLabel& right = d.rightSoftKey();
        right.setCaptions(CVXLTextPair(screenText(kContinueText), screenText(kContinueText)));
        right.setActionFromKeyword(true, "send");
        right.setActionFromKeyword(false, "disperr");
        right.setRule(kRule);
        CScenarioLabel& left = d.leftSoftKey();
        left.setCaptions(CVXLTextPair(screenText(kChangeText), screenText(kAddText)));
        left.setActionFromKeyword(true, "change");
        left.setActionFromKeyword(false, "add");
        left.setRule(kRule);
        record_.addField(pass);
    }
    record_.setInitialFocus(1);
    record_.setErrorText(screenText(kErrorText));
    built_ = true;
}

CScenarioField* CVXLPasswordJob::passField() const
{
    for (std::uint32_t i = 0; i < record_.fieldCount(); ++i)
        if (record_.fieldAt(i)->fieldId() == kPassField)
            return record_.fieldAt(i);
    return nullptr;
}

void CVXLPasswordJob::onStart()
{
    refused_ = false;
    event_ = dynamic_cast<CVRAXPromptEvent*>(static_cast<CVXLObject*>(property(kPropertyEvent).reference()));
    if (!built_)
        buildRecord();
    // A password typed before is never offered again.
    if (CScenarioField* pass = passField())
        pass->values().clear();
    layout_.prepare();
    layout_.setOwner(this);
    layout_.setState(kPasswordState);
    layout_.build(&record_);
    present(&layout_);
}

void CVXLPasswordJob::onLayoutAction(std::uint32_t eventId)
{
    switch (eventId & 0xFFFFu) {
    case kLayoutActionContinue: {
        const CScenarioField* pass = passField();
        const CVXLString text = pass ? pass->values().at(0) : CVXLString();
        const std::uint32_t length = CVXLUserInputTextElement::characterCount(text);
        if (length < kPassMin || length > kPassMax) {
            refused_ = true;
            showInfoText(screenText(kErrorText), kNoticeFieldText, 0, 1);
            return;
        }
        if (event_)
            event_->text = text;
        end(kEndDone);
        return;
    }
    case kLayoutActionBack:
    case kLayoutActionExit:
        if (event_)
            event_->setResult(kResultCancelled);
        end((eventId & 0xFFFFu) == kLayoutActionBack ? kEndBack : kEndExit);
        return;
    default:
        return;
    }
}

void CVXLPasswordJob::onSignal(std::int32_t signal)
{
    if (!refused_ || signal < kChildContinue || signal > kChildExit)
        return;
    refused_ = false;
    if (signal == kChildExit) {
        if (event_)
            event_->setResult(kResultCancelled);
        end(kEndExit);
        return;
    }
    refreshLayout();
}

void CVXLPasswordJob::end(std::int32_t result)
{
    event_ = nullptr;
    endWith(result);
}
