#include "engine/core/jobs/VXLEventList.h"

#include "engine/core/jobs/VXLEvent.h"

CVXLEventList::~CVXLEventList()
{
    detachAll();
}

bool CVXLEventList::contains(const CVXLEvent* event) const
{
    return event && event->list_ == this;
}

void CVXLEventList::pushFront(CVXLEvent* event)
{
    if (event->list_)
        event->list_->remove(event);
    event->next_ = head_;
    head_ = event;
    if (!tail_)
        tail_ = event;
    event->list_ = this;
    ++count_;
}

void CVXLEventList::pushBack(CVXLEvent* event)
{
    if (event->list_)
        event->list_->remove(event);
    event->next_ = nullptr;
    if (tail_)
        tail_->next_ = event;
    else
        head_ = event;
    tail_ = event;
    event->list_ = this;
    ++count_;
}

void CVXLEventList::insertBefore(CVXLEvent* position, CVXLEvent* event)
{
    if (!position || position->list_ != this) {
        pushBack(event);
        return;
    }
    if (position == head_) {
        pushFront(event);
        return;
    }
    if (event->list_)
        event->list_->remove(event);
    CVXLEvent* before = head_;
    while (before->next_ != position)
        before = before->next_;
    before->next_ = event;
    event->next_ = position;
    event->list_ = this;
    ++count_;
}

bool CVXLEventList::remove(CVXLEvent* event)
{
    if (!event || event->list_ != this)
        return false;
    CVXLEvent* before = nullptr;
    CVXLEvent* at = head_;
    while (at && at != event) {
        before = at;
        at = at->next_;
    }
    if (!at)
        return false;
    if (before)
        before->next_ = event->next_;
    else
        head_ = event->next_;
    if (tail_ == event)
        tail_ = before;
    event->next_ = nullptr;
    event->list_ = nullptr;
    --count_;
    return true;
}

CVXLEvent* CVXLEventList::popFront()
{
    CVXLEvent* event = head_;
    if (event)
        remove(event);
    return event;
}

void CVXLEventList::appendAll(CVXLEventList& other)
{
    if (&other == this || other.isEmpty())
        return;
    for (CVXLEvent* at = other.head_; at; at = at->next_)
        at->list_ = this;
    if (tail_)
        tail_->next_ = other.head_;
    else
        head_ = other.head_;
    tail_ = other.tail_;
    count_ += other.count_;
    other.head_ = other.tail_ = nullptr;
    other.count_ = 0;
}

void CVXLEventList::detachAll()
{
    while (head_) {
        CVXLEvent* event = head_;
        head_ = event->next_;
        event->next_ = nullptr;
        event->list_ = nullptr;
    }
    tail_ = nullptr;
    count_ = 0;
}
