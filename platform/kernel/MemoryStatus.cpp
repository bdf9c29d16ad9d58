#include "platform/kernel/MemoryStatus.h"

#include <sys/sysinfo.h>

#include <cstdio>
#include <cstring>

namespace tessel::kernel {

namespace {

// A 32-bit process's virtual space, as the phone's slot gives it.
constexpr std::uint64_t kVirtualSpace = 32ull << 20;

// What the host could hand out without swapping (free memory and the cache
// it can drop), from /proc/meminfo; 0 when it does not say.
std::uint64_t availableBytes()
{
    std::FILE* file = std::fopen("/proc/meminfo", "r");
    if (!file)
        return 0;
    char line[256];
    unsigned long long kb = 0;
    while (std::fgets(line, sizeof line, file)) {
        if (std::strncmp(line, "MemAvailable:", 13) == 0) {
            std::sscanf(line + 13, "%llu", &kb);
            break;
        }
    }
    std::fclose(file);
    return static_cast<std::uint64_t>(kb) << 10;
}

} // namespace

MemoryStatus memoryStatus()
{
    MemoryStatus status;
    struct sysinfo info { };
    if (::sysinfo(&info) != 0)
        return status;
    const std::uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    status.totalPhys = info.totalram * unit;
    // Free memory alone leaves out the page cache, which on a busy host can
    // hold nearly all of it and would make the phone look out of memory.
    status.availPhys = availableBytes();
    if (status.availPhys == 0)
        status.availPhys = (info.freeram + info.bufferram) * unit;
    status.totalPageFile = info.totalswap * unit;
    status.availPageFile = info.freeswap * unit;
    status.totalVirtual = kVirtualSpace;
    status.availVirtual = kVirtualSpace;
    if (status.totalPhys > 0)
        status.memoryLoad = static_cast<std::uint32_t>(100 - status.availPhys * 100 / status.totalPhys);
    return status;
}

} // namespace tessel::kernel
