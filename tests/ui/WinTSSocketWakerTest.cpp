#include "ui/WinTSSocketWaker.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

using namespace std::chrono_literals;
using tessel::sockets::SocketWatch;

// Counts the waker's calls; the test waits (bounded) for a count.
class WakeCounter {
public:
    void wake()
    {
        std::lock_guard<std::mutex> hold(mutex_);
        ++count_;
        changed_.notify_all();
    }
    bool awaitCount(int count)
    {
        std::unique_lock<std::mutex> hold(mutex_);
        return changed_.wait_for(hold, 10s, [&] { return count_ >= count; });
    }
    int count()
    {
        std::lock_guard<std::mutex> hold(mutex_);
        return count_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int count_ = 0;
};

struct SocketPair {
    SocketPair() { EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0); }
    ~SocketPair()
    {
        ::close(ends[0]);
        ::close(ends[1]);
    }
    void send() const { ASSERT_EQ(::write(ends[1], "x", 1), 1); }
    int ends[2] = {-1, -1};
};

// A published socket that turns readable wakes the host once; a socket that
// stays ready wakes it again only after the next publication; a publication
// of nothing and then a ready socket wake nobody; stop ends the thread
// while it waits.
TEST(WinTSSocketWaker, AReadySocketWakesTheHostOncePerPublication)
{
    WakeCounter counter;
    CWinTSSocketWaker waker([&] { counter.wake(); });
    ASSERT_TRUE(waker.start());
    SocketPair quiet;
    SocketPair busy;
    const SocketWatch watches[] = {{quiet.ends[0], false, false}, {busy.ends[0], false, false}};
    waker.publish(watches, 2);
    busy.send();
    ASSERT_TRUE(counter.awaitCount(1));

    // Still readable: the next publication wakes it again, and only that.
    busy.send();
    waker.publish(watches, 2);
    ASSERT_TRUE(counter.awaitCount(2));

    // Writable at once: a watch for room to send.
    const SocketWatch room[] = {{quiet.ends[1], true, false}};
    waker.publish(room, 1);
    ASSERT_TRUE(counter.awaitCount(3));

    // Nothing watched: the ready socket is not looked at.
    waker.publish(nullptr, 0);
    busy.send();
    waker.stop();
    EXPECT_EQ(counter.count(), 3);
}

} // namespace
