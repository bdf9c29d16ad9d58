// A second process for the crash test of the configuration file: it
// registers with the service's server at URL again and again, each reply
// carrying a configuration part that the service protocol job writes to the
// file store's "vxlcfg.xml", to be killed at any moment. Prints "started"
// once its jobs run. Exit status 2 means bad usage.
//
//   vraxcrash URL

#include "engine/core/jobs/VXLEngineClock.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/core/settings/VXLConfigItem.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/service/VRAXJob.h"
#include "engine/service/VRAXJobRequest.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkDialer.h"
#include "tests/service/FakeVraxEnvironment.h"

#include <chrono>
#include <cstdio>

namespace {

class Root : public CVXLEventHandler {
public:
    Root() { setRoot(this); }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    CVXLEngineClock clock;
    Root root;
    root.setClock(&clock);
    CVXLPlatformFactory factory;
    CVXLHttpSettings settings;
    CVXLNetworkDialer dialer(&factory, &settings);
    CVXLPlatformFileStore store;
    CVXLFileStoreManager files;
    files.setFileStore(&store);
    FakeVraxEnvironment environment;
    environment.items[kCfgServerUri] = argv[1];
    environment.phone = "+15550100";
    CVRAXJob job(environment);
    job.setDialer(&dialer);
    job.setHttpSettings(&settings);
    job.setFileStoreManager(&files);
    CVXLEventHandler requester;
    root.startChild(&files);
    root.startChild(&dialer);
    root.startChild(&job);
    root.startChild(&requester);
    auto last = std::chrono::steady_clock::now();
    auto run = [&] {
        const auto now = std::chrono::steady_clock::now();
        clock.advance(static_cast<std::uint32_t>(
            std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count()));
        last = now;
        clock.setInTick(true);
        root.step();
        clock.setInTick(false);
        if (root.runState() != kHandlerRunnable)
            CVXLPlatformConnection::waitForSockets(1);
    };
    for (int i = 0; i < 50; ++i)
        run();
    std::fprintf(stdout, "started\n");
    std::fflush(stdout);
    for (;;) {
        CVRAXJobRequest registration(kEventVraxRegister, 42);
        requester.post(&job, &registration);
        while (registration.isBusy())
            run();
    }
}
