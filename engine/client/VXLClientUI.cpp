#include "engine/client/VXLClient.h"

#include "engine/client/menu/VXLMenuLink.h"
#include "engine/core/jobs/VXLCounterTable.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLUiJobPool.h"

void CVXLClient::onUiRequest(std::int32_t code)
{
    switch (code) {
    case kUIRequestDataCommOff:
        settings_.setPersistentString(kPersDatacommActive, "0");
        break;
    case kUIRequestDataCommOn:
        settings_.setPersistentString(kPersDatacommActive, "1");
        processPendingPush();
        break;
    case kUIRequestBackground:
        settings_.setPersistentString(kPersForegroundActive, "0");
        break;
    case kUIRequestForeground:
        settings_.setPersistentString(kPersForegroundActive, "1");
        break;
    case kUIRequestMenuChanged:
        requestDestinationList();
        break;
    default:
        break;
    }
}

void CVXLClient::requestShutdown()
{
    requestSuspend(2);
    shutdownCountdown_ = kShutdownCountdown;
    shutdownFlag_ = true;
}

void CVXLClient::requestSuspend(int what)
{
    if (what == 0 || what == 2) {
        pendingCodes_.remove(kUIRequestDataCommOn);
        pendingCodes_.push(kUIRequestDataCommOff);
    }
    if (what == 1 || what == 2) {
        pendingCodes_.remove(kUIRequestForeground);
        pendingCodes_.push(kUIRequestBackground);
    }
    if (what == 2) {
        pendingCodes_.remove(kUIRequestActivityEnded);
        pendingCodes_.push(kUIRequestActivityBegan);
        pendingCodes_.remove(kUIRequestMediaChanged);
    }
}

int CVXLClient::requestResume(int what)
{
    switch (what) {
    case 0:
        pendingCodes_.remove(kUIRequestDataCommOff);
        pendingCodes_.push(kUIRequestDataCommOn);
        return 1;
    case 1:
        pendingCodes_.remove(kUIRequestBackground);
        pendingCodes_.push(kUIRequestForeground);
        return 1;
    case 2:
        pendingCodes_.remove(kUIRequestBackground);
        pendingCodes_.push(kUIRequestForeground);
        pendingCodes_.remove(kUIRequestDataCommOff);
        pendingCodes_.push(kUIRequestDataCommOn);
        return 1;
    default:
        return 0;
    }
}

void CVXLClient::beginActivity()
{
    if (activityCount_++ == 0)
        pendingCodes_.push(kUIRequestActivityBegan);
}

void CVXLClient::endActivity()
{
    if (activityCount_ == 0)
        return;
    if (--activityCount_ == 0)
        pendingCodes_.push(kUIRequestActivityEnded);
}

bool CVXLClient::appendRequest(CVXLUIRequest* request)
{
    if (!request)
        return false;
    if (!requestQueue_.append(request)) {
        delete request;
        return false;
    }
    return true;
}

void CVXLClient::queueUINotification(CVXLLayout* layout, std::uint32_t kind, CVXLLayout* replaced)
{
    if (kind > kUIRequestReplaceLayout)
        return;
    auto* request = new CVXLUIRequest(static_cast<UIRequestKind>(kind));
    if (!request)
        return;
    request->setLayout(layout);
    if (kind == kUIRequestReplaceLayout)
        request->setReplacedLayout(replaced);
    if (!appendRequest(request))
        return;
    switch (kind) {
    case kUIRequestNewLayout:
        counters_.add(kCounterNewLayouts, 1);
        counters_.set(kCounterUpdatesSinceNew, 0);
        break;
    case kUIRequestUpdatedLayout:
        counters_.add(kCounterUpdatesSinceNew, 1);
        break;
    case kUIRequestReleaseLayout:
        counters_.add(kCounterReleaseRequests, 1);
        break;
    default:
        break;
    }
}

void CVXLClient::queueReturnToMenu(std::int32_t value)
{
    if (menuId_ == kNoMenu)
        return;
    auto* request = new CVXLUIRequest(kUIRequestReturnToMenu);
    if (!request)
        return;
    request->setMenu(menuId_, value);
    appendRequest(request);
}

void CVXLClient::queueUIUrlRequest(const CVXLString& url)
{
    auto* request = new CVXLUIRequest(kUIRequestProcessUrl);
    if (!request)
        return;
    request->setUrl(url);
    appendRequest(request);
}

void CVXLClient::queueLinkRequest(int n)
{
    const auto* link = static_cast<const CVXLMenuLink*>(links_.at(n));
    if (link)
        queueUIUrlRequest(link->url());
}

void CVXLClient::queueReturnToIdle()
{
    appendRequest(new CVXLUIRequest(kUIRequestReturnToIdle));
}

CVXLUIRequest* CVXLClient::popUIRequest()
{
    shownRequest_ = static_cast<CVXLUIRequest*>(requestQueue_.front());
    return shownRequest_;
}

void CVXLClient::releaseLayout(CVXLLayout* layout)
{
    counters_.add(kCounterLayoutsReleased, 1);
    producer_.layoutReleased(layout);
}

std::uint32_t CVXLClient::currentTime()
{
    return clock_ ? clock_->seconds() : 0;
}

std::uint32_t CVXLClient::clockMilliseconds()
{
    return clock_ ? clock_->tickCount() : 0;
}

CVXLPlatformFileStore* CVXLClient::getFileStore()
{
    if (!fileStore_.store && factory_)
        fileStore_.store = factory_->createFileStore();
    return fileStore_.store;
}

CVXLPlatformMediaSource* CVXLClient::getMediaSource()
{
    if (!mediaSource_ && factory_)
        mediaSource_ = factory_->createMediaSource();
    return mediaSource_;
}

CVXLPlatformMessageStore* CVXLClient::getMessageStore()
{
    if (!messageStore_ && factory_)
        messageStore_ = factory_->createMessageStore();
    return messageStore_;
}

void CVXLClient::setUiJobPool(CVXLUiJobPool* pool)
{
    if (pool == uiJobPool_.pool)
        return;
    delete uiJobPool_.pool;
    uiJobPool_.pool = pool;
    if (pool) {
        pool->setLayoutNamed([this](const CVXLLayout* layout) { return requestNamesLayout(layout); });
        pool->setServices(&screensFace_);
    }
    producer_.setUiJobPool(pool);
}

void CVXLClient::releaseUiJobPool()
{
    if (uiJobPool_.pool)
        uiJobPool_.pool->destroyAll();
}
