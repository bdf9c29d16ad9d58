#pragma once

#include "engine/core/jobs/JobRunner.h"
#include "engine/media/OnlineMediaManager.h"
#include "engine/media/VXLMediaRef.h"
#include "tests/service/VraxJobRig.h"

// The online media manager over the service protocol job and
// tests/peers/vrax_server.py, serving media references under a Job Runner.
struct IconRig : VraxJobRig, COnlineMediaManager::Owner {
    IconRig()
    {
        manager.setOwner(this);
        driver.attach(&manager);
        driver.attach(&runner);
        driver.runUntilIdle();
        driver.root().setJobRunner(&runner);
        registered();
    }
    ~IconRig() { driver.runUntilIdle(); }
    CVXLEventHandler* vraxJob() override { return &job; }
    bool configItem(std::int32_t, CVXLString*) override { return false; }

    COnlineMediaManager manager;
    CJobRunner runner;
};
