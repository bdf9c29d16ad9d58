#pragma once

#include "engine/core/base/VXLIndexIterator.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/transport/http/HTTPv2Job.h"
#include "engine/transport/http/VXLHttpBodyData.h"
#include "engine/transport/http/VXLHttpBodyRequest.h"
#include "engine/transport/http/VXLHttpRequest.h"
#include "engine/transport/http/VXLHttpResponse.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkDialer.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// A platform factory that counts the sockets it made.
class CountingFactory : public CVXLPlatformFactory {
public:
    CVXLPlatformConnection* createNetworkConnection() override
    {
        ++created;
        return CVXLPlatformFactory::createNetworkConnection();
    }
    int created = 0;
};

// What a requester saw of one exchange.
struct Exchange {
    std::int32_t result = -1;
    int status = 0;
    std::string headers; // "name: value\n" lines in the reply's order
    std::string body; // kept only while the fixture's keepBody is set
    std::uint64_t bodyBytes = 0;
    int bodyEvents = 0;
    bool finalPart = false;
    std::uint32_t largestPart = 0;

    std::string header(const std::string& name) const
    {
        const std::string key = "\n" + name + ": ";
        const std::size_t at = ("\n" + headers).find(key);
        if (at == std::string::npos)
            return "<absent>";
        const std::size_t start = at + key.size() - 1;
        return headers.substr(start, headers.find('\n', start) - start);
    }
};

// The HTTP job, noting each leaf state it enters (a state without substates),
// in order.
class WatchedHttpJob : public CHTTPv2Job {
public:
    CVXLHsmState callState(CVXLStateHandler state, const CVXLEvent* event) override
    {
        if (signalOf(event) == kSignalEntry && !isSuperstate(state))
            entered.push_back(state);
        return CHTTPv2Job::callState(state, event);
    }

    static bool isSuperstate(CVXLStateHandler state)
    {
        for (auto super : {&CHTTPv2Job::Root, &CHTTPv2Job::Active, &CHTTPv2Job::WaitingForConnection,
                 &CHTTPv2Job::WaitingForRequester}) {
            if (state == toHandler(super))
                return true;
        }
        return false;
    }

    std::vector<CVXLStateHandler> entered;
};

// The HTTP job and a requester that takes the head, empties the sink after
// each part and hands out the parts of a POST body, under a driven clock;
// the dialer is the fixture's. The requester can hold back its answer to one
// event (holdCode), which it gives when the job cancels it.
struct HttpJobAndRequester {
    HttpJobAndRequester()
        : get(CVXLHttpRequest::kGet, 26)
        , post(CVXLHttpRequest::kPost, 27)
        , head(CVXLHttpRequest::kHead, 28)
    {
        settings.userAgent = "TesselTest/1.0";
        job.setSettings(&settings);
        requester.handler = [this](TraceJob& self, CVXLEvent* event) { onRequesterEvent(self, event); };
    }

    // Attaches the dialer, the job and the requester, in this order.
    void attach(CVXLEventHandler* dialer)
    {
        job.setDialer(dialer);
        driver.attach(dialer);
        driver.attach(&job);
        driver.attach(&requester);
        driver.runUntilIdle();
    }

    CVXLHttpRequest& request(std::int32_t code)
    {
        return code == CVXLHttpRequest::kPost ? post : code == CVXLHttpRequest::kHead ? head : get;
    }

    // Starts an exchange; the request is reset first (no proxy unless given).
    CVXLHttpRequest& start(
        std::int32_t code, const std::string& url, const std::string& proxy = "", std::uint32_t flags = 0)
    {
        CVXLHttpRequest& r = request(code);
        r.reset(CVXLString(proxy.c_str()));
        r.setUrl(CVXLString(url.c_str()));
        r.setFlag(flags);
        current = Exchange();
        requester.post(&job, &r);
        return r;
    }

    void onRequesterEvent(TraceJob& self, CVXLEvent* event)
    {
        if (event->effectiveCode() == kEventCancelNotice) {
            if (held && static_cast<CVXLCancelNotice*>(event)->cancelled() == held) {
                self.finishEvent(held);
                held = nullptr;
            }
            self.finishEvent(event);
            return;
        }
        if (holdCode != 0 && event->effectiveCode() == holdCode) {
            holdCode = 0;
            held = event;
            return;
        }
        switch (event->effectiveCode()) {
        case CVXLHttpResponse::kRequestCode: {
            auto* response = static_cast<CVXLHttpResponse*>(event);
            current.status = response->statusCode();
            for (CVXLIndexIterator it = response->headers().begin(); !it.atEnd(); it.next()) {
                const auto* value = static_cast<const CVXLString*>(it.value());
                current.headers
                    += std::string(it.key().c_str()) + ": " + (value ? value->c_str() : "") + "\n";
            }
            sink.clear();
            if (giveSink)
                response->setSink(&sink);
            response->setReadSize(readSize);
            break;
        }
        case CVXLHttpBodyData::kCode: {
            auto* data = static_cast<CVXLHttpBodyData*>(event);
            if (keepBody)
                current.body.append(reinterpret_cast<const char*>(sink.data()), sink.length());
            current.bodyBytes += sink.length();
            if (sink.length() > current.largestPart)
                current.largestPart = sink.length();
            sink.clear();
            ++current.bodyEvents;
            current.finalPart = current.finalPart || data->finalPart;
            break;
        }
        case CVXLHttpBodyRequest::kCode: {
            auto* part = static_cast<CVXLHttpBodyRequest*>(event);
            partBuffer.clear();
            if (nextPart < parts.size())
                partBuffer.append(parts[nextPart].data(), static_cast<std::uint32_t>(parts[nextPart].size()));
            ++nextPart;
            part->part = &partBuffer;
            break;
        }
        default:
            if (event == &get || event == &post || event == &head)
                current.result = event->result();
            break;
        }
        self.finishEvent(event);
    }

    void setParts(std::vector<std::string> bodyParts)
    {
        parts = std::move(bodyParts);
        nextPart = 0;
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    CVXLHttpSettings settings;
    WatchedHttpJob job;
    TraceJob requester {"requester"};
    CVXLHttpRequest get;
    CVXLHttpRequest post;
    CVXLHttpRequest head;
    CVXLByteBuffer sink;
    CVXLByteBuffer partBuffer;
    std::vector<std::string> parts;
    std::size_t nextPart = 0;
    std::uint32_t readSize = 0;
    bool giveSink = true;
    bool keepBody = true;
    std::int32_t holdCode = 0;
    CVXLEvent* held = nullptr;
    Exchange current;
};

// The HTTP job with a dialer over the real platform.
struct HttpJobFixture : HttpJobAndRequester {
    HttpJobFixture()
        : dialer(&factory, &settings)
    {
        attach(&dialer);
    }

    // Runs the tree with the driven clock following real time (the peers
    // are real processes), at most `realMs` of real time.
    bool pump(const std::function<bool()>& done, int realMs = 20000)
    {
        return driver.followRealTime(
            [&] { driver.runUntilIdle(100000); }, done, realMs, std::chrono::milliseconds(100));
    }

    // Starts an exchange and runs it to its end.
    Exchange run(
        std::int32_t code, const std::string& url, const std::string& proxy = "", std::uint32_t flags = 0)
    {
        CVXLHttpRequest& r = start(code, url, proxy, flags);
        if (!pump([&] { return !r.isBusy(); }))
            ADD_FAILURE() << "the exchange did not end in time";
        return current;
    }

    CountingFactory factory;
    CVXLNetworkDialer dialer;
};
