#pragma once

#include "engine/core/jobs/JobRunner.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/transfer/VXLOemXferDestination.h"
#include "tests/support/JobTreeDriver.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

// A user-interface destination that keeps what it is given. It can take a
// limited number of bytes per call, take nothing for a number of calls, or
// refuse the begin; it records how deep writeData calls nest.
class TestDestination : public CVXLOemXferDestination {
public:
    void beginTransfer(std::int32_t total, CVXLCallback* callback) override
    {
        totals.push_back(total);
        callback->call(static_cast<std::uint32_t>(beginStatus));
    }
    void endTransfer() override { ++ends; }
    void writeData(CVXLSinkInterface* sink) override
    {
        ++writeCalls;
        ++depth_;
        maxDepth = std::max(maxDepth, depth_);
        if (zeroCalls > 0) {
            --zeroCalls;
            sink->consume(0, 0);
        } else {
            const std::uint32_t offered = sink->getLength();
            const std::uint32_t taken = perCall ? std::min(perCall, offered) : offered;
            offers.push_back(offered);
            bytes.append(reinterpret_cast<const char*>(sink->getData()), taken);
            sink->consume(taken, 0);
        }
        --depth_;
    }
    void closeTransfer(CVXLCallback* callback) override { callback->call(0); }
    std::int32_t getMaxSize() override { return maxSize; }

    std::int32_t beginStatus = 0;
    std::int32_t maxSize = 512000;
    std::uint32_t perCall = 0;
    int zeroCalls = 0;
    std::vector<std::int32_t> totals;
    std::vector<std::uint32_t> offers;
    std::string bytes;
    int ends = 0;
    int writeCalls = 0;
    int maxDepth = 0;

private:
    int depth_ = 0;
};

// A driven job tree with a started Job Runner that media references use.
// A media reference that counts its deletion.
class CountedMediaRef : public CVXLMediaRef {
public:
    explicit CountedMediaRef(int* deleted)
        : deleted_(deleted)
    {
    }
    ~CountedMediaRef() override { ++*deleted_; }

private:
    int* deleted_;
};

// A handle that holds the only reference to a fresh counted item.
inline CVXLMediaRefHandle soleHandle(int* deleted)
{
    auto* item = new CountedMediaRef(deleted);
    CVXLMediaRefHandle handle(item);
    item->release();
    return handle;
}

struct MediaFixture {
    JobTreeDriver driver;
    CJobRunner runner;

    MediaFixture()
    {
        driver.attach(&runner);
        driver.runUntilIdle();
        driver.root().setJobRunner(&runner);
    }
    // Handles let go of their items above; an item still serving stops, and
    // the runner deletes it once it has.
    ~MediaFixture() { driver.runUntilIdle(); }
};
