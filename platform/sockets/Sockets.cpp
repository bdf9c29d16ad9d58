#include "platform/sockets/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>
#include <vector>

namespace tessel::sockets {

bool socketsStartup()
{
    return true;
}

void socketsCleanup()
{
}

int socketOpenTcp()
{
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return s >= 0 ? s : kNoSocket;
}

bool socketSetNonBlocking(int socket)
{
    int flags = ::fcntl(socket, F_GETFL);
    return flags >= 0 && ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
}

SocketIo socketConnect(int socket, std::uint32_t address, std::uint16_t port)
{
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = address;
    to.sin_port = port;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 || errno == EISCONN)
        return SocketIo::Done;
    if (errno == EINPROGRESS || errno == EINTR || errno == EALREADY)
        return SocketIo::WouldBlock;
    return SocketIo::Failed;
}

bool socketPoll(int socket, SocketPoll* state)
{
    pollfd entry {socket, POLLIN | POLLOUT, 0};
    *state = SocketPoll {};
    int n;
    do {
        n = ::poll(&entry, 1, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0 || (entry.revents & POLLNVAL))
        return false;
    state->readable = (entry.revents & POLLIN) != 0;
    state->writable = (entry.revents & POLLOUT) != 0;
    state->error = (entry.revents & (POLLERR | POLLHUP)) != 0;
    return true;
}

bool socketWaitAny(SocketWatch* watches, std::size_t count, std::uint32_t timeoutMs)
{
    std::vector<pollfd> entries(count);
    for (std::size_t i = 0; i < count; ++i) {
        watches[i].ready = false;
        entries[i] = pollfd {watches[i].socket, static_cast<short>(watches[i].write ? POLLOUT : POLLIN), 0};
    }
    const int wait = timeoutMs == kWaitForever
        ? -1
        : static_cast<int>(timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFFu : timeoutMs);
    int n;
    do {
        n = ::poll(entries.data(), entries.size(), wait);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return false;
    for (std::size_t i = 0; i < count; ++i)
        watches[i].ready = entries[i].revents != 0;
    return true;
}

int socketConnectError(int socket)
{
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return -1;
    return error;
}

SocketIo socketReceive(int socket, void* buffer, std::size_t size, std::size_t* received)
{
    *received = 0;
    ssize_t n;
    do {
        n = ::recv(socket, buffer, size, 0);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        *received = static_cast<std::size_t>(n);
        return SocketIo::Done;
    }
    if (n == 0)
        return size == 0 ? SocketIo::Done : SocketIo::PeerClosed;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return SocketIo::WouldBlock;
    return SocketIo::Failed;
}

SocketIo socketSend(int socket, const void* data, std::size_t size, std::size_t* sent)
{
    *sent = 0;
    ssize_t n;
    do {
        n = ::send(socket, data, size, MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    if (n >= 0) {
        *sent = static_cast<std::size_t>(n);
        return SocketIo::Done;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return SocketIo::WouldBlock;
    return SocketIo::Failed;
}

bool socketClose(int socket)
{
    return socket >= 0 && ::close(socket) == 0;
}

std::uint32_t socketResolve(const char* hostName)
{
    if (!hostName || !*hostName)
        return 0;
    addrinfo hints {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName, nullptr, &hints, &found) != 0 || !found)
        return 0;
    std::uint32_t address = 0;
    for (addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
            address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr.s_addr;
            break;
        }
    }
    ::freeaddrinfo(found);
    return address;
}

std::uint32_t socketNumericAddress(const char* hostName)
{
    in_addr address {};
    if (!hostName || ::inet_pton(AF_INET, hostName, &address) != 1)
        return 0;
    return address.s_addr;
}

// The pipe is written once, by the thread, when the address is in.
struct SocketLookup::Shared {
    ~Shared()
    {
        for (int fd : pipe)
            if (fd >= 0)
                ::close(fd);
    }
    int pipe[2] = {-1, -1};
    std::atomic<bool> done {false};
    std::atomic<std::uint32_t> address {0};
};

bool SocketLookup::start(const char* hostName)
{
    auto shared = std::make_shared<Shared>();
    if (::pipe2(shared->pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    std::string name = hostName ? hostName : "";
    try {
        std::thread([shared, name] {
            shared->address = socketResolve(name.c_str());
            shared->done = true;
            const char byte = 1;
            [[maybe_unused]] ssize_t n = ::write(shared->pipe[1], &byte, 1);
        }).detach();
    } catch (...) {
        return false;
    }
    shared_ = std::move(shared);
    return true;
}

int SocketLookup::readySocket() const
{
    return shared_ ? shared_->pipe[0] : kNoSocket;
}

bool SocketLookup::done() const
{
    return shared_ && shared_->done;
}

std::uint32_t SocketLookup::address() const
{
    return done() ? shared_->address.load() : 0;
}

std::string socketDottedAddress(std::uint32_t address)
{
    in_addr in {};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    return ::inet_ntop(AF_INET, &in, text, sizeof text) ? std::string(text) : std::string();
}

} // namespace tessel::sockets
