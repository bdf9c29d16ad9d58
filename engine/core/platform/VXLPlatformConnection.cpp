#include "engine/core/platform/VXLPlatformConnection.h"

#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/Registry.h"
#include "platform/sockets/Sockets.h"

#include <string>

using namespace tessel::sockets;

namespace {

// The phone reports whether a cellular system is in reach; without one no
// connect is tried. A value that cannot be read does not stop it.
bool cellularSystemMissing()
{
    std::uint32_t available = 1;
    return tessel::kernel::registryQueryDword(tessel::kernel::RegistryHive::LocalMachine,
               "System\\State\\Phone", "Cellular System Available", &available)
        && available == 0;
}

} // namespace

CVXLPlatformConnection::~CVXLPlatformConnection()
{
    closeSocket();
}

void CVXLPlatformConnection::closeSocket()
{
    if (socket_ >= 0)
        socketClose(socket_);
    socket_ = -1;
    connectPending_ = false;
}

void CVXLPlatformConnection::resolve(const char* hostName, CVXLCallback* sink)
{
    vxlReport(sink, socketResolve(hostName));
}

void CVXLPlatformConnection::connect(std::uint32_t address, std::uint16_t port, CVXLCallback* sink)
{
    if (connectPending_) {
        SocketPoll state;
        if (!socketPoll(socket_, &state)) {
            connectPending_ = false;
            return vxlReport(sink, kPlatformConnectFailed);
        }
        if (!state.writable && !state.error)
            return vxlReport(sink, kPlatformConnectUnderWay);
        // Writable also means "finished with an error" (refused, unreachable).
        connectPending_ = false;
        return vxlReport(
            sink, socketConnectError(socket_) == 0 && state.writable ? kPlatformOk : kPlatformConnectFailed);
    }
    if (cellularSystemMissing())
        return vxlReport(sink, kPlatformConnectFailed);
    // A socket left from an earlier connect would leak.
    closeSocket();
    socket_ = socketOpenTcp();
    if (socket_ < 0)
        return vxlReport(sink, kPlatformConnectFailed);
    tessel::kernel::appendDeviceLog("debug", "WinTS: Connecting to addr: " + socketDottedAddress(address));
    if (!socketSetNonBlocking(socket_))
        return vxlReport(sink, kPlatformConnectFailed);
    SocketIo started = socketConnect(socket_, address, port);
    if (started == SocketIo::Failed)
        return vxlReport(sink, kPlatformConnectFailed);
    // Even a connect that completed at once is reported under way; the next
    // call reports the outcome.
    connectPending_ = true;
    vxlReport(sink, kPlatformConnectUnderWay);
}

void CVXLPlatformConnection::receive(CVXLDataSink* sink, std::uint32_t size)
{
    if (!sink)
        return;
    SocketPoll state;
    if (socket_ < 0 || !socketPoll(socket_, &state))
        return sink->complete(kPlatformReceiveFailed);
    if (!state.readable)
        return sink->complete(state.error ? kPlatformReceiveFailed : kPlatformOk);
    if (size == 0)
        return sink->complete(kPlatformOk);
    auto* buffer = static_cast<std::uint8_t*>(vxlAlloc(size));
    if (!buffer)
        return sink->complete(kPlatformReceiveFailed);
    std::size_t count = 0;
    SocketIo result = socketReceive(socket_, buffer, size, &count);
    if (result == SocketIo::Done && count > 0)
        sink->dataArrived(buffer, static_cast<std::uint32_t>(count));
    vxlFree(buffer);
    switch (result) {
    case SocketIo::Done:
    case SocketIo::WouldBlock:
        return sink->complete(kPlatformOk);
    case SocketIo::PeerClosed:
        return sink->complete(kPlatformPeerClosed);
    case SocketIo::Failed:
        break;
    }
    sink->complete(kPlatformReceiveFailed);
}

void CVXLPlatformConnection::send(CVXLSinkInterface* source)
{
    if (!source)
        return;
    const std::uint32_t length = source->getLength();
    if (length == 0)
        return source->consume(0, kPlatformOk);
    SocketPoll state;
    if (socket_ < 0 || !socketPoll(socket_, &state))
        return source->consume(0, kPlatformSendFailed);
    if (!state.writable)
        return source->consume(0, kPlatformOk);
    const std::uint8_t* data = source->getData();
    if (!data)
        return source->consume(0, kPlatformSendFailed);
    std::size_t sent = 0;
    switch (socketSend(socket_, data, length, &sent)) {
    case SocketIo::Done:
        return source->consume(static_cast<std::uint32_t>(sent), kPlatformOk);
    case SocketIo::WouldBlock:
        return source->consume(0, kPlatformOk);
    default:
        return source->consume(0, kPlatformSendFailed);
    }
}

void CVXLPlatformConnection::close(CVXLCallback* sink)
{
    // Closing no socket (the packet-data side, or after a failed connect)
    // has nothing to fail.
    bool ok = socket_ < 0 || socketClose(socket_);
    socket_ = -1;
    connectPending_ = false;
    vxlReport(sink, ok ? kPlatformOk : kPlatformConnectionCloseFailed);
}

void CVXLPlatformConnection::start(CVXLCallback* sink)
{
    if (!socketsStartup())
        return vxlReport(sink, kPlatformNoNetworkPath);
    vxlReport(sink, platformCheckNetworkPath());
}

void CVXLPlatformConnection::cleanup(CVXLCallback* sink)
{
    socketsCleanup();
    vxlReport(sink, kPlatformOk);
}

void CVXLPlatformConnection::flush(CVXLCallback* sink)
{
    vxlReport(sink, kPlatformOk);
}
