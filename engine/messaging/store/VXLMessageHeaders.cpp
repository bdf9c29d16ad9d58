#include "engine/messaging/store/VXLMessageHeaders.h"

namespace {

constexpr const char* kChargeText = "X-QV-Message-Charge-Text";

CVXLString firstValue(const CVXLHeaderMap& map, const char* name)
{
    return map.value(name, 0, true);
}

} // namespace

CVXLString CVXLMessageHeaders::getClientMessageId() const
{
    return firstValue(messageHeaders, "X-QV-Client-Message-Id");
}
CVXLString CVXLMessageHeaders::getMessageType() const
{
    return firstValue(messageHeaders, "X-QV-Message-Type");
}
CVXLString CVXLMessageHeaders::getFromAddress() const
{
    return firstValue(messageHeaders, "X-QV-From-Address");
}
CVXLString CVXLMessageHeaders::getToAddressList() const
{
    return firstValue(messageHeaders, "X-QV-To-Address-List");
}
CVXLString CVXLMessageHeaders::getCcAddressList() const
{
    return firstValue(messageHeaders, "X-QV-CC-Address-List");
}
CVXLString CVXLMessageHeaders::getBccAddressList() const
{
    return firstValue(messageHeaders, "X-QV-BCC-Address-List");
}
CVXLString CVXLMessageHeaders::getMessagePriority() const
{
    return firstValue(messageHeaders, "X-QV-Message-Priority");
}
CVXLString CVXLMessageHeaders::getChargeText() const
{
    return firstValue(messageHeaders, kChargeText);
}
CVXLString CVXLMessageHeaders::getMmsContentLocation() const
{
    return messageHeaders.value("3");
}
CVXLString CVXLMessageHeaders::getContentLocation() const
{
    return firstValue(contentHeaders, "Content-Location");
}
CVXLString CVXLMessageHeaders::getLocation() const
{
    return firstValue(contentHeaders, "Location");
}
CVXLString CVXLMessageHeaders::getSaveLock() const
{
    return firstValue(contentHeaders, "X-QV-Save-Lock");
}

std::uint32_t CVXLMessageHeaders::getExpires() const
{
    const int value = firstValue(messageHeaders, "X-QV-Expires").toInt();
    return value > 0 ? static_cast<std::uint32_t>(value) : 0;
}

void CVXLMessageHeaders::removeChargeText()
{
    // The map removes by exact name; every spelling of the name goes.
    const CVXLString wanted(kChargeText);
    for (int n = static_cast<int>(messageHeaders.nameCount()) - 1; n >= 0; --n) {
        const CVXLString name = messageHeaders.nameAt(n);
        if (name.compare(wanted, false) == 0)
            messageHeaders.remove(name);
    }
}

const CVXLString& CVXLMessageHeaders::getContentType()
{
    const CVXLString value = firstValue(contentHeaders, "Content-Type");
    const int semicolon = value.findChar(';');
    contentType_ = semicolon < 0 ? value : value.substr(0, static_cast<std::uint32_t>(semicolon));
    return contentType_;
}
