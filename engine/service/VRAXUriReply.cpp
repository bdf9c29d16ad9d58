#include "engine/service/VRAXUriReply.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/text/VXLUri.h"
#include "engine/service/VRAXEnvironment.h"

void CVRAXUriReply::onText(const CVXLString& text)
{
    if (element() == "uri") {
        // The page opens in a browser; only web addresses go that far.
        const CVXLString scheme = CVXLUri(text).scheme();
        if (scheme == "http" || scheme == "https")
            environment().queueUrlRequest(text);
        else
            VXL_LOG_INFO("reply: uri \"%s\" not shown: not an http or https address", text.c_str());
    }
    CVRAXReplyParser::onText(text);
}
