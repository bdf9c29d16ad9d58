#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/platform/VXLSinkInterface.h"

#include <cstdint>

// One network connection of the platform: the packet-data path (start,
// cleanup) and one TCP socket. No call waits on the network; a connect is
// asked again until it has finished. Every outcome goes to the sink the
// caller passes (statuses of VXLPlatformStatus).
class CVXLPlatformConnection : public CVXLObject {
public:
    CVXLPlatformConnection() = default;
    ~CVXLPlatformConnection() override;

    // The host's first IPv4 address (network byte order), or 0.
    virtual void resolve(const char* hostName, CVXLCallback* sink);
    // address and port in network byte order. The first call starts the
    // connect and reports 13 (or 12: no cellular system, no socket, refused
    // at once); later calls report 13 while it is under way, then 0 when
    // connected or 12 when it failed.
    virtual void connect(std::uint32_t address, std::uint16_t port, CVXLCallback* sink);
    // Up to size bytes that have arrived: the bytes, then 0; no bytes and 0
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

    bool hasSocket() const { return socket_ >= 0; }

private:
    void closeSocket();

    int socket_ = -1;
    bool connectPending_ = false;
};
