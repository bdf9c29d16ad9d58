#include "engine/service/VRAXUploadReply.h"

#include "engine/service/VRAXEnvironment.h"

void CVRAXUploadReply::onAttribute(const CVXLString& name, const CVXLString& value)
{
    CVRAXReplyParser::onAttribute(name, value);
    if (item_ && element() == "elem" && name == "id")
        environment().setOnlineId(*item_, value);
}
