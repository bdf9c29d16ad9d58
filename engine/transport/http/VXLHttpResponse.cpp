#include "engine/transport/http/VXLHttpResponse.h"

CVXLHttpResponse::CVXLHttpResponse()
    : CVXLEvent(kRequestCode, kReplyCode)
{
    headers_.setCaseInsensitive(true);
}

void CVXLHttpResponse::reset()
{
    flags_ = 0;
    contentLength_ = 0;
    sink_ = nullptr;
    readSize_ = 0;
    headers_.clear();
    statusText_.clear();
    reason_.clear();
    setResult(0);
}
