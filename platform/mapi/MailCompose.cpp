#include "platform/mapi/MailCompose.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/mapi/MessageRecord.h"

#include <utility>

namespace tessel::mapi {

std::uint32_t mailComposeMessage(const ComposeFields& fields)
{
    std::string line;
    for (const auto& [name, text] : {std::pair {"to=", &fields.to}, {" subject=", &fields.subject},
             {" body=", &fields.body}, {" account=", &fields.account}, {" class=", &fields.messageClass}})
        line += name + escapeText(*text, true);
    kernel::appendDeviceLog("compose", line);
    return kMapiOk;
}

} // namespace tessel::mapi
