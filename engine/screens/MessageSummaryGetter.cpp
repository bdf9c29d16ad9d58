#include "engine/screens/MessageSummaryGetter.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/jobs/VXLEventCodes.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/messaging/store/VXLStoredMessageId.h"
#include "engine/screens/VXLScreenServices.h"

CMessageSummaryGetter::CMessageSummaryGetter()
    : CVXLUiJob(&CMessageSummaryGetter::Initial, kFirstExternalCode)
{
}

CMessageSummaryGetter::~CMessageSummaryGetter() = default;

std::int32_t CMessageSummaryGetter::folderOf(const CVXLString& messageId)
{
    if (messageId.length() == 0)
        return -1;
    switch (CVXLStoredMessageId::kindOf(messageId)) {
    case VXLMessageStoreKind::Inbox:
        return kFolderInbox;
    case VXLMessageStoreKind::Sent:
        return kFolderSent;
    case VXLMessageStoreKind::Mailbox:
        return kFolderSaved;
    case VXLMessageStoreKind::Premium:
        return kFolderPremium;
    default:
        return -1;
    }
}

void CMessageSummaryGetter::init()
{
    CVXLUiJob::init();
    messageId_ = property(kPropertyId).toString();
    if (CVXLScreenServices* screen = services())
        screen->wireMessageService(service_);
}

void CMessageSummaryGetter::onEvent(CVXLEvent* event)
{
    if (filterEvent(event) != 0)
        return;
    if (event->kind() == kEventReply && event->effectiveCode() == kReplySummary)
        dispatch(event);
    finishEvent(event);
}

CVXLHsmState CMessageSummaryGetter::finish(std::int32_t result)
{
    notifyOwner(result);
    return transition(&CMessageSummaryGetter::Done);
}

CVXLHsmState CMessageSummaryGetter::Initial(const CVXLEvent*)
{
    setState(&CMessageSummaryGetter::Fetching);
    return handled();
}

CVXLHsmState CMessageSummaryGetter::Fetching(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalEntry:
        startChild(&service_);
        request_.reset();
        request_.boxType = kServiceBoxPremiumIds;
        request_.ids.insertAt(messageId_, -1);
        request_.size = 1;
        request_.count = 1;
        request_.records = &summary_;
        post(&service_, &request_);
        return handled();
    case kReplySummary:
        if (!e->succeeded() || request_.filled == 0) {
            VXL_LOG_INFO("summary getter: no summary of \"%s\" (%d)", messageId_.c_str(), e->result());
            showEventError(*e);
            return transition(&CMessageSummaryGetter::Failed);
        }
        setProperty(kPropertySummary, CVXLVariant(static_cast<const void*>(&summary_)));
        setProperty(kPropertyFolder, CVXLVariant(static_cast<int>(folderOf(messageId_))));
        notifyOwner(kEndDelivered);
        return transition(&CMessageSummaryGetter::Delivered);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CMessageSummaryGetter::Delivered(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kSignalGoOn:
    case kSignalCancelled:
        return finish(kEndBack);
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        return handled();
    }
    return super(&CVXLHsm::top);
}

// Whatever the answer to the error, the program is told 7.
CVXLHsmState CMessageSummaryGetter::Failed(const CVXLEvent* e)
{
    switch (signalOf(e)) {
    case kChildContinue:
    case kChildBack:
    case kChildCancel:
    case kChildExit:
        return finish(kEndFailed);
    }
    return super(&CVXLHsm::top);
}

CVXLHsmState CMessageSummaryGetter::Done(const CVXLEvent* e)
{
    if (signalOf(e) == kSignalEntry) {
        stop();
        return handled();
    }
    return super(&CVXLHsm::top);
}
