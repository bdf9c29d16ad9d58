#include "engine/client/VXLClientVraxFace.h"

#include "engine/client/VXLClient.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/media/VXLMediaItemFacts.h"

CVXLString CVXLClientVraxFace::configItem(int item) const
{
    CVXLString text;
    client_->settings_.getConfigString(item, &text);
    return text;
}

std::uint32_t CVXLClientVraxFace::currentTime() const
{
    return client_->currentTime();
}

CVXLPersStore& CVXLClientVraxFace::settings()
{
    return client_->settings_.store();
}

CVRAXMediaFacts CVXLClientVraxFace::mediaFacts(const CVXLMediaItem& item) const
{
    return vxlMediaItemFacts(item);
}

// An online item's location is its id.
void CVXLClientVraxFace::setOnlineId(CVXLMediaItem& item, const CVXLString& id)
{
    item.setUid(id);
    item.setLocation(id);
}

void CVXLClientVraxFace::storeVraxId(const CVXLString& id)
{
    client_->settings_.storeVraxId(id);
}

void CVXLClientVraxFace::queueUrlRequest(const CVXLString& url)
{
    client_->queueUIUrlRequest(url);
}

void CVXLClientVraxFace::setErrorCode(std::int32_t code)
{
    client_->setErrorCode(code);
}
