#include "engine/service/VRAXQueuedMessageRequest.h"

void CVRAXQueuedMessageRequest::writeFieldValues(const CVRAXMessageRecord::Field& field)
{
    switch (field.type) {
    case kFieldAudioAnnotation:
        if (message_->voiceAnnotation.length() != 0) {
            startElement("li");
            text(message_->voiceAnnotation);
            endElement();
        }
        break;
    case kFieldAlbums:
        writeItems(field.values);
        break;
    case kFieldComposites:
    case kFieldHelp:
        break;
    default:
        CVRAXMessageXferRequest::writeFieldValues(field);
        break;
    }
}

void CVRAXQueuedMessageRequest::writeBody()
{
    static const char* const kPriorities[] = {"Low", "Normal", "High"};
    if (!message_)
        return;
    startElement("mm-msg-xfer");
    if (message_->priority >= CVRAXMessageRecord::kPriorityLow
        && message_->priority <= CVRAXMessageRecord::kPriorityHigh)
        attribute("priority", kPriorities[message_->priority]);
    writeHead();
    for (const CVRAXMessageRecord::Field& field : message_->fields) {
        startElement("field");
        attribute("fid", field.id);
        writeFieldValues(field);
        endElement();
    }
    endElement();
    endElement();
}
