#include "engine/service/VRAXMediaListRequest.h"

#include "engine/service/VRAXEnvironment.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"

CVRAXMediaListRequest::CVRAXMediaListRequest(CVRAXEnvironment& environment)
    : CVRAXRequest(environment)
{
    reset();
}

void CVRAXMediaListRequest::reset()
{
    upload_ = nullptr;
    mode_ = kTransfer;
    CVRAXRequest::reset();
}

bool CVRAXMediaListRequest::needsNoLookup() const
{
    if (mode_ == kLookedUp)
        return true;
    return upload_ && upload_->item && environment().mediaFacts(*upload_->item).uid.length() == 0;
}

void CVRAXMediaListRequest::writeBody()
{
    static const char* const kTransferTypes[] = {"upload", "share", "forward"};
    if (!upload_ || !upload_->item || (mode_ != kLookup && mode_ != kTransfer))
        return;
    const CVRAXMediaFacts facts = environment().mediaFacts(*upload_->item);
    if (mode_ == kLookup) {
        startElement("media-list");
        writeIdentity(false);
        startElement("list");
        attribute("offset", "0");
        attribute("count", "1");
        attribute("total", "1");
        startElement("li");
        attribute("lid", "");
        attribute("uid", facts.uid);
        attribute("total", "1");
        attribute("type", facts.mimeType);
        attribute("parentid", upload_->parentId);
        endElement();
        endElement();
        endElement();
        return;
    }
    const CVXLString count(upload_->size);
    startElement("media-xfer");
    if (upload_->transferKind >= CVXLOnlineUploadRequest::kKindUpload
        && upload_->transferKind <= CVXLOnlineUploadRequest::kKindForward)
        attribute("type", kTransferTypes[upload_->transferKind - CVXLOnlineUploadRequest::kKindUpload]);
    writeIdentity(false);
    startElement("elem");
    attribute("lid", "");
    attribute("uid", facts.uid);
    attribute("offset", "0");
    attribute("count", count);
    attribute("total", count);
    attribute("origdisposition", "0");
    attribute("parentid", upload_->parentId);
    writeAttrPair("TITLE", facts.title);
    writeAttrPair("SECONDSUTC", CVXLString(facts.captureTime));
    writeOrientPair(facts.orientation);
    writeAttrPair("LAT_3GPP2", CVXLString(facts.latitude));
    writeAttrPair("LON_3GPP2", CVXLString(facts.longitude));
    endElement();
    endElement();
}
