#include "engine/service/VRAXMgmtRequest.h"

namespace {

const char* const kClientSupports[] = {
    "cs-err-group-cancel",
    "cs-msg-config-attr",
    "extended-identifier",
    "scenario-1.5",
    "destList2",
    "supportsVisualMultiMedia",
};

} // namespace

void CVRAXMgmtRequest::writeBody()
{
    CVXLString supports;
    for (const char* word : kClientSupports) {
        if (supports.length() != 0)
            supports += ",";
        supports += word;
    }
    startElement("mgmt-req");
    startElement("client-supports");
    text(supports);
    endElement();
    writeIdentity(true);
    writeDestList();
    endElement();
}
