#pragma once

// For targets that read a file of the device root: one temporary root per
// process, and the input written whole to a file in it before each run.
#include "platform/kernel/DeviceRoot.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

inline const std::string& fuzzDeviceRoot()
{
    static const std::string root = [] {
        char pattern[] = "/tmp/tessel-fuzz-root-XXXXXX";
        const char* dir = mkdtemp(pattern);
        if (!dir)
            std::abort();
        tessel::kernel::setDeviceRoot(dir);
        return std::string(dir);
    }();
    return root;
}

inline void fuzzWriteFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);
}
