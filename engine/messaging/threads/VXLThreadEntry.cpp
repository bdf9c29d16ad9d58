#include "engine/messaging/threads/VXLThreadEntry.h"

#include <algorithm>
#include <vector>

CVXLThreadMessageEntry* CVXLThreadEntry::messageAt(int index) const
{
    return static_cast<CVXLThreadMessageEntry*>(messages.at(index));
}

bool CVXLThreadEntry::holds(const CVXLThreadMessageEntry* message) const
{
    return message->threads.indexOf(this) >= 0;
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
    std::vector<CVXLThreadMessageEntry*> sorted;
    sorted.reserve(messages.count());
    for (std::uint32_t i = 0; i < messages.count(); ++i)
        sorted.push_back(messageAt(static_cast<int>(i)));
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const CVXLThreadMessageEntry* a, const CVXLThreadMessageEntry* b) { return comesAfter(b, a); });
    for (std::size_t i = 0; i < sorted.size(); ++i)
        messages.setAt(sorted[i], static_cast<int>(i));
}

bool CVXLThreadEntry::insertSorted(CVXLThreadMessageEntry* message)
{
    int low = 0;
    int high = static_cast<int>(messages.count());
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (comesAfter(messageAt(middle), message))
            high = middle;
        else
            low = middle + 1;
    }
    return messages.insertAt(message, low) != 0;
}

bool CVXLThreadMessageEntry::inShownThread() const
{
    for (std::uint32_t i = 0; i < threads.count(); ++i) {
        if (!threadAt(static_cast<int>(i))->hidden)
            return true;
    }
    return false;
}
