#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

// The box a stored file belongs to, told by the first byte of its name.
enum class VXLMessageStoreKind : std::uint32_t {
    Inbox = 0,
    Mailbox = 1, // copies of the relay's message box, kept while viewed
    Premium = 2,
    Sent = 3,
    Temporary = 4, // deleted when the store loads
};

// Makes the ids of new stored messages: the kind letter, the clock's seconds,
// "_" and a number counting the ids made within that second.
class CVXLStoredMessageId {
public:
    CVXLString make(VXLMessageStoreKind kind, std::uint32_t nowSeconds);

    static VXLMessageStoreKind kindOf(const CVXLString& name);
    static char letterOf(VXLMessageStoreKind kind);

private:
    std::uint32_t lastSecond_ = 0;
    std::uint32_t sequence_ = 0;
    bool made_ = false;
};
