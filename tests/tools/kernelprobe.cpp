// A second process for the kernel stand-in tests. Exit status 0 means done
// (or equal), 1 not done (missing, different, timed out), 2 bad usage.
//
//   kernelprobe args ARG...                 log the arguments, one line each, to log/probe.log
//   kernelprobe reg-set KEY NAME TEXT       set a text value under HKEY_CURRENT_USER
//   kernelprobe reg-expect KEY NAME TEXT    is the text value equal to TEXT?
//   kernelprobe reg-fill KEY PREFIX COUNT   set PREFIX0 .. PREFIX<COUNT-1> to their numbers
//   kernelprobe sem-hold NAME               take the semaphore, log "held", then sleep until killed
//   kernelprobe sem-try NAME MS             take the semaphore within MS milliseconds?

#include "platform/kernel/DeviceLog.h"
#include "platform/kernel/NamedSemaphore.h"
#include "platform/kernel/Registry.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

using namespace tessel::kernel;

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::string command = argv[1];
    if (command == "args") {
        for (int i = 2; i < argc; ++i)
            appendDeviceLog("probe", argv[i]);
        return 0;
    }
    if (command == "reg-set" && argc == 5)
        return registrySetText(RegistryHive::CurrentUser, argv[2], argv[3], argv[4]) ? 0 : 1;
    if (command == "reg-expect" && argc == 5) {
        std::string text;
        return registryQueryText(RegistryHive::CurrentUser, argv[2], argv[3], &text) && text == argv[4] ? 0
                                                                                                        : 1;
    }
    if (command == "reg-fill" && argc == 5) {
        int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i) {
            std::string name = std::string(argv[3]) + std::to_string(i);
            if (!registrySetText(RegistryHive::CurrentUser, argv[2], name, std::to_string(i)))
                return 1;
        }
        return 0;
    }
    if (command == "sem-hold" && argc == 3) {
        SemaphoreHandle handle = semaphoreCreate(argv[2], 1, 1);
        if (semaphoreWait(handle, 0) != SemaphoreWait::Taken)
            return 1;
        appendDeviceLog("probe", "held");
        for (;;)
            ::pause();
    }
    if (command == "sem-try" && argc == 4) {
        SemaphoreHandle handle = semaphoreCreate(argv[2], 1, 1);
        bool taken
            = semaphoreWait(handle, static_cast<std::uint32_t>(std::atoi(argv[3]))) == SemaphoreWait::Taken;
        semaphoreClose(handle);
        return taken ? 0 : 1;
    }
    return 2;
}
