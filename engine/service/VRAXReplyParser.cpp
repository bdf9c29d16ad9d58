#include "engine/service/VRAXReplyParser.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/core/text/VXLUri.h"
#include "engine/service/VRAXEnvironment.h"

CVRAXReplyParser::CVRAXReplyParser(CVRAXEnvironment& environment)
    : environment_(environment)
{
}

CVRAXReplyParser::~CVRAXReplyParser() = default;

void CVRAXReplyParser::reset()
{
    pairName_.clear();
    pairs_.clear();
    element_.clear();
    CVXLXmlReader::reset();
}

void CVRAXReplyParser::setResult(std::int32_t result)
{
    result_ = result;
    if (result != kVraxReplyUndecided)
        stop();
}

std::int32_t CVRAXReplyParser::parse(const CVXLByteBuffer& reply)
{
    result_ = kVraxReplyUndecided;
    CVXLString now;
    now.setUnsigned(environment_.currentTime());
    environment_.settings().set(kPersVraxTimeLastRsp, now);
    // The pairs stay: the owner resets between replies.
    CVXLXmlReader::reset();
    element_.clear();
    feed(reply.data(), reply.length());
    if (hasOpenElements())
        popAll();
    return result_;
}

void CVRAXReplyParser::onElement(const CVXLString& name, bool start)
{
    element_ = start ? name : CVXLString();
    if (isError(name))
        setResult(kVraxReplyError);
    else if (isAlert(name))
        setResult(kVraxReplyAlert);
    else if (!start && name == "VRAX")
        setResult(kVraxReplyDone);
}

void CVRAXReplyParser::onAttribute(const CVXLString& name, const CVXLString& value)
{
    if (element_ == "attr" && name == "name")
        pairName_ = value;
}

void CVRAXReplyParser::onText(const CVXLString& text)
{
    if (element_ == "attr") {
        pairs_.set(pairName_, text);
    } else if (element_ == "context") {
        environment_.settings().set(kPersVraxContext, text);
    } else if (element_ == "uri-replace") {
        if (isAcceptableServerUri(text))
            environment_.settings().set(kPersVraxUrl, text);
        else
            VXL_LOG_INFO("reply: uri-replace \"%s\" ignored: not an http address with a host", text.c_str());
    }
}

// The protocol has no document types, and one could declare entities that
// grow without end: the reply is refused before any of it is read.
void CVRAXReplyParser::onDoctype()
{
    VXL_LOG_FAILURE("reply: a document type declaration refused");
    setResult(kVraxReplyFraming);
}

void CVRAXReplyParser::onMalformed()
{
    VXL_LOG_INFO("reply: document is not well-formed; read up to %s", elementPath().c_str());
}

bool CVRAXReplyParser::isAcceptableServerUri(const CVXLString& text)
{
    const CVXLUri uri(text);
    if (uri.scheme() != "http")
        return false;
    const CVXLString host = uri.hostPort();
    return host.length() != 0 && host.c_str()[0] != ':';
}
