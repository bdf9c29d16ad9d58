#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackServer::LoopbackServer()
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in at {};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof at;
    ::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    ::listen(fd_, 8);
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
}

LoopbackServer::~LoopbackServer()
{
    if (peer_ >= 0)
        ::close(peer_);
    if (fd_ >= 0)
        ::close(fd_);
}

void LoopbackServer::accept()
{
    if (peer_ >= 0)
        ::close(peer_);
    peer_ = acceptSocket();
}

int LoopbackServer::acceptSocket()
{
    return ::accept(fd_, nullptr, nullptr);
}

void LoopbackServer::stopListening()
{
    ::close(fd_);
    fd_ = -1;
}

bool LoopbackServer::send(const std::string& bytes)
{
    return ::send(peer_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
}

std::string LoopbackServer::receive(std::size_t count)
{
    std::string bytes(count, '\0');
    std::size_t got = 0;
    while (got < count) {
        ssize_t n = ::recv(peer_, bytes.data() + got, count - got, 0);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

std::string LoopbackServer::receiveNow()
{
    std::string bytes;
    char chunk[4096];
    for (;;) {
        ssize_t n = ::recv(peer_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n <= 0)
            break;
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    return bytes;
}

void LoopbackServer::closePeer()
{
    ::close(peer_);
    peer_ = -1;
}
