#include "engine/service/VRAXListChoiceResponse.h"

void CVRAXListChoiceResponse::writeBody()
{
    startElement("list-choice-resp");
    writeIdentity(false);
    writeAttrPair("request", requestId_);
    writeAttrPair("choice", choice_);
    endElement();
}
