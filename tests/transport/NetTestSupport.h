#pragma once

#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/platform/VXLPlatformStatus.h"
#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <string>

// Shared pieces of the network job tests.

// A platform connection that answers as a test scripts it: the connect is
// under way for `underWay` more calls (or for ever, or never answers), the
// packet-data path comes up or not, and a send takes at most `sendLimit`
// bytes. Counts the calls it gets.
class ScriptedConnection : public CVXLPlatformConnection {
public:
    static constexpr int kForever = -1;

    void connect(std::uint32_t, std::uint16_t, CVXLCallback* sink) override
    {
        ++connectCalls;
        if (connectTally)
            ++*connectTally;
        if (silent)
            return;
        if (underWay == kForever || underWay-- > 0)
            return sink->call(kPlatformConnectUnderWay);
        sink->call(connectResult);
    }
    void send(CVXLSinkInterface* source) override
    {
        const std::uint32_t length = source->getLength();
        const std::uint32_t count = length < sendLimit ? length : sendLimit;
        sent.append(reinterpret_cast<const char*>(source->getData()), count);
        source->consume(count, 0);
    }
    void receive(CVXLDataSink* sink, std::uint32_t) override { sink->complete(kPlatformOk); }
    void close(CVXLCallback* sink) override
    {
        ++closeCalls;
        if (sink)
            sink->call(kPlatformOk);
    }
    void start(CVXLCallback* sink) override { sink->call(startResult); }
    void cleanup(CVXLCallback* sink) override
    {
        ++cleanupCalls;
        if (sink)
            sink->call(kPlatformOk);
    }

    int underWay = 0;
    bool silent = false;
    std::uint32_t connectResult = kPlatformOk;
    std::uint32_t startResult = kPlatformOk;
    std::uint32_t sendLimit = 0xFFFFFFFFu;
    int connectCalls = 0;
    int* connectTally = nullptr; // counts on after the connection is gone
    int closeCalls = 0;
    int cleanupCalls = 0;
    std::string sent;
};

// A factory whose network connections are scripted ones, set up by `script`.
class ScriptedFactory : public CVXLPlatformFactory {
public:
    CVXLPlatformConnection* createNetworkConnection() override
    {
        if (live_ >= kMaxConnections)
            return nullptr;
        auto* connection = new ScriptedConnection(script);
        connection->connectTally = &connectCalls;
        ++live_;
        ++created;
        last = connection;
        return connection;
    }
    void destroyNetworkConnection(CVXLPlatformConnection* connection) override
    {
        if (!connection)
            return;
        delete connection;
        --live_;
    }
    int live() const { return live_; }

    ScriptedConnection script;
    ScriptedConnection* last = nullptr; // may have been destroyed since
    int created = 0;
    int connectCalls = 0;

private:
    int live_ = 0;
};
