#include "engine/messaging/threads/VXLThreadEntry.h"

CVXLThreadMessageEntry* CVXLThreadEntry::messageAt(int index) const
{
    return static_cast<CVXLThreadMessageEntry*>(messages.at(index));
}

bool CVXLThreadEntry::holds(const CVXLThreadMessageEntry* message) const
{
    return messages.indexOf(message) >= 0;
}

std::uint32_t CVXLThreadEntry::countUnreadPrimary() const
{
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < messages.count(); ++i) {
        const CVXLThreadMessageEntry* message = messageAt(static_cast<int>(i));
        if (!message->read && message->primaryThread == this)
            ++count;
    }
    return count;
}

namespace {

bool comesAfter(const CVXLThreadMessageEntry* a, const CVXLThreadMessageEntry* b)
{
    if (a->queued != b->queued)
        return a->queued;
    return a->sentTime > b->sentTime;
}

} // namespace

void CVXLThreadEntry::sortMessages()
{
    const int n = static_cast<int>(messages.count());
    bool exchanged = true;
    while (exchanged) {
        exchanged = false;
        for (int i = 0; i + 1 < n; ++i) {
            CVXLThreadMessageEntry* a = messageAt(i);
            CVXLThreadMessageEntry* b = messageAt(i + 1);
            if (comesAfter(a, b)) {
                messages.setAt(b, i);
                messages.setAt(a, i + 1);
                exchanged = true;
            }
        }
    }
}

bool CVXLThreadMessageEntry::inShownThread() const
{
    for (std::uint32_t i = 0; i < threads.count(); ++i) {
        if (!threadAt(static_cast<int>(i))->hidden)
            return true;
    }
    return false;
}
