#include "platform/sockets/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
    pollfd entry { socket, POLLIN | POLLOUT, 0 };
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

std::string socketDottedAddress(std::uint32_t address)
{
    in_addr in {};
    in.s_addr = address;
    char text[INET_ADDRSTRLEN] = {};
    return ::inet_ntop(AF_INET, &in, text, sizeof text) ? std::string(text) : std::string();
}

} // namespace tessel::sockets
