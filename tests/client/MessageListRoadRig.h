#pragma once

#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/client/program/Producer.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/messaging/push/WapPushRequest.h"
#include "engine/records/VXLInboundRequests.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLUiJob.h"
#include "tests/messaging/inbound/InboundTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/ScreenText.h"
#include "tests/support/ScriptedUiJobs.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

// The whole engine on a temporary device root with the message screens'
// real jobs, receiving messages from tests/peers/mms_relay.py on 127.0.0.1
// (pushed notifications fetched at once). The rig plays the user interface:
// it takes every screen request and keeps the shown layouts.
struct MessageListRoadRig {
    struct Request {
        std::uint32_t kind;
        CVXLLayout* layout;
        std::string url;
        // The menu a return to the menu names.
        std::int32_t value = 0;
    };

    // On a device root of the test's, to start a second engine on the
    // files the first left.
    explicit MessageListRoadRig(TempDeviceRoot* shared = nullptr)
        : ownRoot(shared ? nullptr : std::make_unique<TempDeviceRoot>())
        , root(shared ? *shared : *ownRoot)
    {
    }
    ~MessageListRoadRig()
    {
        if (driver.client()) {
            // The jobs the rig started end and go back to the pool, which
            // deletes the fresh ones.
            for (CVXLUiJob* job : started)
                if (job->isActive())
                    job->stop();
            run();
            for (CVXLUiJob* job : started)
                if (CVXLUiJobPool* jobs = client->getUiJobPool())
                    jobs->release(job);
            // A flow of the program still showing (a failed send's notice)
            // is left with Exit, so the stack gives its jobs back.
            for (int i = 0; i < 30 && currentJob() && !client->getProducer().isIdle(); ++i) {
                pool->script.push_back({9, {}});
                if (!pool->answer(client->getProducer().uiJobs()))
                    break;
                run();
            }
            program.stop();
            pusher.stop();
            menu.stop();
            run();
        }
    }

    // The engine started with the relay as its MMS relay; the jobs of the
    // given types and the message summary are the engine's own, the others
    // scripted.
    bool start(std::vector<int> realTypes)
    {
        if (!relay.start(relayArguments) || !driver.create())
            return false;
        client = driver.client();
        pool = new ScriptedUiJobPool(client);
        pool->realTypes = std::set<int>(realTypes.begin(), realTypes.end());
        // A new message's summary, which the program shows when it arrives.
        pool->realTypes.insert(28);
        client->setUiJobPool(pool);
        client->settings().setConfigString(kCfgMmscUri, relay.url("/mms").c_str());
        client->settings().setConfigString(kCfgProxyUri, "");
        if (dataOff)
            client->settings().setPersistentString(kPersDatacommActive, "0");
        if (!driver.startUp())
            return false;
        client->setMenuId(0);
        client->startChild(&program);
        client->startChild(&pusher);
        client->startChild(&menu);
        run();
        // The premium inbox reads its saved lists behind the other start-up
        // file work; a count read before that ends would see none.
        return follow([&] { return client->getPremiumInboxManager().isLoaded(); }, 30000);
    }

    // The relay's notifications of messages (id and sender each), made by
    // one run of its script, as pushes; manual ones recommend manual
    // retrieval and are not fetched at once.
    std::vector<CPushRequest*> notifications(
        const std::vector<std::pair<std::string, std::string>>& messages, bool manual = false)
    {
        std::string command = testPython()
            + " -c 'import sys; sys.path.insert(0, \"" TESSEL_SOURCE_DIR
              "/tests/peers\"); import mms_relay; [print(mms_relay.notification_ind(l, t, manual="
            + std::string(manual ? "True" : "False")
            + ").hex()) for l, t in zip(sys.argv[1::2], sys.argv[2::2])]'";
        for (const auto& [id, from] : messages)
            command += " '" + relay.url("/msg/" + id + "?from=" + from) + "' T-" + id;
        const TestCommandResult run = testRunCommand(command);
        const std::vector<std::string> lines = testLines(run.output);
        std::vector<CPushRequest*> made;
        if (run.status != 0 || lines.size() != messages.size())
            return made;
        for (const std::string& hex : lines) {
            auto* push = new CPushRequest;
            push->setHeapAllocated(false);
            pushes.emplace_back(push);
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
                const auto byte = static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16));
                push->pdu.append(&byte, 1);
            }
            push->fetchNow = manual ? 0 : 1;
            made.push_back(push);
        }
        return made;
    }

    // A notification handed to the Client's push queue, as the phone's push
    // source hands it on: the Client passes it to the inbound manager and
    // tells the message summary job when it was handled.
    void queuePush(const CPushRequest& push)
    {
        auto* request = new CWapPushRequest;
        request->setReplyWanted(false);
        request->item.pdu = push.pdu;
        request->item.fetchNow = push.fetchNow;
        pusher.post(&client->getWapPushQueue(), request);
        run();
    }

    // Messages (id and sender each), fetched and stored; false at the first
    // the engine did not store within the time.
    bool receive(const std::vector<std::pair<std::string, std::string>>& messages)
    {
        const std::vector<CPushRequest*> made = notifications(messages);
        if (made.size() != messages.size())
            return false;
        // One at a time: the manager takes one push while it fetches.
        for (CPushRequest* push : made) {
            const std::size_t before = pusher.results.size();
            pusher.post(&client->getInboundMessageManager(), push);
            if (!follow([&] { return pusher.results.size() > before; }, 30000) || pusher.results.back() != 0)
                return false;
            if (dismissArrivals)
                dismissArrivalNotice();
        }
        return true;
    }
    // The program shows a new message's summary (job 28) when it arrives;
    // the user leaves it with Back.
    void dismissArrivalNotice()
    {
        CVXLUiJob* job = currentJob();
        if (!job || job->typeId() != 28)
            return;
        if (CVXLLayout* layout = job->getLayout())
            submitByLabel(*layout, "Back");
        run();
    }
    bool receive(const std::string& id, const std::string& from) { return receive({{id, from}}); }

    // A message to the recipient left in the outbound queue (data
    // communication is off, so nothing sends it). False when the queue
    // refused it.
    bool queueMessage(const char* recipient)
    {
        client->settings().setPersistentString(kPersDatacommActive, "0");
        auto* screen = new CScenarioLayout;
        screen->setId("__vxl_sendto_recipients");
        screens.emplace_back(screen);
        auto* submit = new COutboundSubmitRequest(1);
        submit->setHeapAllocated(false);
        submits.emplace_back(submit);
        submit->screen = screen;
        submit->recipients.insertAt(recipient, 0);
        const std::size_t before = pusher.results.size();
        pusher.post(&client->getOutboundQueueManager(), submit);
        run();
        return pusher.results.size() > before && pusher.results.back() == 0;
    }

    // Ticks until idle, taking every screen request.
    void run()
    {
        for (int i = 0; i < 100000; ++i) {
            const std::int32_t result = driver.tick();
            if (take())
                continue;
            if (result != CVXLClient::kTickWorkLeft && client->getWaitTime() != 0)
                break;
        }
    }
    // As run, the driven clock following real time, until `done`.
    bool follow(const std::function<bool()>& done, int realMs)
    {
        using Clock = std::chrono::steady_clock;
        const auto begin = Clock::now();
        auto last = begin;
        while (!done()) {
            driver.tick();
            take();
            if (Clock::now() - begin > std::chrono::milliseconds(realMs))
                return false;
            CVXLPlatformConnection::waitForSockets(
                std::max<std::uint32_t>(1, std::min(5u, client->getWaitTime())));
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
            driver.advance(static_cast<std::uint32_t>(elapsed.count()));
            last += elapsed;
        }
        run();
        return true;
    }
    bool take()
    {
        CVXLUIRequest* r = driver.popUIRequest();
        if (!r)
            return false;
        requests.push_back({r->kind(), r->layout(), r->url().c_str(), r->value()});
        return true;
    }

    // The last layout shown and not taken down.
    CVXLLayout* top() const
    {
        std::vector<CVXLLayout*> shown;
        for (const Request& r : requests) {
            if (r.kind == kUIRequestNewLayout)
                shown.push_back(r.layout);
            else if (r.kind == kUIRequestReleaseLayout)
                std::erase(shown, r.layout);
        }
        return shown.empty() ? nullptr : shown.back();
    }
    std::string topText() const
    {
        CVXLLayout* layout = top();
        return layout ? screenText(*layout) : "<none>";
    }
    bool press(const char* label)
    {
        CVXLLayout* layout = top();
        const bool taken = layout && submitByLabel(*layout, label);
        run();
        return taken;
    }

    // A job of the type from the pool, started as the program would start
    // it, with its properties.
    CVXLUiJob* startJob(int type, const std::vector<std::pair<const char*, CVXLVariant>>& properties = {})
    {
        CVXLUiJob* job = client->getUiJobPool()->acquire(type);
        if (!job)
            return nullptr;
        for (const auto& [name, value] : properties)
            job->setProperty(name, value);
        started.push_back(job);
        job->startUnder(&program);
        run();
        return job;
    }
    // An activity of the shipped program, as the menu or a launch starts
    // it, with the text its event carries (a message or thread key).
    CVXLEvent* startActivity(std::int32_t code, const char* text = "")
    {
        auto* event = new CMenuTextEvent(code);
        event->setHeapAllocated(false);
        event->setText(text);
        activities.emplace_back(event);
        menu.post(&client->getProducer(), event);
        run();
        return event;
    }
    // The UI job the program shows now.
    CVXLUiJob* currentJob() { return client->getProducer().uiJobs().current(); }

    // What the jobs told the program, in order (not the start notices).
    std::vector<std::int32_t> told() const
    {
        std::vector<std::int32_t> out;
        for (std::int32_t code : program.codes)
            if (code >= 0 && code < 1000)
                out.push_back(code);
        return out;
    }
    // The program's answer to a job: 12 go on, 13 abandoned.
    void answer(CVXLUiJob* job, std::int32_t code)
    {
        auto* event = new CVXLSimpleEvent(code);
        event->setHeapAllocated(true);
        program.post(job, event);
        run();
    }

    MmsRelayPeer relay;
    // Given to the relay when it starts.
    std::vector<std::string> relayArguments;
    // A device root makes itself the device's when it is made: one per rig.
    std::unique_ptr<TempDeviceRoot> ownRoot;
    TempDeviceRoot& root;
    EngineDriver driver {&root};
    CVXLClient* client = nullptr;
    ScriptedUiJobPool* pool = nullptr;
    // Data communication off from the start: nothing queued leaves the
    // phone, and nothing is fetched.
    bool dataOff = false;
    // receive() leaves each new message's summary with Back.
    bool dismissArrivals = true;
    // Stands in for the program: the jobs it starts tell it their results.
    TraceJob program {"program"};
    TraceJob pusher {"relay push"};
    TraceJob menu {"menu"};
    std::vector<std::unique_ptr<CVXLEvent>> activities;
    std::vector<Request> requests;
    std::vector<CVXLUiJob*> started;
    std::vector<std::unique_ptr<CPushRequest>> pushes;
    std::vector<std::unique_ptr<CScenarioLayout>> screens;
    std::vector<std::unique_ptr<COutboundSubmitRequest>> submits;
};

// The inbox's stored ids as tests/peers/msgstore.py reads the message store
// folder, sorted and joined by " "; "<unreadable>" when it cannot.
inline std::string storedInboxIds(CVXLClient& client)
{
    CVXLString folder;
    if (!platformHostPath(client.getMessageStore()->folder(), &folder))
        return "<unreadable>";
    const TestCommandResult run
        = testRunCommand(testPython() + " '" TESSEL_SOURCE_DIR "/tests/peers/msgstore.py' store-read '"
            + folder.c_str() + "' | " + testPython()
            + " -c 'import json, sys; print(\" \".join(sorted(json.load(sys.stdin)[\"lists\"][0])))'");
    if (run.status != 0)
        return "<unreadable>";
    std::string out = run.output;
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}
