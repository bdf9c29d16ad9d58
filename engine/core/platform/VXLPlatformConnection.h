#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/core/platform/VXLSinkInterface.h"
#include "platform/sockets/Sockets.h"

#include <cstddef>
#include <cstdint>

// One network connection of the platform: the packet-data path (start,
// cleanup) and one TCP socket. No call waits on the network. An operation
// that finds nothing to do now says so; the caller then watches the socket,
// and the host's wait (waitForSockets, called between ticks instead of a
// sleep) tells it when to ask again. Every outcome goes to the sink the
// caller passes (statuses of VXLPlatformStatus).
class CVXLPlatformConnection : public CVXLObject {
public:
    enum class Readiness { Readable, Writable };
    // Connections of the process that may watch at the same time.
    static constexpr std::uint32_t kMaxWatching = 64;

    CVXLPlatformConnection() = default;
    ~CVXLPlatformConnection() override;
    // A copy starts without a socket, a watch or a lookup of its own.
    CVXLPlatformConnection(const CVXLPlatformConnection&)
        : CVXLObject()
    {
    }
    CVXLPlatformConnection& operator=(const CVXLPlatformConnection&) = delete;

    // The host's first IPv4 address (network byte order), or 0: at once for
    // a dotted address, otherwise from the host's wait once the lookup, on a
    // thread of its own, has ended. A later resolve or close forgets it.
    virtual void resolve(const char* hostName, CVXLCallback* sink);
    // address and port in network byte order. The first call starts the
    // connect and reports 0 when it completed at once, 13 while it is under
    // way, 12 when it failed (no cellular system, no socket, refused at
    // once); later calls report 13, 0 or 12 the same way.
    virtual void connect(std::uint32_t address, std::uint16_t port, CVXLCallback* sink);
    // Up to size bytes that have arrived: the bytes (read into the sink's
    // room when it offers some), then 0; no bytes and 0
    // when none are waiting; 17 when the peer has closed; 15 on an error.
    virtual void receive(CVXLDataSink* sink, std::uint32_t size);
    // Sends what the source offers: consume(count sent, 0), consume(0, 0)
    // when nothing can be sent now, consume(0, 16) on an error.
    virtual void send(CVXLSinkInterface* source);
    // Closes the socket: 0, or 11 when closing failed.
    virtual void close(CVXLCallback* sink);
    // Brings the packet-data path up: 0, or 9.
    virtual void start(CVXLCallback* sink);
    virtual void cleanup(CVXLCallback* sink);
    virtual void flush(CVXLCallback* sink);

    // Tells sink (0) once, from the host's wait, when the socket can be read
    // (data, a peer close or an error) or written (also: a connect ended). A
    // later watch replaces it; unwatch, close and the destructor drop it.
    // Without a socket nothing is ever told.
    virtual void watch(Readiness what, CVXLCallback* sink);
    virtual void unwatch();
    // The same for a descriptor of the platform that is not this
    // connection's (a datagram socket): sink (0) once, when it can be read.
    // The descriptor stays its owner's; a later watch replaces this one.
    void watchDescriptor(int descriptor, CVXLCallback* sink);

    // The host's wait: returns once a watched socket or a lookup of this
    // process is ready, or after `milliseconds` (kNoDeadline: no limit),
    // having told the ready ones' sinks, which post their jobs' wake-ups.
    // Called by the engine's host thread between ticks.
    static void waitForSockets(std::uint32_t milliseconds);
    // What that wait would watch now (at most max), for a host that waits
    // on them on another thread and then calls waitForSockets(0) here.
    static std::size_t watchedSockets(tessel::sockets::SocketWatch* out, std::size_t max);

    bool hasSocket() const { return socket_ >= 0; }

private:
    void closeSocket();
    void updateRegistration();
    static std::size_t collectWatches(
        tessel::sockets::SocketWatch* watches, CVXLPlatformConnection** owners, std::size_t max);
    // Tells the sinks whose socket or lookup the last wait found ready.
    void deliver(bool socketReady, bool lookupReady);

    int socket_ = -1;
    // What the watch is on: the own socket, or a descriptor of another.
    int watchedSocket_ = -1;
    bool connectPending_ = false;
    Readiness watched_ = Readiness::Readable;
    CVXLCallback* watchSink_ = nullptr;
    tessel::sockets::SocketLookup lookup_;
    CVXLCallback* lookupSink_ = nullptr;
};
