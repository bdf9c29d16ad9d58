#pragma once

#include "engine/client/VXLClient.h"
#include "engine/client/VXLUIRequest.h"
#include "engine/screens/VXLLayout.h"
#include "engine/screens/VXLUiJob.h"
#include "engine/screens/VXLUiJobPool.h"
#include "tests/support/EngineDriver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// A UI job with a state machine that records the signals it is given: the
// parent of the child screens under test.
class ParentJob : public CVXLUiJob {
public:
    static constexpr std::int32_t kFirstExternal = 130;

    ParentJob()
        : CVXLUiJob(&ParentJob::Initial, kFirstExternal)
    {
    }
    int typeId() const override { return 10; }
    void onEvent(CVXLEvent* event) override
    {
        if (filterEvent(event) == 0)
            finishEvent(event);
    }
    std::uint32_t spinnerState() const override { return 2; }

    std::vector<std::int32_t> signals;

private:
    CVXLHsmState Initial(const CVXLEvent*)
    {
        setState(&ParentJob::Running);
        return handled();
    }
    CVXLHsmState Running(const CVXLEvent* e)
    {
        const std::int32_t s = signalOf(e);
        if (s >= kSignalUser) {
            signals.push_back(s);
            return handled();
        }
        return super(&CVXLHsm::top);
    }
};

// A started engine with its real pool, and a parent job under the Client;
// the screen requests are collected as the user interface would take them.
class ScreenJobFixture : public ::testing::Test {
public:
    struct Request {
        std::uint32_t kind;
        CVXLLayout* layout;
    };

    void SetUp() override
    {
        ASSERT_TRUE(engine.startUp());
        client = engine.client();
        pool = client->getUiJobPool();
        ASSERT_NE(pool, nullptr);
        parent.setPool(pool);
        client->startChild(&parent);
        run();
        requests.clear();
    }
    void TearDown() override
    {
        parent.stop();
        run();
    }

    // Ticks until idle, taking every screen request.
    void run()
    {
        for (int i = 0; i < 1000; ++i) {
            const std::int32_t result = engine.tick();
            if (CVXLUIRequest* request = engine.popUIRequest()) {
                requests.push_back({request->kind(), request->layout()});
                continue;
            }
            if (result == CVXLClient::kTickIdle && client->getWaitTime() != 0)
                break;
        }
    }
    // Moves the clock on and runs what falls due.
    void after(std::uint32_t milliseconds)
    {
        engine.advance(milliseconds);
        run();
    }
    std::string kinds() const
    {
        std::string out;
        for (const Request& r : requests)
            out += std::string(out.empty() ? "" : " ") + kUIRequestKindNames[r.kind];
        return out;
    }
    // The user interface closes the layouts it was asked to release; the
    // UI-job stack hands each to its current job, here `to`.
    void confirmReleases(CVXLUiJob& to)
    {
        for (const Request& r : requests) {
            if (r.kind == kUIRequestReleaseLayout)
                to.onLayoutReleased(r.layout);
        }
    }
    void setNumber(const char* key, const char* value) { client->settings().setPersistentString(key, value); }
    // The user interface lets go of a released layout: the child screens of
    // the pool (spinner, progress, error, information) take it back
    // themselves, since a pooled child must be free of its layout before it
    // is shown again; any other goes to `top`, as the UI-job stack does.
    void letGo(CVXLLayout* layout, CVXLUiJob& top)
    {
        if (pooledChildren.empty()) {
            for (int type : {CVXLUiJob::kSpinnerJobType, CVXLUiJob::kProgressJobType,
                     CVXLUiJob::kErrorJobType, CVXLUiJob::kInformationJobType}) {
                CVXLUiJob* child = pool->acquire(type);
                if (child && child->isPooled())
                    pooledChildren.push_back(child);
                pool->release(child);
            }
        }
        // Compared by address only: the layout of a fresh child that has
        // ended is gone with it.
        for (CVXLUiJob* child : pooledChildren) {
            if (layout && child->getLayout() == layout) {
                child->onLayoutReleased(layout);
                return;
            }
        }
        top.onLayoutReleased(layout);
    }

    EngineDriver engine;
    CVXLClient* client = nullptr;
    CVXLUiJobPool* pool = nullptr;
    ParentJob parent;
    std::vector<Request> requests;
    std::vector<CVXLUiJob*> pooledChildren;
};
