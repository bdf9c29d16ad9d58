#include "engine/service/VRAXMediaXferReply.h"

#include "engine/service/VRAXEnvironment.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"

void CVRAXMediaXferReply::onAttribute(const CVXLString& name, const CVXLString& value)
{
    CVRAXReplyParser::onAttribute(name, value);
    if (upload_ && upload_->item && element() == "elem" && name == "id")
        environment().setOnlineId(*upload_->item, value);
}
