#include "engine/client/KORVClientServices.h"

#include "engine/client/VXLClient.h"
#include "engine/media/VXLAlbum.h"
#include "engine/messaging/store/VXLMessageSummary.h"

void CKORVClientServices::queueReturnToIdle()
{
    if (client_)
        client_->queueReturnToIdle();
}

void CKORVClientServices::queueUrlRequest(const CVXLString& url)
{
    if (client_)
        client_->queueUIUrlRequest(url);
}

std::uint16_t CKORVClientServices::captureLocation()
{
    return client_ ? client_->getCaptureLocation() : 0;
}

void CKORVClientServices::deselectAllMedia()
{
    if (client_)
        client_->getMediaAccessManager().clearAllSelections();
}

std::uint32_t CKORVClientServices::storeLocation(std::uint16_t store)
{
    return client_ ? client_->getMediaStoreManager().locationById(store) : 0;
}

std::uint16_t CKORVClientServices::defaultLocalStoreId()
{
    if (!client_)
        return 0;
    const CVXLMediaStoreManager& stores = client_->getMediaStoreManager();
    return stores.currentIndex() >= 0 ? stores.currentStoreId() : stores.storeIdAt(0);
}

std::uint32_t CKORVClientServices::albumLocation(const CVXLObject* album)
{
    const auto* a = dynamic_cast<const CVXLAlbum*>(album);
    return a ? a->location() : 0;
}

CVXLString CKORVClientServices::setting(const char* key)
{
    CVXLString value;
    if (client_)
        client_->settings().getPersistentString(key, &value);
    return value;
}

void CKORVClientServices::setSetting(const char* key, const CVXLString& value)
{
    if (client_)
        client_->settings().setPersistentString(key, value);
}

CVXLEventHandler* CKORVClientServices::scenarioManager()
{
    return client_ ? &client_->getScenarioManager() : nullptr;
}

CVXLEventHandler* CKORVClientServices::localMediaManager()
{
    return client_ ? &client_->getLocalMediaManager() : nullptr;
}

bool CKORVClientServices::isMessageNew(const CVXLString& messageId)
{
    return client_ && client_->getThreadDB().isMessageNew(messageId);
}

CVXLEventHandler* CKORVClientServices::threadDatabase()
{
    return client_ ? &client_->getThreadDB() : nullptr;
}

void CKORVClientServices::resetGlobalContacts()
{
    if (client_)
        client_->getGlobalContacts().removeAll();
}

CVXLString CKORVClientServices::messageId(const CVXLObject* object)
{
    const auto* summary = dynamic_cast<const CVXLMessageSummary*>(object);
    return summary ? summary->messageId() : CVXLString();
}

CVXLString CKORVClientServices::threadId(const CVXLObject* object)
{
    const auto* summary = dynamic_cast<const CVXLMessageSummary*>(object);
    if (!summary || !client_)
        return CVXLString();
    return client_->getThreadDB().normalise(summary->getDisplayAddress());
}
