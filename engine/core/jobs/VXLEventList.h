#pragma once

#include <cstdint>

class CVXLEvent;

// An intrusive singly linked list of events (queues, timer lists, the
// in-progress list). Each event records the list that holds it, so an event
// is in at most one list and can leave it when it is destroyed.
class CVXLEventList {
public:
    CVXLEventList() = default;
    ~CVXLEventList();
    CVXLEventList(const CVXLEventList&) = delete;
    CVXLEventList& operator=(const CVXLEventList&) = delete;

    CVXLEvent* head() const { return head_; }
    CVXLEvent* tail() const { return tail_; }
    bool isEmpty() const { return head_ == nullptr; }
    std::uint32_t count() const { return count_; }
    bool contains(const CVXLEvent* event) const;

    // Linking an event first takes it out of whatever list holds it.
    void pushFront(CVXLEvent* event);
    void pushBack(CVXLEvent* event);
    // Before `position` (a member of this list); at the tail when null.
    void insertBefore(CVXLEvent* position, CVXLEvent* event);
    bool remove(CVXLEvent* event);
    CVXLEvent* popFront();
    // Moves every event of `other` to the tail of this list, in order.
    void appendAll(CVXLEventList& other);
    // Unlinks every event without touching anything else about it.
    void detachAll();

private:
    CVXLEvent* head_ = nullptr;
    CVXLEvent* tail_ = nullptr;
    std::uint32_t count_ = 0;
};
