#include "engine/service/VRAXMessageXferRequest.h"

namespace {

bool startsWith(const CVXLString& text, const char* prefix)
{
    return text.find(prefix) == 0;
}

} // namespace

void CVRAXMessageXferRequest::writeHead()
{
    writeIdentity(false);
    writeDestList();
    startElement("scenario");
    attribute("id", message_->scenarioId);
    if (message_->cookie.length() != 0)
        attribute("cookie", message_->cookie);
}

void CVRAXMessageXferRequest::writeMediaOfType(const char* mimePrefix)
{
    for (const CVRAXMessageRecord::Media& media : message_->media) {
        if (!startsWith(media.mimeType, mimePrefix))
            continue;
        startElement("li");
        text(media.name);
        endElement();
    }
}

void CVRAXMessageXferRequest::writeItems(const CVXLStringArray& texts)
{
    for (std::uint32_t i = 0; i < texts.count(); ++i) {
        startElement("li");
        text(texts.at(static_cast<int>(i)));
        endElement();
    }
}

void CVRAXMessageXferRequest::writeFieldValues(const CVRAXMessageRecord::Field& field)
{
    switch (field.type) {
    case kFieldImages:
        writeMediaOfType("image/");
        break;
    case kFieldVideos:
        writeMediaOfType("video/");
        break;
    case kFieldTypeList:
        writeMediaOfType("image/");
        writeMediaOfType("video/");
        break;
    case kFieldAddressList:
        writeItems(message_->addresses);
        break;
    case kFieldTitle:
    case kFieldSubject:
    case kFieldShortMessage:
    case kFieldAddress:
        writeItems(field.values);
        break;
    default:
        break;
    }
}

void CVRAXMessageXferRequest::writeBody()
{
    if (!message_)
        return;
    startElement("mm-msg-xfer");
    writeHead();
    for (const CVRAXMessageRecord::Field& field : message_->fields) {
        if (!field.outgoing)
            continue;
        startElement("field");
        attribute("fid", field.id);
        writeFieldValues(field);
        endElement();
    }
    endElement();
    endElement();
}
