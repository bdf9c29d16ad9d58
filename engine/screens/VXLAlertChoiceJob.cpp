#include "engine/screens/VXLAlertChoiceJob.h"

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/screens/VXLChoiceElement.h"
#include "engine/service/VRAXListReplyParser.h"
#include "engine/service/VRAXPromptEvent.h"

void CVXLAlertChoiceJob::onStart()
{
    layout_.setState(0);
    layout_.clearChoices();
    layout_.setTitleText(CVXLString());
    layout_.setTimeout(0);
    alert_ = dynamic_cast<CVRAXPromptEvent*>(static_cast<CVXLObject*>(property(kPropertyAlert).reference()));
    const CVRAXListReplyParser* list = alert_ ? alert_->list : nullptr;
    if (list) {
        layout_.setTitleText(list->message());
        layout_.setTimeout(list->timeout());
        std::int32_t marked = -1;
        std::int32_t index = 0;
        for (CVXLListIterator it = list->items(); !it.atEnd(); it.next(), ++index) {
            const auto* item = static_cast<const CVRAXListItem*>(it.current());
            auto* choice = new CVXLChoiceElement;
            if (!choice)
                break;
            choice->setKey(item->id);
            choice->setText(item->text);
            if (item->isDefault && marked < 0) {
                choice->setSelected(1);
                marked = index;
            }
            if (!layout_.addChoice(choice))
                break;
        }
        layout_.setSelectedIndex(marked < 0 ? 0 : marked);
    }
    if (layout_.getItemCount() == 0 && layout_.timeout() == 0) {
        answer(true, CVXLString(), kEndDone);
        return;
    }
    present(&layout_);
}

void CVXLAlertChoiceJob::onLayoutAction(std::uint32_t eventId)
{
    switch (eventId & 0xFFFFu) {
    case kLayoutActionBack:
    case kLayoutActionCancel:
        answer(false, CVXLString(), kEndBack);
        return;
    case kLayoutActionExit:
        answer(false, CVXLString(), kEndExit);
        return;
    case kLayoutActionContinue: {
        const CVXLString* key = layout_.selectedKey();
        if (!key && layout_.timeout() == 0) {
            updateLayout();
            return;
        }
        CVXLString text;
        for (std::uint32_t i = 0; i < layout_.getItemCount(); ++i)
            if (layout_.choiceAt(i)->isSelected()) {
                text = layout_.choiceAt(i)->text();
                break;
            }
        answer(true, text, kEndDone);
        return;
    }
    case kLayoutActionSelect:
        if (CVXLChoiceElement* focused
            = layout_.choiceAt(static_cast<std::uint32_t>(layout_.selectedIndex()))) {
            layout_.deselectAll();
            focused->setSelected(1);
        }
        updateLayout();
        return;
    default:
        return;
    }
}

// The Producer completes the alert once the program has run.
void CVXLAlertChoiceJob::answer(bool succeeded, const CVXLString& text, std::int32_t result)
{
    if (alert_) {
        alert_->text = text;
        alert_->setResult(succeeded ? kResultSucceeded : kResultFailed);
    }
    alert_ = nullptr;
    endWith(result);
}
