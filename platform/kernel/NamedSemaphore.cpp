#include "platform/kernel/NamedSemaphore.h"

#include "platform/kernel/DeviceRoot.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace tessel::kernel {

struct SemaphoreState {
    std::string name;
    std::mutex mutex;
    std::condition_variable changed;
    std::int32_t count = 0;
    std::int32_t maximum = 0;
    int lockFd = -1; // named semaphores only
    bool lockHeld = false; // held exactly while count < maximum
    bool acquiring = false; // one thread is waiting for the flock
    int handles = 1;
};

namespace {

using Clock = std::chrono::steady_clock;

std::mutex gTableMutex;
std::map<std::string, SemaphoreState*> gNamed;

bool validName(const char* name)
{
    std::size_t length = std::strlen(name);
    return length > 0 && length <= 200 && std::strchr(name, '/') == nullptr && std::strcmp(name, ".") != 0
        && std::strcmp(name, "..") != 0;
}

// Takes the flock by the deadline; flock itself cannot time out, so a bounded
// wait polls.
bool takeFileLock(int fd, bool forever, Clock::time_point deadline)
{
    if (forever) {
        while (::flock(fd, LOCK_EX) != 0) {
            if (errno != EINTR)
                return false;
        }
        return true;
    }
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        auto now = Clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(deadline - now, std::chrono::milliseconds(2)));
    }
}

} // namespace

SemaphoreHandle semaphoreCreate(const char* name, std::int32_t initial, std::int32_t maximum)
{
    if (maximum < 1 || initial < 0 || initial > maximum)
        return nullptr;
    if (!name || !*name) {
        auto* state = new SemaphoreState;
        state->count = initial;
        state->maximum = maximum;
        return state;
    }
    if (!validName(name))
        return nullptr;
    std::lock_guard<std::mutex> table(gTableMutex);
    if (auto it = gNamed.find(name); it != gNamed.end()) {
        std::lock_guard<std::mutex> lock(it->second->mutex);
        ++it->second->handles;
        return it->second;
    }
    std::string folder = deviceFolder("run/sem");
    if (folder.empty())
        return nullptr;
    std::string path = folder + "/" + name + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return nullptr;
    if (initial < maximum && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    auto* state = new SemaphoreState;
    state->name = name;
    state->count = initial;
    state->maximum = maximum;
    state->lockFd = fd;
    state->lockHeld = initial < maximum;
    gNamed[name] = state;
    return state;
}

SemaphoreWait semaphoreWait(SemaphoreHandle s, std::uint32_t timeoutMs)
{
    if (!s)
        return SemaphoreWait::Failed;
    const bool forever = timeoutMs == kWaitForever;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    std::unique_lock<std::mutex> lock(s->mutex);
    for (;;) {
        if (s->count > 0 && (s->lockFd < 0 || s->lockHeld)) {
            --s->count;
            return SemaphoreWait::Taken;
        }
        if (s->count > 0 && !s->acquiring) {
            // This process holds none of the count: the name must be free in
            // every other process first.
            s->acquiring = true;
            lock.unlock();
            bool taken = takeFileLock(s->lockFd, forever, deadline);
            lock.lock();
            s->acquiring = false;
            s->changed.notify_all();
            if (!taken)
                return forever ? SemaphoreWait::Failed : SemaphoreWait::TimedOut;
            s->lockHeld = true;
            continue;
        }
        if (forever) {
            s->changed.wait(lock);
        } else if (s->changed.wait_until(lock, deadline) == std::cv_status::timeout) {
            if (s->count > 0 && (s->lockFd < 0 || s->lockHeld)) {
                --s->count;
                return SemaphoreWait::Taken;
            }
            return SemaphoreWait::TimedOut;
        }
    }
}

bool semaphoreRelease(SemaphoreHandle s, std::int32_t count, std::int32_t* previous)
{
    if (!s || count < 1)
        return false;
    std::lock_guard<std::mutex> lock(s->mutex);
    if (count > s->maximum - s->count)
        return false;
    if (previous)
        *previous = s->count;
    s->count += count;
    if (s->count == s->maximum && s->lockHeld) {
        ::flock(s->lockFd, LOCK_UN);
        s->lockHeld = false;
    }
    s->changed.notify_all();
    return true;
}

void semaphoreClose(SemaphoreHandle s)
{
    if (!s)
        return;
    if (s->lockFd < 0) {
        delete s;
        return;
    }
    std::lock_guard<std::mutex> table(gTableMutex);
    {
        std::lock_guard<std::mutex> lock(s->mutex);
        if (--s->handles > 0)
            return;
    }
    gNamed.erase(s->name);
    // Closing the descriptor drops the flock, whatever count was still taken.
    ::close(s->lockFd);
    delete s;
}

} // namespace tessel::kernel
