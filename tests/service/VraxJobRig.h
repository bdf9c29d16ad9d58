#pragma once

#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/service/VRAXJob.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/service/VRAXPageRequest.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkDialer.h"
#include "tests/service/FakeVraxEnvironment.h"
#include "tests/support/FileStoreFixture.h"
#include "tests/support/TestProcess.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

// The service protocol job against tests/peers/vrax_server.py on 127.0.0.1:
// one scripted reply per request, one log line per request received.

// The job under a requester, with a dialer over the real platform, a File
// Store Manager for the configuration file, and stand-ins for the Producer
// (answering prompts with `choice` and `password`; an empty choice declines)
// and the Scenario Manager (noting the configuration file it would reload).
struct VraxJobRig : FileStoreFixture {
    static constexpr std::int32_t kNoAnswer = -1000;

    VraxJobRig()
        : dialer(&factory, &netSettings)
        , job(environment)
    {
        files.setFileStore(&store);
        environment.phone = "+15550100";
        environment.email = "a@b.example";
        environment.lang = "en";
        environment.model = "T1";
        environment.now = 1800000000;
        environment.items[kCfgHttpUserAgent] = "TesselTest/1.0";
        job.setDialer(&dialer);
        job.setHttpSettings(&netSettings);
        job.httpJob().setLowSpeedWindow(5000);
        job.setFileStoreManager(&files);
        job.setPromptHandler(&producer);
        job.setScenarioManager(&scenario);
        producer.handler = [this](TraceJob& self, CVXLEvent* event) {
            if (!isPrompt(event))
                return self.finishEvent(event);
            auto* prompt = static_cast<CVRAXPromptEvent*>(event);
            prompts.push_back(event->effectiveCode());
            const bool isChoice = event->effectiveCode() == kEventVraxChoicePrompt;
            prompt->text = isChoice ? choice.c_str() : password.c_str();
            prompt->setResult(isChoice && choice.empty() ? kResultFailed : kResultSucceeded);
            self.finishEvent(event);
        };
        scenario.handler = [this](TraceJob& self, CVXLEvent* event) {
            if (event->effectiveCode() == kEventScenarioReload)
                reloadedConfig = readHostFile(CVRAXJob::kConfigFileName);
            self.finishEvent(event);
        };
        driver.attach(&files);
        driver.attach(&dialer);
        driver.attach(&producer);
        driver.attach(&scenario);
        driver.attach(&job);
        driver.attach(&requester);
        driver.runUntilIdle();
    }
    static bool isPrompt(const CVXLEvent* event)
    {
        return event->effectiveCode() == kEventVraxChoicePrompt
            || event->effectiveCode() == kEventVraxPasswordPrompt;
    }
    ~VraxJobRig()
    {
        if (server > 0)
            testStopProcess(server, 2000);
    }

    // Starts the server with its script; the job's server address is it.
    bool serve(const std::string& script)
    {
        logPath = root.hostPath("vrax-server.log");
        std::uint16_t port = 0;
        server
            = testStartPythonPeer("vrax_server.py", {script, logPath, "--announce"}, logPath + ".out", &port);
        if (server < 0)
            return false;
        environment.items[kCfgServerUri] = testLoopbackUrl(port, "/vrax");
        return true;
    }

    void registered()
    {
        environment.store.set(kPersVraxId, "D42");
        environment.store.set(kPersVraxRegComplete, "1");
    }

    // Posts the request and runs until it is answered; its result, or
    // kNoAnswer when none came in time.
    std::int32_t run(CVRAXJobRequest& request, int realMs = 15000)
    {
        const std::size_t before = requester.results.size();
        requester.post(&job, &request);
        const bool answered = pump([&] { return requester.results.size() > before; }, realMs);
        return answered ? requester.results.back() : kNoAnswer;
    }

    bool pump(const std::function<bool()>& done, int realMs = 15000)
    {
        return driver.followRealTime(
            [&] { driver.runUntilIdle(100000); }, done, realMs, std::chrono::milliseconds(50));
    }

    std::vector<std::string> log() const
    {
        std::ifstream in(logPath);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    // The sha256 of bytes, as the server logs them.
    std::string sha256(const std::string& data) const
    {
        const std::string path = root.hostPath("hashed.bin");
        std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
        return testRunCommand("sha256sum " + path).output.substr(0, 64);
    }

    // n bytes of an item to upload, without a run that repeats soon.
    static std::string uploadBytes(std::size_t n)
    {
        std::string out(n, '\0');
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<char>((i * 131 + i / 7) & 0xff);
        return out;
    }

    // What the server serves for each item of a batch fetch: id to sha256.
    static std::map<std::string, std::string> servedHashes()
    {
        std::map<std::string, std::string> hashes;
        std::istringstream lines(
            runPython(std::string(TESSEL_SOURCE_DIR) + "/tests/peers/vrax_server.py --fetched"));
        for (std::string id, hash; lines >> id >> hash;)
            hashes[id] = hash;
        return hashes;
    }

    CVRAXJobRequest& albumList(std::uint8_t repeat = 0)
    {
        page.setWindow(0, 5);
        list.page = &page;
        list.repeatPermitted = repeat;
        return list;
    }

    CVXLPlatformFactory factory;
    CVXLHttpSettings netSettings;
    CVXLNetworkDialer dialer;
    CVXLFileStoreManager files;
    FakeVraxEnvironment environment;
    CVRAXJob job;
    TraceJob producer {"producer"};
    TraceJob scenario {"scenario manager"};
    TraceJob requester {"requester"};
    CVRAXPageRequest page;
    CVRAXJobRequest list {kEventVraxAlbumList, 40};
    CVRAXJobRequest registration {kEventVraxRegister, 41};
    std::string choice = "a2";
    std::string password = "s3cret";
    std::vector<std::int32_t> prompts;
    std::string reloadedConfig = "<not reloaded>";
    std::string logPath;
    pid_t server = -1;
};
