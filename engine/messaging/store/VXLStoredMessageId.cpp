#include "engine/messaging/store/VXLStoredMessageId.h"

CVXLString CVXLStoredMessageId::make(VXLMessageStoreKind kind, std::uint32_t nowSeconds)
{
    if (made_ && nowSeconds == lastSecond_) {
        ++sequence_;
    } else {
        sequence_ = 0;
        lastSecond_ = nowSeconds;
        made_ = true;
    }
    CVXLString id;
    id.appendChar(letterOf(kind));
    CVXLString number;
    number.setUnsigned(nowSeconds);
    id += number;
    id += "_";
    number.setUnsigned(sequence_);
    id += number;
    return id;
}

VXLMessageStoreKind CVXLStoredMessageId::kindOf(const CVXLString& name)
{
    switch (name.length() ? name.c_str()[0] : 0) {
    case 'm':
        return VXLMessageStoreKind::Mailbox;
    case 'p':
        return VXLMessageStoreKind::Premium;
    case 's':
        return VXLMessageStoreKind::Sent;
    case 't':
        return VXLMessageStoreKind::Temporary;
    default:
        return VXLMessageStoreKind::Inbox;
    }
}

char CVXLStoredMessageId::letterOf(VXLMessageStoreKind kind)
{
    switch (kind) {
    case VXLMessageStoreKind::Mailbox:
        return 'm';
    case VXLMessageStoreKind::Premium:
        return 'p';
    case VXLMessageStoreKind::Sent:
        return 's';
    case VXLMessageStoreKind::Temporary:
        return 't';
    default:
        return 'i';
    }
}
