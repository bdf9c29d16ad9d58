#include "engine/service/VRAXMediaXferRequest.h"

#include "engine/service/VRAXEnvironment.h"

void CVRAXMediaXferRequest::writeBody()
{
    if (!item_)
        return;
    const CVRAXMediaFacts facts = environment().mediaFacts(*item_);
    startElement("media-xfer");
    attribute("type", "upload");
    writeIdentity(false);
    startElement("elem");
    attribute("lid", "");
    attribute("uid", facts.uid);
    attribute("offset", "0");
    attribute("count", "0");
    attribute("total", "0");
    writeAttrPair("TITLE", facts.title);
    writeOrientPair(facts.orientation);
    endElement();
    endElement();
}
