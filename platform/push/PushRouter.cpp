#include "platform/push/PushRouter.h"

#include "platform/kernel/DeviceFacts.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tessel::push {

PushRouter::~PushRouter()
{
    close();
}

std::uint16_t PushRouter::configuredPort()
{
    const std::string text = tessel::kernel::deviceFact(kPortKey, "0");
    char* end = nullptr;
    const long port = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || !end || *end != '\0' || port <= 0 || port > 65535)
        return 0;
    return static_cast<std::uint16_t>(port);
}

bool PushRouter::open(std::uint16_t port)
{
    close();
    error_.clear();
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    // Room for a burst between two polls; the kernel caps it at its own
    // limit, and a smaller buffer still works.
    const int room = kReceiveBuffer;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &room, sizeof room);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        error_ = std::strerror(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    port_ = ntohs(address.sin_port);
    return true;
}

void PushRouter::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    port_ = 0;
}

bool PushRouter::receive(std::string* datagram)
{
    if (fd_ < 0)
        return false;
    datagram->resize(kMaxDatagram + 1);
    for (;;) {
        const ssize_t n = ::recv(fd_, datagram->data(), datagram->size(), MSG_TRUNC);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            datagram->clear();
            return false;
        }
        // A truncated datagram is reported by its full length; it is passed
        // on cut to one byte over the limit, so the reader sees it is too long.
        datagram->resize(
            static_cast<std::size_t>(n) < datagram->size() ? static_cast<std::size_t>(n) : datagram->size());
        return true;
    }
}

} // namespace tessel::push
