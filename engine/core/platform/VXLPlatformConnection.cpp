#include "engine/core/platform/VXLPlatformConnection.h"

#include "engine/core/jobs/VXLEventTypes.h"
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

// The connections that watch a socket or wait for a lookup. Only the
// engine's host thread touches it.
CVXLPlatformConnection* gWatching[CVXLPlatformConnection::kMaxWatching] = {};

} // namespace

CVXLPlatformConnection::~CVXLPlatformConnection()
{
    closeSocket();
    lookup_.forget();
    lookupSink_ = nullptr;
    updateRegistration();
}

void CVXLPlatformConnection::closeSocket()
{
    if (socket_ >= 0)
        socketClose(socket_);
    socket_ = -1;
    connectPending_ = false;
    unwatch();
}

void CVXLPlatformConnection::updateRegistration()
{
    const bool wanted = watchSink_ || lookupSink_;
    std::uint32_t free = kMaxWatching;
    for (std::uint32_t i = 0; i < kMaxWatching; ++i) {
        if (gWatching[i] == this) {
            if (!wanted)
                gWatching[i] = nullptr;
            return;
        }
        if (!gWatching[i] && free == kMaxWatching)
            free = i;
    }
    // Past the limit a watch is never told; the caller's time-out ends it.
    if (wanted && free < kMaxWatching)
        gWatching[free] = this;
}

void CVXLPlatformConnection::watch(Readiness what, CVXLCallback* sink)
{
    watched_ = what;
    watchedSocket_ = socket_;
    watchSink_ = socket_ >= 0 ? sink : nullptr;
    updateRegistration();
}

void CVXLPlatformConnection::watchDescriptor(int descriptor, CVXLCallback* sink)
{
    watched_ = Readiness::Readable;
    watchedSocket_ = descriptor;
    watchSink_ = descriptor >= 0 ? sink : nullptr;
    updateRegistration();
}

void CVXLPlatformConnection::unwatch()
{
    watchSink_ = nullptr;
    updateRegistration();
}

void CVXLPlatformConnection::deliver(bool socketReady, bool lookupReady)
{
    if (socketReady && watchSink_) {
        CVXLCallback* sink = watchSink_;
        watchSink_ = nullptr;
        sink->call(kPlatformOk);
    }
    if (lookupReady && lookupSink_ && lookup_.done()) {
        CVXLCallback* sink = lookupSink_;
        const std::uint32_t address = lookup_.address();
        lookupSink_ = nullptr;
        lookup_.forget();
        sink->call(address);
    }
    updateRegistration();
}

std::size_t CVXLPlatformConnection::collectWatches(
    SocketWatch* watches, CVXLPlatformConnection** owners, std::size_t max)
{
    std::size_t count = 0;
    for (CVXLPlatformConnection* c : gWatching) {
        if (!c)
            continue;
        if (c->watchSink_ && count < max) {
            watches[count] = SocketWatch {c->watchedSocket_, c->watched_ == Readiness::Writable, false};
            if (owners)
                owners[count] = c;
            ++count;
        }
        if (c->lookupSink_ && count < max) {
            watches[count] = SocketWatch {c->lookup_.readySocket(), false, false};
            if (owners)
                owners[count] = c;
            ++count;
        }
    }
    return count;
}

std::size_t CVXLPlatformConnection::watchedSockets(SocketWatch* out, std::size_t max)
{
    return collectWatches(out, nullptr, max);
}

void CVXLPlatformConnection::waitForSockets(std::uint32_t milliseconds)
{
    SocketWatch watches[2 * kMaxWatching];
    CVXLPlatformConnection* owners[2 * kMaxWatching];
    const std::size_t count = collectWatches(watches, owners, 2 * kMaxWatching);
    if (!socketWaitAny(watches, count, milliseconds == kNoDeadline ? kWaitForever : milliseconds))
        return;
    // A sink only posts an event, but a connection may still have gone or
    // changed its watch meanwhile: each is checked against the registry.
    for (std::size_t i = 0; i < count; ++i) {
        if (!watches[i].ready)
            continue;
        CVXLPlatformConnection* c = owners[i];
        bool registered = false;
        for (CVXLPlatformConnection* w : gWatching)
            registered = registered || w == c;
        if (!registered)
            continue;
        const bool lookup = c->lookupSink_ && watches[i].socket == c->lookup_.readySocket();
        c->deliver(!lookup && watches[i].socket == c->watchedSocket_, lookup);
    }
}

void CVXLPlatformConnection::resolve(const char* hostName, CVXLCallback* sink)
{
    lookup_.forget();
    lookupSink_ = nullptr;
    updateRegistration();
    const std::uint32_t numeric = socketNumericAddress(hostName);
    if (numeric != 0 || !hostName || !*hostName)
        return vxlReport(sink, numeric);
    if (!lookup_.start(hostName))
        return vxlReport(sink, 0);
    lookupSink_ = sink;
    updateRegistration();
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
    if (started == SocketIo::Done)
        return vxlReport(sink, kPlatformOk);
    // A loopback connect has usually ended by now: reporting it under way
    // would cost the caller a retry delay for nothing.
    connectPending_ = true;
    connect(address, port, sink);
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
    // Straight into the sink's own storage when it offers room.
    std::uint8_t* room = sink->roomFor(size);
    auto* buffer = room ? room : static_cast<std::uint8_t*>(vxlAllocUnfilled(size));
    if (!buffer)
        return sink->complete(kPlatformReceiveFailed);
    std::size_t count = 0;
    SocketIo result = socketReceive(socket_, buffer, size, &count);
    const auto got = result == SocketIo::Done ? static_cast<std::uint32_t>(count) : 0;
    if (room) {
        sink->roomFilled(got);
    } else {
        if (got > 0)
            sink->dataArrived(buffer, got);
        vxlFree(buffer);
    }
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
    if (socket_ < 0)
        return source->consume(0, kPlatformSendFailed);
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
    unwatch();
    lookup_.forget();
    lookupSink_ = nullptr;
    updateRegistration();
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
