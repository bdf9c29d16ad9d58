#include "engine/client/VXLClient.h"

#include "engine/client/menu/VXLMenuLink.h"
#include "engine/client/scenario/VXLTextPair.h"
#include "engine/client/VXLUIRequestFifo.h"
#include "engine/core/base/VXLList.h"

bool CVXLClient::ScenarioFace::getSetting(const char* key, CVXLString& value) const
{
    return client_->settings_.getPersistentString(key, &value) == 1;
}

void CVXLClient::ScenarioFace::setPersistentString(const char* key, const CVXLString& value)
{
    client_->settings_.setPersistentString(key, value);
}

void CVXLClient::ScenarioFace::clearMenuLinks()
{
    client_->links_.deleteAll();
}

void CVXLClient::ScenarioFace::addMenuLink(CVXLTextPair* link)
{
    if (!link)
        return;
    client_->addLink(new CVXLMenuLink(link->first(), link->second()));
    delete link;
}

void CVXLClient::ScenarioFace::pushUIRequest(std::int32_t code)
{
    client_->pushUIRequestCode(code);
}

CVXLCounterTable& CVXLClient::ProducerFace::counters()
{
    return client_->counters_;
}

void CVXLClient::ProducerFace::queueReturnToMenu(std::int32_t value)
{
    client_->queueReturnToMenu(value);
}

void CVXLClient::ProducerFace::queueReturnToIdle()
{
    client_->queueReturnToIdle();
}

void CVXLClient::ProducerFace::queuePushPayloadNotice()
{
    client_->pendingCodes_.push(kUIRequestPushPayload);
}

void CVXLClient::ProducerFace::clearResultHandlers()
{
    client_->resultHandlers_.clear();
}

void CVXLClient::ProducerFace::releaseUiJobPool()
{
    client_->releaseUiJobPool();
}

void CVXLClient::MenuFace::queueLinkRequest(int n)
{
    client_->queueLinkRequest(n);
}

void CVXLClient::MenuFace::queueReturnToMenu(std::int32_t value)
{
    client_->queueReturnToMenu(value);
}

void CVXLClient::MenuFace::setCaptureLocation(std::uint16_t location)
{
    client_->captureLocation_ = location;
}

void CVXLClient::MenuFace::clearFavorite(int n)
{
    client_->settings_.clearFavorite(n);
}

CVXLList& CVXLClient::MenuFace::selectedObjects()
{
    return client_->objectList_;
}
