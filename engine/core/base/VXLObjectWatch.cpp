#include "engine/core/base/VXLObjectWatch.h"

#include "engine/core/base/VXLObject.h"

#include <algorithm>
#include <mutex>

namespace {

// The watches that hold addresses; only they are told of destructions.
constinit std::mutex watchLock;
constinit CVXLObjectWatch* firstWatch = nullptr;

} // namespace

CVXLObjectWatch::~CVXLObjectWatch()
{
    clear();
}

void CVXLObjectWatch::add(const CVXLObject* object)
{
    if (!object)
        return;
    std::lock_guard<std::mutex> lock(watchLock);
    if (std::find(objects_.begin(), objects_.end(), object) != objects_.end())
        return;
    objects_.push_back(object);
    link();
}

bool CVXLObjectWatch::contains(const CVXLObject* object) const
{
    std::lock_guard<std::mutex> lock(watchLock);
    return object && std::find(objects_.begin(), objects_.end(), object) != objects_.end();
}

std::uint32_t CVXLObjectWatch::count() const
{
    std::lock_guard<std::mutex> lock(watchLock);
    return static_cast<std::uint32_t>(objects_.size());
}

void CVXLObjectWatch::clear()
{
    std::lock_guard<std::mutex> lock(watchLock);
    objects_.clear();
    unlink();
}

void CVXLObjectWatch::objectDestroyed(const CVXLObject* object)
{
    if (CVXLObject::watchesHoldingAddresses.load(std::memory_order_acquire) == 0)
        return;
    std::lock_guard<std::mutex> lock(watchLock);
    for (CVXLObjectWatch* watch = firstWatch; watch;) {
        CVXLObjectWatch* next = watch->next_;
        auto& objects = watch->objects_;
        objects.erase(std::remove(objects.begin(), objects.end(), object), objects.end());
        if (objects.empty())
            watch->unlink();
        watch = next;
    }
}

// Both under watchLock.
void CVXLObjectWatch::link()
{
    if (linked_)
        return;
    next_ = firstWatch;
    firstWatch = this;
    linked_ = true;
    CVXLObject::watchesHoldingAddresses.fetch_add(1, std::memory_order_release);
}

void CVXLObjectWatch::unlink()
{
    if (!linked_)
        return;
    for (CVXLObjectWatch** at = &firstWatch; *at; at = &(*at)->next_) {
        if (*at == this) {
            *at = next_;
            break;
        }
    }
    next_ = nullptr;
    linked_ = false;
    CVXLObject::watchesHoldingAddresses.fetch_sub(1, std::memory_order_release);
}
