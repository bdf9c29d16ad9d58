#include "engine/client/VXLClient.h"

#include "engine/core/jobs/VXLResultCodes.h"

void CVXLClient::armPushTimer(std::uint32_t delay)
{
    if (!pushTimer_.isBusy())
        postDelayed(&pushTimer_, delay);
}

// Nothing new is handed over once the shut-down has begun. A queue whose
// last save failed is written again first.
void CVXLClient::processPendingPush()
{
    if (shutdownBegun_)
        return;
    if (!pushesStored_ && !pushTimer_.isBusy())
        wapPushQueue_.save();
    if (!wapPushQueue_.isLoaded()) {
        armPushTimer(kPushLoadWaitMs);
        return;
    }
    const CWapPushItem* head = wapPushQueue_.peekHead();
    if (!head || !settings_.isDataCommActive() || pushRequest_.isBusy() || pushTimer_.isBusy()
        || !pushReceiver_)
        return;
    pushRequest_.pdu = head->pdu;
    pushRequest_.fetchNow = head->fetchNow;
    pushRequest_.attempts = head->attempts;
    pushRequest_.backAfterCrash = head->backAfterCrash;
    post(pushReceiver_, &pushRequest_);
}

// A hand-over cancelled by the shut-down leaves the head as it was: a clean
// stop does not count as a failed attempt.
void CVXLClient::pushHandled(CVXLEvent* reply)
{
    const std::int32_t result = reply->result();
    finishEvent(reply);
    pushRequest_.pdu.clear();
    producer_.deliverPushPayload(result);
    if (result == kResultSucceeded || result == kPushResultDropped) {
        wapPushQueue_.popHead(nullptr);
        processPendingPush();
        return;
    }
    if (result == kPushResultKeep || (result == kResultCancelled && shutdownBegun_))
        return;
    wapPushQueue_.retryHead();
    if (wapPushQueue_.count() != 0)
        armPushTimer(kPushRetryMs);
}
