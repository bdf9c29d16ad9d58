#include "shell/tesselfm/RuleClient_Tessel.h"

#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/TextCodec.h"
#include "platform/mapi/BodyStream.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MessageStore.h"
#include "platform/mapi/PropValue.h"
#include "shell/tesselfm/FmModule.h"

#include <memory>
#include <new>

namespace tessel::fm {

namespace {

constexpr const char* kTesselClass = "IPM.SMSText.Tessel";

} // namespace

com::HResult CRuleClient_Tessel::create(com::IUnknown** object)
{
    auto* client = new (std::nothrow) CRuleClient_Tessel;
    if (!client)
        return com::kEOutOfMemory;
    *object = static_cast<mapi::IMailRuleClient*>(client);
    return com::kSOk;
}

CRuleClient_Tessel::~CRuleClient_Tessel()
{
    fmTrace("CRuleClient_Tessel - Destroying self");
}

com::HResult CRuleClient_Tessel::initialize(mapi::MessageStore*, std::int32_t* access)
{
    if (access)
        *access = mapi::kRuleAccessReadWrite;
    return com::kSOk;
}

bool CRuleClient_Tessel::splitNotice(const std::string& text, std::string* body, std::string* subject)
{
    const std::size_t marker = text.find(kServiceMarker);
    if (marker == std::string::npos)
        return false;
    *body = text.substr(0, marker);
    std::size_t cut = marker;
    // Only a cut before the marker shortens the subject: the service's
    // instruction after the marker is no part of it.
    for (const char* end : {kClickGo, "\n"}) {
        const std::size_t at = text.find(end);
        if (at < cut)
            cut = at;
    }
    *subject = text.substr(0, cut);
    return true;
}

com::HResult CRuleClient_Tessel::processMessage(mapi::MessageStore* store, std::uint32_t entryIdSize,
    const std::uint8_t* entryId, std::uint32_t, const std::uint8_t*, std::uint32_t* eventType,
    std::int32_t* handled)
{
    if (kernel::deviceFacts().oemInfo == kSkippedModel)
        return com::kSOk;
    if (!store || !entryId || !eventType || !handled)
        return com::kEInvalidArg;

    std::unique_ptr<mapi::MapiMessage> message;
    std::uint32_t result
        = store->openMessage(std::string(reinterpret_cast<const char*>(entryId), entryIdSize), &message);
    if (result != mapi::kMapiOk) {
        fmLog("Unable to get the message!\r\n");
        return static_cast<com::HResult>(result);
    }
    const mapi::PropRow props = message->getProps({mapi::kPropSenderEmail, mapi::kPropSubject});
    const std::string sender = props[0].isMissing() ? std::string() : props[0].text;
    const bool unknownSender = !sender.empty() && sender.find(kUnknownSender) != std::string::npos;
    if (props[1].isMissing()) {
        fmLog("Unable to get the message body!\r\n");
        *handled = mapi::kRuleNotHandled;
        return static_cast<com::HResult>(mapi::kMapiNotFound);
    }
    std::string body;
    std::string subject;
    if (!splitNotice(props[1].text, &body, &subject)) {
        *handled = mapi::kRuleNotHandled;
        return com::kSOk;
    }

    std::unique_ptr<mapi::BodyStream> stream;
    result = message->openBody(true, &stream);
    if (result != mapi::kMapiOk)
        return static_cast<com::HResult>(result);
    const std::string wide = kernel::utf8ToUtf16Bytes(body);
    stream->write(wide.data(), static_cast<std::uint32_t>(wide.size()));
    stream->commit();
    stream.reset();
    result = message->setProps({
        mapi::PropValue::ofText(mapi::kPropMessageClass, kTesselClass),
        mapi::PropValue::ofText(mapi::kPropSubject, subject),
        mapi::PropValue::ofNumber(mapi::kPropImportance, kImportanceNormal),
        mapi::PropValue::ofNumber(
            mapi::kPropNoticeKind, unknownSender ? kNoticeFromUnknown : kNoticeFromService),
    });
    // Body and values are saved together: the message is never left with
    // the new body under its old class.
    if (result == mapi::kMapiOk)
        result = message->saveChanges();
    if (result != mapi::kMapiOk)
        return static_cast<com::HResult>(result);
    *handled = mapi::kRuleHandledContinue;
    *eventType = mapi::kRuleEventModified;
    return com::kSOk;
}

} // namespace tessel::fm
