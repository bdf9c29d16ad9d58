#include "engine/core/base/VXLSharedCount.h"

#include "engine/core/base/VXLObject.h"

struct CVXLSharedCount::Counter : CVXLObject {
    VXL_NEW_WITHOUT_ZERO_FILL(Counter)

    std::uint32_t count = 0;
};

CVXLSharedCount::CVXLSharedCount() = default;

CVXLSharedCount::Counter* CVXLSharedCount::shared() const
{
    if (!counter_)
        counter_ = new Counter;
    return counter_;
}

CVXLSharedCount::CVXLSharedCount(const CVXLSharedCount& other)
    : CVXLValueBase(other)
    , counter_(other.shared())
{
    if (counter_)
        ++counter_->count;
}

CVXLSharedCount& CVXLSharedCount::operator=(const CVXLSharedCount& other)
{
    Counter* counter = other.shared();
    if (counter)
        ++counter->count;
    release();
    counter_ = counter;
    return *this;
}

CVXLSharedCount::~CVXLSharedCount()
{
    release();
}

void CVXLSharedCount::release()
{
    if (!counter_)
        return;
    if (counter_->count > 0)
        --counter_->count;
    else
        delete counter_;
    counter_ = nullptr;
}

std::uint32_t CVXLSharedCount::useCount() const
{
    return counter_ ? counter_->count : 0;
}

void CVXLSharedCount::detach()
{
    if (!counter_ || counter_->count == 0)
        return;
    --counter_->count;
    counter_ = nullptr;
}
