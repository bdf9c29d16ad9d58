#include "engine/transport/tasks/VXLTransactionListenerRef.h"

CVXLTransactionListenerRef::CVXLTransactionListenerRef(CVXLCallback* listener)
    : listener_(listener)
{
}

CVXLTransactionListenerRef::CVXLTransactionListenerRef(const CVXLTransactionListenerRef& other)
    : CVXLObject()
    , listener_(other.listener_)
    , count_(other.count_)
{
}

CVXLTransactionListenerRef& CVXLTransactionListenerRef::operator=(const CVXLTransactionListenerRef& other)
{
    listener_ = other.listener_;
    count_ = other.count_;
    return *this;
}

CVXLTransactionListenerRef::~CVXLTransactionListenerRef() = default;

void CVXLTransactionListenerRef::reset()
{
    listener_ = nullptr;
    count_ = CVXLSharedCount();
}

void CVXLTransactionListenerRef::transactionFinished(std::int32_t result) const
{
    if (listener_)
        listener_->call(static_cast<std::uint32_t>(result));
}
