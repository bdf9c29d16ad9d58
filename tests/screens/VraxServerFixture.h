#pragma once

#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "tests/screens/ScreenJobFixture.h"
#include "tests/support/TestProcess.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// A started engine (the fixture `Base`) registered with
// tests/peers/vrax_server.py on 127.0.0.1, the server's script given by
// the test; the engine's clock follows real time while the test waits for
// the server.
template <class Base> class VraxServerRig : public Base {
public:
    void TearDown() override
    {
        Base::TearDown();
        stopServer();
    }

    // The server with its script, one reply per request; a gated server
    // reads no request. Each server of a test has a log of its own.
    void serve(const std::string& script, bool gated = false)
    {
        auto& engine = this->engine;
        CVXLClient* client = this->client;
        log = engine.root().hostPath(("vrax-server-" + std::to_string(++servers) + ".log").c_str());
        std::vector<std::string> arguments {script, log, "--announce"};
        if (gated) {
            arguments.push_back("--gate");
            arguments.push_back(engine.root().hostPath("vrax-gate"));
        }
        server = testStartPythonPeer("vrax_server.py", arguments, log + ".out", &port);
        ASSERT_GT(server, 0);
        client->settings().setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());
        client->settings().setPersistentString(kPersVraxId, "D42");
        client->settings().setPersistentString(kPersVraxRegComplete, "1");
    }
    void stopServer()
    {
        if (server > 0)
            testStopProcess(server, 2000);
        server = 0;
    }

    // Ticks, taking the screen requests, until `done` or the time is up.
    bool follow(const std::function<bool()>& done, int realMs = 15000)
    {
        using Clock = std::chrono::steady_clock;
        auto& engine = this->engine;
        CVXLClient* client = this->client;
        const auto begin = Clock::now();
        auto last = begin;
        while (!done()) {
            engine.tick();
            if (CVXLUIRequest* request = engine.popUIRequest())
                this->requests.push_back({request->kind(), request->layout()});
            if (Clock::now() - begin > std::chrono::milliseconds(realMs))
                return false;
            CVXLPlatformConnection::waitForSockets(
                std::max<std::uint32_t>(1, std::min(5u, client->getWaitTime())));
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
            engine.advance(static_cast<std::uint32_t>(elapsed.count()));
            last += elapsed;
        }
        this->run();
        return true;
    }

    // The request element of each request the server received.
    std::vector<std::string> received() const
    {
        std::vector<std::string> out;
        for (const std::string& line : testFileLines(log)) {
            const std::size_t at = line.find("request=");
            out.push_back(at == std::string::npos ? line : line.substr(at, line.find(' ', at) - at));
        }
        return out;
    }
    // The request document of the n-th request (from 1).
    std::string document(int n) const
    {
        std::ifstream in(log + "." + std::to_string(n) + ".xml");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    bool shown(CVXLLayout& layout) const
    {
        return std::any_of(
            this->requests.begin(), this->requests.end(), [&](const typename Base::Request& r) {
                return r.kind == kUIRequestNewLayout && r.layout == &layout;
            });
    }
    // The program resumes a job: 12 done, 13 abandoned.
    void answer(CVXLUiJob& job, std::int32_t code)
    {
        auto* event = new CVXLSimpleEvent(code);
        event->setHeapAllocated(true);
        this->parent.post(&job, event);
        this->run();
    }

    std::string log;
    pid_t server = 0;
    std::uint16_t port = 0;
    int servers = 0;
};

using VraxServerFixture = VraxServerRig<ScreenJobFixture>;
