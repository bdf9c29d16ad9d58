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
    kept_ = Kept::None;
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
    kept_ = Kept::None;
    feed(reply.data(), reply.length());
    if (hasOpenElements())
        popAll();
    return result_;
}

CVRAXReplyParser::Kept CVRAXReplyParser::keptOf(const CVXLString& name)
{
    if (named(name, "attr"))
        return Kept::Attr;
    if (named(name, "context"))
        return Kept::Context;
    return named(name, "uri-replace") ? Kept::UriReplace : Kept::None;
}

void CVRAXReplyParser::onElement(const CVXLString& name, bool start)
{
    if (start) {
        element_.assign(name.c_str(), name.length());
        kept_ = keptOf(name);
    } else {
        // Emptied in place: the block serves the next name.
        element_.assign("", 0);
        kept_ = Kept::None;
    }
    if (isError(name))
        setResult(kVraxReplyError);
    else if (isAlert(name))
        setResult(kVraxReplyAlert);
    else if (!start && named(name, "VRAX"))
        setResult(kVraxReplyDone);
}

void CVRAXReplyParser::onAttribute(const CVXLString& name, const CVXLString& value)
{
    if (kept_ == Kept::Attr && named(name, "name"))
        pairName_.assign(value.c_str(), value.length());
}

void CVRAXReplyParser::onText(const CVXLString& text)
{
    if (kept_ == Kept::Attr) {
        pairs_.set(pairName_, text);
    } else if (kept_ == Kept::Context) {
        environment_.settings().set(kPersVraxContext, text);
    } else if (kept_ == Kept::UriReplace) {
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
