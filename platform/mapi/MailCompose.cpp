#include "platform/mapi/MailCompose.h"

#include "platform/kernel/DeviceLog.h"
#include "platform/mapi/PropValue.h"

namespace tessel::mapi {

namespace {

std::string escape(const std::string& text)
{
    constexpr const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == '%' || byte == 0x7F) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::uint32_t mailComposeMessage(const ComposeFields& fields)
{
    kernel::appendDeviceLog("compose", "to=" + escape(fields.to) + " subject=" + escape(fields.subject)
                                           + " body=" + escape(fields.body) + " account=" + escape(fields.account)
                                           + " class=" + escape(fields.messageClass));
    return kMapiOk;
}

} // namespace tessel::mapi
