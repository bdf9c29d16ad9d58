#pragma once

#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

// A fresh device root, a driven job tree and the engine's file store folder,
// for tests of jobs that move files.
struct FileStoreFixture {
    TempDeviceRoot root;
    JobTreeDriver driver;
    CVXLPlatformFileStore store;

    // Host path of a file in the store's folder.
    std::string hostFile(const std::string& name) const
    {
        CVXLString host;
        platformHostPath(store.folder(), &host);
        return std::string(host.c_str()) + "/" + name;
    }

    void writeHostFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(hostFile(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    std::string readHostFile(const std::string& name) const
    {
        std::ifstream in(hostFile(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool hostFileExists(const std::string& name) const { return std::ifstream(hostFile(name)).good(); }

    static std::string randomBytes(std::size_t n, std::uint32_t seed)
    {
        std::mt19937 generator(seed);
        std::string bytes(n, '\0');
        for (char& c : bytes)
            c = static_cast<char>(generator() & 0xFF);
        return bytes;
    }

    // The output of a Python command line (TESSEL_TEST_PYTHON, else python3).
    static std::string runPython(const std::string& arguments)
    {
        return testRunCommand(testPython() + " " + arguments).output;
    }
};
