#include "engine/service/VRAXContainerReply.h"

#include "engine/service/VRAXContainerOperation.h"
#include "engine/service/VRAXContainerRequest.h"

void CVRAXContainerReply::onAttribute(const CVXLString& name, const CVXLString& value)
{
    CVRAXReplyParser::onAttribute(name, value);
    if (!request_ || !request_->operation() || request_->mode() != CVRAXContainerRequest::kContainerOperation)
        return;
    if (element() == "container" && name == "id")
        request_->operation()->containerId = value;
}
