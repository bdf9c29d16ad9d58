#include "engine/core/jobs/VXLCallbackEvent.h"
#include "engine/core/base/VXLCallbackListener.h"
#include "engine/core/jobs/VXLDoneSink.h"
#include "engine/core/jobs/VXLNameSink.h"
#include "engine/core/jobs/VXLSourceDescriptor.h"
#include "tests/support/JobTreeDriver.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

constexpr std::int32_t kNameKnown = 40;

// A small job that asks a "platform object" for a name: the platform object
// reports into a name sink, the sink calls the job's callback event, and the
// answer arrives as an event in the job's own queue at its next step.
class NamingJob : public TraceJob {
public:
    NamingJob()
        : TraceJob("naming")
        , callback_(this, kNameKnown)
        , sink_(&callback_)
    {
    }

    CVXLNameSink& sink() { return sink_; }
    CVXLCallbackEvent& callback() { return callback_; }

private:
    CVXLCallbackEvent callback_;
    CVXLNameSink sink_;
};

TEST(VXLCallbackEvent, TurnsAPlatformReportIntoAnEventOfItsOwner)
{
    JobTreeDriver driver;
    NamingJob job;
    driver.attach(&job);
    driver.runUntilIdle();

    job.sink().setName("photo.jpg");
    job.sink().done(17);
    EXPECT_TRUE(job.sink().isDone());
    EXPECT_STREQ(job.sink().name().c_str(), "photo.jpg");
    EXPECT_EQ(job.callback().status(), kEventQueued);
    EXPECT_EQ(job.callback().source(), &job);
    EXPECT_EQ(job.incomingCount(), 0u) << "it arrives in the own queue";

    driver.runUntilIdle();
    EXPECT_EQ(job.codes.back(), kNameKnown);
    EXPECT_EQ(job.results.back(), 17);
    // Reused for the next operation.
    job.callback().call(3);
    driver.runUntilIdle();
    EXPECT_EQ(job.results.back(), 3);
    EXPECT_EQ(job.outstandingReplies(), 0);
}

struct Listener : CVXLCallbackListener {
    std::vector<std::pair<std::int32_t, std::int32_t>> calls;
    void onCallback(std::int32_t value, std::int32_t flag) override { calls.emplace_back(value, flag); }
};

TEST(VXLDoneSink, ReportsValueAndOneToTheOwner)
{
    Listener listener;
    CVXLDoneSink sink(&listener);
    EXPECT_FALSE(sink.isDone());
    sink.done(5);
    EXPECT_TRUE(sink.isDone());
    EXPECT_EQ(listener.calls, (std::vector<std::pair<std::int32_t, std::int32_t>> {{5, 1}}));
}

TEST(VXLSourceDescriptor, CollectsFieldsAndOwnsItsEntries)
{
    Listener listener;
    CVXLSourceDescriptor descriptor(&listener);
    descriptor.setText(7, "image/jpeg");
    descriptor.setText(8, "ignored");
    descriptor.setIntegers4And3(4, 3);
    descriptor.setIntegers1And2(1, 2);
    descriptor.setInteger(6, 66);
    descriptor.setInteger(0, 99);
    descriptor.addEntry("one");
    descriptor.appendCopy("two");
    EXPECT_STREQ(descriptor.text(7).c_str(), "image/jpeg");
    EXPECT_STREQ(descriptor.text(8).c_str(), "");
    for (int field = 1; field <= 4; ++field)
        EXPECT_EQ(descriptor.integer(field), field);
    EXPECT_EQ(descriptor.integer(6), 66);
    EXPECT_EQ(descriptor.integer(0), 0);
    ASSERT_EQ(descriptor.entries().count(), 2u);
    EXPECT_STREQ(static_cast<CVXLString*>(descriptor.entries().tail()->object)->c_str(), "two");
    descriptor.done(0);
    EXPECT_TRUE(descriptor.isDone());
    EXPECT_EQ(listener.calls, (std::vector<std::pair<std::int32_t, std::int32_t>> {{0, 1}}));
    descriptor.clearEntries();
    EXPECT_EQ(descriptor.entries().count(), 0u);
    descriptor.addEntry("kept until destruction");
}

} // namespace
