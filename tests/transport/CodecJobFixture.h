#pragma once

// The smallest engine that runs the codec jobs: a temporary device root, a
// message store on it, a task processor on a driven clock with the encoder
// and the decoder registered, and a listener per transaction.

#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/transport/mms/VXLWspDecode.h"
#include "engine/transport/mms/VXLWspEncode.h"
#include "engine/transport/tasks/VXLTaskProcessor.h"
#include "engine/transport/tasks/VXLTransactionListener.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace codecjobs {

class RecordingListener : public CVXLTransactionListener {
public:
    void transactionFinished(std::int32_t result) override { results.push_back(result); }
    std::vector<std::int32_t> results;
};

class CodecJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = new CVXLPlatformMessageStore;
        encoder.setMessageStore(store);
        decoder.setMessageStore(store);
        driver.attach(&tasks);
        tasks.registerProcessor(&encoder);
        tasks.registerProcessor(&decoder);
        driver.runUntilIdle();
    }

    void TearDown() override
    {
        // Every stream a job opened is closed again, whatever the outcome.
        EXPECT_EQ(store->openStreams(), 0u);
        delete store;
    }

    // Submits and runs until the listener has been told (at most a few
    // dispatch ticks).
    void run(CVXLTransaction& transaction, const RecordingListener& listener)
    {
        ASSERT_EQ(tasks.addTransaction(&transaction), 1);
        for (int tick = 0; tick < 5 && listener.results.empty(); ++tick)
            driver.runToNextTimer();
        ASSERT_EQ(listener.results.size(), 1u);
        EXPECT_FALSE(encoder.isBusy());
        EXPECT_FALSE(decoder.isBusy());
    }

    // Submits and steps until the transaction's processor has started.
    void startOnly(CVXLTransaction& transaction)
    {
        ASSERT_EQ(tasks.addTransaction(&transaction), 1);
        driver.advance(driver.nextTimeout());
        driver.step();
        ASSERT_NE(transaction.processor(), nullptr);
    }

    // Phone path of a file written below the device root.
    std::string writeFile(const std::string& name, const std::string& contents)
    {
        root.writeFile("My Documents/" + name, contents);
        return "\\My Documents\\" + name;
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    CVXLPlatformMessageStore* store = nullptr;
    CVXLTaskProcessor tasks;
    CVXLWspEncode encoder;
    CVXLWspDecode decoder;
};

} // namespace codecjobs
