#include "platform/kernel/MemoryStatus.h"

#include <sys/sysinfo.h>

namespace tessel::kernel {

namespace {

// A 32-bit process's virtual space, as the phone's slot gives it.
constexpr std::uint64_t kVirtualSpace = 32ull << 20;

} // namespace

MemoryStatus memoryStatus()
{
    MemoryStatus status;
    struct sysinfo info {};
    if (::sysinfo(&info) != 0)
        return status;
    const std::uint64_t unit = info.mem_unit ? info.mem_unit : 1;
    status.totalPhys = info.totalram * unit;
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
