#include "platform/ui/UiThread.h"

#include "platform/ui/MessageQueue.h"
#include "platform/ui/WindowSystem.h"

namespace tessel::ui {

namespace {

thread_local UiThread* tCurrent = nullptr;

} // namespace

UiThread::UiThread()
    : queue_(MessageQueue::make())
{
}

UiThread::~UiThread()
{
    thread_.join();
}

bool UiThread::createThread(bool suspended)
{
    return thread_.start(entry, this, suspended);
}

void UiThread::resume()
{
    thread_.resume();
}

bool UiThread::join()
{
    return thread_.join();
}

void UiThread::entry(void* self)
{
    auto* thread = static_cast<UiThread*>(self);
    thread->queue_->bind();
    thread->runLoop();
}

int UiThread::runHere()
{
    // A thread that has a queue keeps it (its windows post there); one
    // that has none takes this thread object's, posts made to it included.
    if (auto existing = MessageQueue::currentIfAny())
        queue_ = existing;
    else
        queue_->bind();
    return runLoop();
}

int UiThread::runLoop()
{
    tCurrent = this;
    exitCode_ = initInstance() ? run() : exitInstance(-1);
    tCurrent = nullptr;
    return exitCode_;
}

int UiThread::run()
{
    while (pumpMessage()) { }
    // Whoever still waits for this thread is answered, not left hanging.
    queue_->close();
    return exitInstance(queue_->takeQuit());
}

std::uint32_t UiThread::threadId() const
{
    return queue_->id();
}

bool UiThread::postThreadMessage(std::uint32_t id, std::uint64_t wParam, std::int64_t lParam)
{
    return ui::postThreadMessage(threadId(), id, wParam, lParam);
}

bool UiThread::preTranslateMessage(Message&)
{
    return false;
}

void UiThread::onThreadMessage(const Message&)
{
}

bool UiThread::pumpMessage()
{
    Message message;
    if (!getMessage(&message)) {
        // Seen again by every loop out to the outermost one.
        postQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    lockDispatch();
    UiThread* thread = current();
    if (!thread || !thread->preTranslateMessage(message))
        dispatchMessage(message);
    unlockDispatch();
    return true;
}

UiThread* UiThread::current()
{
    return tCurrent;
}

} // namespace tessel::ui
