#include "engine/service/VRAXListChoiceAckReply.h"

void CVRAXListChoiceAckReply::onElement(const CVXLString& name, bool start)
{
    CVRAXReplyParser::onElement(name, start);
    if (name != "list-choice-resp-ack")
        return;
    if (start)
        inAck_ = true;
    else
        setResult(kVraxReplyDone);
}

void CVRAXListChoiceAckReply::onAttribute(const CVXLString& name, const CVXLString& value)
{
    if (inAck_ && name == "id")
        choiceId_ = value;
}
