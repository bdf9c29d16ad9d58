#pragma once

#include "platform/kernel/KernelThread.h"
#include "platform/sockets/Sockets.h"

#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

// Wakes the engine host when a socket the engine watches turns ready. The
// host waits on its message queue, not on sockets: after each run of engine
// steps it hands the sockets the engine watches to publish(), and a thread of
// this class waits on them (and on a pipe that a new publication or stop()
// writes to). When one is ready it calls `ready` once, then waits only on the
// pipe until the host publishes again (the host's waitForSockets(0) reads
// which ones are ready and hands them to the engine).
class CWinTSSocketWaker {
public:
    explicit CWinTSSocketWaker(std::function<void()> ready);
    ~CWinTSSocketWaker();
    CWinTSSocketWaker(const CWinTSSocketWaker&) = delete;
    CWinTSSocketWaker& operator=(const CWinTSSocketWaker&) = delete;

    // False when the pipe or the thread could not be made.
    bool start();
    void publish(const tessel::sockets::SocketWatch* watches, std::size_t count);
    // Ends and joins the thread; no call to `ready` after it returns.
    void stop();

private:
    static void entry(void* self);
    void run();
    void kick();

    std::function<void()> ready_;
    std::mutex mutex_;
    std::vector<tessel::sockets::SocketWatch> watches_;
    bool armed_ = false;
    bool stopping_ = false;
    int pipe_[2] = {-1, -1};
    bool started_ = false;
    tessel::kernel::KernelThread thread_;
};
