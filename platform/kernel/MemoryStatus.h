#pragma once

#include <cstdint>

// The phone's memory status record: the load in percent and the total and
// available amounts, in bytes, of physical memory, the page file and the
// process's virtual space, from the host's figures.
namespace tessel::kernel {

struct MemoryStatus {
    std::uint32_t memoryLoad = 0;
    std::uint64_t totalPhys = 0;
    std::uint64_t availPhys = 0;
    std::uint64_t totalPageFile = 0;
    std::uint64_t availPageFile = 0;
    std::uint64_t totalVirtual = 0;
    std::uint64_t availVirtual = 0;
};

MemoryStatus memoryStatus();

} // namespace tessel::kernel
