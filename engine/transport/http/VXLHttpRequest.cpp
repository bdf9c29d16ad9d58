#include "engine/transport/http/VXLHttpRequest.h"

CVXLHttpRequest::CVXLHttpRequest(std::int32_t requestCode, std::int32_t replyCode)
    : CVXLEvent(requestCode, replyCode)
{
    headers_.setCaseInsensitive(true);
}

void CVXLHttpRequest::reset(const CVXLString& proxyUri)
{
    flags_ = 0;
    contentLength_ = 0;
    expectedReplyLength_ = 0;
    url_ = CVXLString();
    proxyUri_ = proxyUri;
    headers_.clear();
    flags_ = kFlagHttp11;
}
