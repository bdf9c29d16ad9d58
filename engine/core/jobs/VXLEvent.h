#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventTypes.h"

#include <cstddef>
#include <cstdint>

class CVXLEventHandler;
class CVXLEventList;

// One request, reply, timer, start or stop travelling between jobs. Events
// are usually members of the job that posts them and are reused once done;
// an event made with new is marked heap-allocated and is deleted by the job
// that finishes it.
class CVXLEvent : public CVXLObject {
public:
    CVXLEvent();
    CVXLEvent(std::int32_t requestCode, std::int32_t replyCode);
    ~CVXLEvent() override;
    CVXLEvent(const CVXLEvent&) = delete;
    CVXLEvent& operator=(const CVXLEvent&) = delete;

    // Marks the block as an event's own, so the constructor can tell a heap
    // event from one embedded in another object or on the stack.
    static void* operator new(std::size_t size) noexcept;
    static void operator delete(void* payload) noexcept;
    static void* operator new(std::size_t, void* where) noexcept { return where; }
    static void operator delete(void*, void*) noexcept { }

    // Called when the event is finished or taken off a queue.
    virtual void finished();

    bool isRequest() const { return kind_ != kEventReply; }
    bool replyWanted() const { return replyWanted_; }
    void setReplyWanted(bool wanted) { replyWanted_ = wanted; }
    bool heapAllocated() const { return heapAllocated_; }
    void setHeapAllocated(bool heap) { heapAllocated_ = heap; }

    CVXLObject* subject() const { return subject_; }
    void setSubject(CVXLObject* subject) { subject_ = subject; }
    CVXLEventHandler* source() const { return source_; }
    void setSource(CVXLEventHandler* source) { source_ = source; }
    CVXLEvent* next() const { return next_; }

    CVXLEventKind kind() const { return kind_; }
    void setKind(CVXLEventKind kind) { kind_ = kind; }
    CVXLEventStatus status() const { return status_; }
    void setStatus(CVXLEventStatus status) { status_ = status; }
    bool isBusy() const { return status_ == kEventQueued || status_ == kEventInProgress; }

    std::int32_t requestCode() const { return requestCode_; }
    void setRequestCode(std::int32_t code) { requestCode_ = code; }
    std::int32_t replyCode() const { return replyCode_; }
    void setReplyCode(std::int32_t code) { replyCode_ = code; }
    // The reply code once the event came back as a reply, else the request code.
    std::int32_t effectiveCode() const { return kind_ == kEventReply ? replyCode_ : requestCode_; }
    std::uint32_t sequence() const { return sequence_; }

    // Only the exact value 1 means success.
    void setSucceeded(int flag) { setResult(flag == 1 ? kResultSucceeded : kResultFailed); }
    bool succeeded() const { return result_ == kResultSucceeded; }
    std::int32_t result() const { return result_; }
    void setResult(std::int32_t result);
    void setResult(std::int32_t result, const CVXLString& text);
    CVXLString resultText() const { return resultText_; }

    // Timer words, written when the event is armed.
    std::uint32_t armedAt() const { return armedAt_; }
    std::uint32_t delay() const { return delay_; }

private:
    friend class CVXLEventList;
    friend class CVXLEventHandler;

    void leaveAwaiting();

    CVXLEventStatus status_ = kEventIdle;
    CVXLEventKind kind_ = kEventRequest;
    bool replyWanted_ = true;
    bool heapAllocated_ = false;
    CVXLObject* subject_ = nullptr;
    CVXLEventHandler* source_ = nullptr;
    CVXLEvent* next_ = nullptr;
    CVXLEventList* list_ = nullptr;
    std::int32_t requestCode_ = kEventNone;
    std::int32_t replyCode_ = kEventNone;
    std::uint32_t sequence_ = 0;
    std::int32_t result_ = kResultSucceeded;
    CVXLString resultText_;
    std::uint32_t armedAt_ = 0;
    std::uint32_t delay_ = 0;
    // Link in the requester's list of requests still out for an answer, so
    // a requester that goes away first can take its name off them.
    CVXLEvent* awaitingNext_ = nullptr;
    CVXLEvent** awaitingLink_ = nullptr;
};
