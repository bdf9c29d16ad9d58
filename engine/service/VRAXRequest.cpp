#include "engine/service/VRAXRequest.h"

#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/service/VRAXEnvironment.h"
#include "engine/transport/net/VXLHttpSettings.h"

CVRAXRequest::CVRAXRequest(CVRAXEnvironment& environment)
    : environment_(environment)
{
}

CVRAXRequest::~CVRAXRequest() = default;

CVXLString CVRAXRequest::setting(const char* key) const
{
    CVXLString value;
    environment_.settings().get(key, &value);
    return value;
}

void CVRAXRequest::reset()
{
    CVXLXmlWriter::reset();
    envelopeStart_.clear();
    envelopeEnd_.clear();
}

void CVRAXRequest::writeEnvelopeStart()
{
    CVXLString lastReply = setting(kPersVraxTimeLastRsp);
    if (!environment_.settings().has(kPersVraxTimeLastRsp))
        lastReply = "0";
    CVXLString text("<?xml version=\"1.0\" ?>\n<VRAX ver=\"5.1\" seq=\"");
    text += CVXLString(sequence_);
    text += "\" time_req=\"";
    CVXLString now;
    now.setUnsigned(environment_.currentTime());
    text += now;
    text += "\" time_last_rsp=\"";
    text += lastReply;
    text += "\">\n";
    envelopeStart_.clear();
    envelopeStart_.append(text.c_str(), text.length());
}

void CVRAXRequest::writeEnvelopeEnd()
{
    envelopeEnd_.clear();
    envelopeEnd_.appendCString("</VRAX>");
}

CVXLByteBuffer CVRAXRequest::buildDocument()
{
    const CVXLString context = setting(kPersVraxContext);
    // Only the output: a writer's own reset also forgets what it serves.
    CVRAXRequest::reset();
    writeEnvelopeStart();
    startElement("context");
    if (context.length() != 0)
        text(context);
    endElement();
    writeBody();
    writeEnvelopeEnd();
    CVXLByteBuffer document;
    document.append(envelopeStart_.data(), envelopeStart_.length());
    document.append(output().data(), output().length());
    document.append(envelopeEnd_.data(), envelopeEnd_.length());
    return document;
}

void CVRAXRequest::writeAttrPair(const CVXLString& name, const CVXLString& value)
{
    startElement("attr");
    attribute("name", name);
    text(value);
    endElement();
}

void CVRAXRequest::writeAttrLimit(
    const CVXLString& name, const CVXLString& maxName, const CVXLString& maxValue)
{
    startElement("attr");
    attribute("name", name);
    attribute("max_name", maxName);
    attribute("max_value", maxValue);
    endElement();
}

void CVRAXRequest::writeDestList()
{
    startElement("destlist");
    attribute("def", kDefaults);
    endElement();
}

void CVRAXRequest::writeIdentity(bool validate)
{
    const CVXLString phone = environment_.phoneNumber();
    const CVXLString password = setting(kPersVraxPassword);
    const CVXLString id = setting(kPersVraxId);
    const bool registered = id.length() != 0;

    if (validate) {
        startElement("validate");
        attribute("def", kDefaults);
        writeAttrPair("id", id);
    } else if (registered) {
        startElement("dest-deviceid");
        attribute("def", kDefaults);
        attribute("id", id);
    } else {
        startElement("dest-userid");
        attribute("user", phone);
        attribute("def", kDefaults);
        attribute("passwd", password);
    }
    writeAttrPair("MOBILE_PHONE_NUMBER", environment_.phoneNumber());
    writeAttrPair("MOBILE_EMAIL", environment_.mobileEmail());
    writeAttrPair("LANG", environment_.language());
    writeAttrPair("CHAR_SET", "UTF-8");
    writeAttrPair("TS-Client-Version", CVXLString("EMB-VXL-") + CVXLHttpSettings::kEngineVersion);
    writeAttrPair("DEVICE_MODEL", environment_.deviceModel());
    writeAttrPair("DEVICE_ID", "");
    writeAttrPair("CONFIG_DATA_VER_ID", setting(kPersVraxVerId));
    writeAttrPair("CONFIG_DATA_LANG", setting(kPersVraxDataLang));
    if (validate)
        writeAttrPair("passwd", registered ? CVXLString() : password);
    endElement();
}

void CVRAXRequest::writeOrientPair(std::int32_t code)
{
    static const char* const kDegrees[] = {"90", "180", "270"};
    if (code >= 1 && code <= 3)
        writeAttrPair("ORIENT", kDegrees[code - 1]);
}
