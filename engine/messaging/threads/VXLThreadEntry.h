#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLThreadMessageEntry;

// One conversation: the messages exchanged with one normalised address, and
// how many of them still count as new here. Lists its messages, owns none.
class CVXLThreadEntry : public CVXLObject {
public:
    CVXLString address;
    CVXLString displayAddress;
    CVXLPtrArray messages;
    bool hidden = false;
    std::uint32_t newCount = 0;

    CVXLThreadMessageEntry* messageAt(int index) const;
    // Through the message's own short list of threads.
    bool holds(const CVXLThreadMessageEntry* message) const;
    // Unread messages whose primary thread is this one.
    std::uint32_t countUnreadPrimary() const;
    // Received before queued, then by sent time; equal ones keep their order.
    void sortMessages();
    // Places a message after those that do not come after it: the list stays
    // sorted. False when the heap refuses.
    bool insertSorted(CVXLThreadMessageEntry* message);
};

// One known message and the threads that list it.
class CVXLThreadMessageEntry : public CVXLObject {
public:
    // The thread where it counts as new (its sender's); null for queued and
    // sent messages.
    CVXLThreadEntry* primaryThread = nullptr;
    CVXLPtrArray threads;
    CVXLString messageId;
    bool queued = false;
    std::uint32_t sentTime = 0;
    bool read = false;
    bool sent = false;
    bool seen = false;

    CVXLThreadEntry* threadAt(int index) const { return static_cast<CVXLThreadEntry*>(threads.at(index)); }
    bool inShownThread() const;
};
