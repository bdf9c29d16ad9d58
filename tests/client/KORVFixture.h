#pragma once

#include "engine/client/KORVClientServices.h"
#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/client/machine/StackMachine.h"
#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLRunRequest.h"
#include "engine/client/machine/VXLScenarioProgram.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/client/menu/MediaAccessEvent.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/client/program/KORVBuiltins.h"
#include "engine/client/scenario/ScenarioManager.h"
#include "engine/core/jobs/VXLFlagEvent.h"
#include "engine/core/jobs/VXLIntEvent.h"
#include "tests/client/ScenarioCompile.h"
#include "tests/client/ScenarioTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScriptedUiJobs.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

// A message summary as the messaging subsystem would hand it to the program.
struct TestSummary : CVXLObject {
    TestSummary(const char* message, const char* thread)
        : id(message)
        , thread(thread)
    {
    }
    CVXLString id;
    CVXLString thread;
};

// The Client's own services to the built-ins (once setClient has named it),
// with the managers around it recording what they are asked.
class TestServices : public CKORVClientServices {
public:
    std::vector<std::string> traces;
    int contactResets = 0;
    int contactCopies = 0;
    int deselects = 0;
    std::set<std::string> newMessages;
    CVXLEventHandler* scenarios = nullptr;
    CVXLEventHandler* media = nullptr;
    CVXLEventHandler* threads = nullptr;

    // Stores 1 to 7 are phone stores (kind 3), 8 a card store (kind 4).
    static std::uint32_t locationOf(std::uint16_t store)
    {
        if (store >= 1 && store <= 7)
            return (static_cast<std::uint32_t>(store) << 16) + 3;
        return store == 8 ? (8u << 16) + 4 : 0;
    }

    void trace(const CVXLString& line) override { traces.push_back(line.c_str()); }
    void resetGlobalContacts() override
    {
        ++contactResets;
        CKORVClientServices::resetGlobalContacts();
    }
    void copyPhoneContactsToGlobal() override { ++contactCopies; }
    void deselectAllMedia() override { ++deselects; }
    std::uint32_t storeLocation(std::uint16_t store) override { return locationOf(store); }
    std::uint16_t defaultLocalStoreId() override { return 2; }
    CVXLString messageId(const CVXLObject* object) override
    {
        const auto* s = dynamic_cast<const TestSummary*>(object);
        return s ? s->id : CVXLString();
    }
    CVXLString threadId(const CVXLObject* object) override
    {
        const auto* s = dynamic_cast<const TestSummary*>(object);
        return s ? s->thread : CVXLString();
    }
    bool isMessageNew(const CVXLString& key) override { return newMessages.count(key.c_str()) != 0; }
    CVXLEventHandler* threadDatabase() override { return threads; }
    CVXLEventHandler* scenarioManager() override { return scenarios; }
    CVXLEventHandler* localMediaManager() override { return media; }
};

// A screen request other than a layout, as the user interface is told it.
struct ScreenRequest {
    std::uint32_t kind;
    std::string url;
    std::int32_t value;
};

// Ticks the engine until it is idle, collecting the screen requests other
// than layouts.
inline void runEngineUntilIdle(EngineDriver& engine, std::vector<ScreenRequest>* requests)
{
    for (int i = 0; i < 100000; ++i) {
        const std::int32_t result = engine.tick();
        if (CVXLUIRequest* r = engine.popUIRequest()) {
            // Layouts come and go with their screens; the rest is collected.
            const bool layout = r->kind() == kUIRequestNewLayout || r->kind() == kUIRequestReleaseLayout
                || r->kind() == kUIRequestUpdatedLayout;
            if (!layout)
                requests->push_back({r->kind(), r->url().c_str(), r->value()});
            continue;
        }
        if (result != CVXLClient::kTickWorkLeft && engine.client()->getWaitTime() != 0)
            break;
    }
}

// A whole engine (the Client with its settings and screen requests), a
// Scenario Manager reading the test configuration, a stand-in for the
// Producer that owns the UI-job stack with scripted UI jobs, and stack
// machines carrying the built-ins.
class KORVFixture : public ::testing::Test {
public:
    using Request = ScreenRequest;

    void SetUp() override
    {
        ASSERT_TRUE(engine.startUp());
        client = engine.client();
        client->setMenuId(0);
        pool.setClient(client);
        services.setClient(client);
        builtins = std::make_unique<CKORVBuiltins>(&services);
        reader->files[CScenarioManager::kFileName] = readTestFile("tests/client/data/vxlcfg.xml");
        scenarioManager.setClient(&scenarioClient);
        services.scenarios = &scenarioManager;
        client->startChild(&producer);
        client->startChild(&scenarioManager);
        run();
    }

    void TearDown() override
    {
        for (auto& m : machines) {
            if (m->parent())
                m->stop();
        }
        run();
        producer.stop();
        scenarioManager.stop();
        run();
    }

    void run() { runEngineUntilIdle(engine, &requests); }

    void compile(CVXLScenarioProgram& program, const std::string& source)
    {
        std::string errors;
        std::vector<std::uint8_t> bytes = compileScenario(source, &errors);
        ASSERT_FALSE(bytes.empty()) << errors;
        ASSERT_TRUE(program.load(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
    }

    CStackMachine& attach(const CVXLScenarioProgram& program)
    {
        machines.push_back(std::make_unique<CStackMachine>(&stack));
        CStackMachine& m = *machines.back();
        builtins->install(m.helper());
        m.setProgram(&program);
        m.setCounters(&client->getCounters());
        producer.startChild(&m);
        run();
        return m;
    }

    CVXLRunRequest& start(CStackMachine& m, std::vector<CVXLVariant> args)
    {
        runs.push_back(std::make_unique<CVXLRunRequest>());
        CVXLRunRequest& r = *runs.back();
        r.setHeapAllocated(false);
        for (std::uint32_t i = 0; i < args.size(); ++i)
            r.setArgument(i, args[i]);
        producer.post(&m, &r);
        run();
        return r;
    }

    // Answers the current UI job with the script until the run has ended or
    // the script is used up.
    void play(CVXLRunRequest& r)
    {
        while (!answered(r) && pool.answer(stack))
            run();
    }

    static bool answered(const CVXLRunRequest& r)
    {
        return r.kind() == kEventReply && r.status() != kEventQueued;
    }

    EngineDriver engine;
    CVXLClient* client = nullptr;
    TestServices services;
    std::unique_ptr<CKORVBuiltins> builtins;
    MemoryFileReader* reader = new MemoryFileReader();
    CScenarioManager scenarioManager {reader};
    FakeScenarioClient scenarioClient;
    TraceJob producer {"Producer"};
    ScriptedUiJobPool pool;
    CVXLUiJobStack stack {&producer, &pool};
    std::vector<std::unique_ptr<CStackMachine>> machines;
    std::vector<std::unique_ptr<CVXLRunRequest>> runs;
    std::vector<Request> requests;
};
