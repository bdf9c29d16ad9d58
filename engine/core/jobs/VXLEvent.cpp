#include "engine/core/jobs/VXLEvent.h"

#include "engine/core/jobs/VXLEventList.h"

namespace {

// The block handed out by the last CVXLEvent::operator new whose constructor
// has not run yet. The engine runs on one thread per engine; thread_local
// keeps two engines in one process apart.
thread_local const unsigned char* tPendingBlock = nullptr;
thread_local std::size_t tPendingSize = 0;

bool claimHeapBlock(const void* self)
{
    const auto* at = static_cast<const unsigned char*>(self);
    if (!tPendingBlock || at < tPendingBlock || at >= tPendingBlock + tPendingSize)
        return false;
    tPendingBlock = nullptr;
    tPendingSize = 0;
    return true;
}

} // namespace

void* CVXLEvent::operator new(std::size_t size) noexcept
{
    void* block = CVXLObject::operator new(size);
    tPendingBlock = static_cast<const unsigned char*>(block);
    tPendingSize = block ? size : 0;
    return block;
}

void CVXLEvent::operator delete(void* payload) noexcept
{
    CVXLObject::operator delete(payload);
}

CVXLEvent::CVXLEvent()
    : heapAllocated_(claimHeapBlock(this))
{
}

CVXLEvent::CVXLEvent(std::int32_t requestCode, std::int32_t replyCode)
    : heapAllocated_(claimHeapBlock(this))
    , requestCode_(requestCode)
    , replyCode_(replyCode)
{
}

CVXLEvent::~CVXLEvent()
{
    // An event destroyed while queued must not leave a dangling link behind.
    if (list_)
        list_->remove(this);
    leaveAwaiting();
}

void CVXLEvent::leaveAwaiting()
{
    if (!awaitingLink_)
        return;
    *awaitingLink_ = awaitingNext_;
    if (awaitingNext_)
        awaitingNext_->awaitingLink_ = awaitingLink_;
    awaitingNext_ = nullptr;
    awaitingLink_ = nullptr;
}

void CVXLEvent::finished()
{
}

void CVXLEvent::setResult(std::int32_t result)
{
    result_ = result;
    resultText_.clear();
}

void CVXLEvent::setResult(std::int32_t result, const CVXLString& text)
{
    result_ = result;
    resultText_ = text;
}
