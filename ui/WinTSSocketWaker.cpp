#include "ui/WinTSSocketWaker.h"

#include <fcntl.h>
#include <unistd.h>

#include <utility>

using tessel::sockets::SocketWatch;

CWinTSSocketWaker::CWinTSSocketWaker(std::function<void()> ready)
    : ready_(std::move(ready))
{
}

CWinTSSocketWaker::~CWinTSSocketWaker()
{
    stop();
    for (int& end : pipe_) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

bool CWinTSSocketWaker::start()
{
    if (started_)
        return false;
    if (pipe_[0] < 0 && ::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    started_ = thread_.start(&CWinTSSocketWaker::entry, this, false);
    return started_;
}

void CWinTSSocketWaker::publish(const SocketWatch* watches, std::size_t count)
{
    {
        std::lock_guard<std::mutex> hold(mutex_);
        watches_.assign(watches, watches + count);
        armed_ = count > 0;
    }
    kick();
}

void CWinTSSocketWaker::stop()
{
    if (!started_)
        return;
    {
        std::lock_guard<std::mutex> hold(mutex_);
        stopping_ = true;
    }
    kick();
    thread_.join();
    started_ = false;
}

void CWinTSSocketWaker::kick()
{
    if (pipe_[1] < 0)
        return;
    const char byte = 1;
    // A full pipe already holds a wake-up.
    (void)!::write(pipe_[1], &byte, 1);
}

void CWinTSSocketWaker::entry(void* self)
{
    static_cast<CWinTSSocketWaker*>(self)->run();
}

void CWinTSSocketWaker::run()
{
    std::vector<SocketWatch> watching;
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            if (stopping_)
                return;
            watching.clear();
            if (armed_)
                watching = watches_;
        }
        watching.push_back(SocketWatch {pipe_[0], false, false});
        if (!tessel::sockets::socketWaitAny(watching.data(), watching.size(), tessel::sockets::kWaitForever))
            continue;
        if (watching.back().ready) {
            char drained[64];
            while (::read(pipe_[0], drained, sizeof drained) > 0) { }
            continue;
        }
        // A socket is ready: tell the host once, then wait for its next
        // publication (the socket stays ready until the engine reads it).
        {
            std::lock_guard<std::mutex> hold(mutex_);
            if (stopping_ || !armed_)
                continue;
            armed_ = false;
        }
        ready_();
    }
}
