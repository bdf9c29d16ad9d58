#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformFileStore.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/messaging/premium/PremiumGroupList.h"
#include "engine/messaging/premium/PremiumInboxManager.h"
#include "tests/messaging/inbound/InboundTestSupport.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>

// Premium previews end to end: notifications whose previews the test relay
// answers with an X-QV-Folder descriptor (the fixtures of tests/peers/premium,
// well-formed as xmllint reads them), received by the inbound manager over
// loopback, stored by the real message store and routed to the premium inbox.

namespace {

constexpr const char* kFixtures = TESSEL_SOURCE_DIR "/tests/peers/premium/";

std::string fixture(const std::string& name)
{
    std::ifstream in(kFixtures + name, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // One header line: line ends become spaces, the last goes.
    for (char& c : text)
        if (c == '\n')
            c = ' ';
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

std::string urlEncoded(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_'
            || c == '.')
            out += static_cast<char>(c);
        else
            out += std::string("%") + digits[c >> 4] + digits[c & 15];
    }
    return out;
}

struct PremiumText : CPremiumInboxManager::Services {
    std::uint32_t nowSeconds() override { return 1700000000; }
    std::int32_t orderingMode() override { return CPremiumGroupList::kByName; }
    CVXLString engineText(std::uint32_t id) override
    {
        return id == CPremiumInboxManager::kTextRecovered ? "Recovered" : "Premium Content";
    }
};

class PremiumRelayEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(relay.start());
        files.setFileStore(&fileStore);
        premium.setFileStoreManager(&files);
        premium.setMessageStore(&rig.store);
        premium.setServices(&text);
        premium.setRequestSender(&rig.requester);
        rig.store.setPremiumInbox(&premium);
        rig.manager.setPremiumInbox(&premium);
        driver.attach(&files);
        rig.attach(driver, relay.url("/mms"), "", "4711");
        driver.attach(&premium);
        driver.runUntilIdle();
        while (!premium.isLoaded() && driver.runToNextTimer()) { }
        ASSERT_TRUE(premium.isLoaded());
    }
    void TearDown() override
    {
        for (CVXLEventHandler* job :
            {static_cast<CVXLEventHandler*>(&rig.manager), static_cast<CVXLEventHandler*>(&premium),
                static_cast<CVXLEventHandler*>(&rig.store), static_cast<CVXLEventHandler*>(&files)}) {
            if (job->isActive())
                job->stop();
            driver.runUntilIdle();
        }
    }

    // A notification for the relay's /msg/ID with the folder value; the
    // push's result.
    std::int32_t receive(const std::string& id, const std::string& folder)
    {
        const std::string location = relay.url("/msg/" + id + "?folder=" + urlEncoded(folder));
        const std::string bytes = relayNotification(location, "T-" + id);
        EXPECT_FALSE(bytes.empty()) << location;
        CPushRequest push;
        push.setHeapAllocated(false);
        push.pdu.append(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()));
        push.fetchNow = 1;
        const std::size_t before = rig.requester.answers.size();
        rig.requester.post(&rig.manager, &push);
        driver.followRealTime([&] { driver.step(); }, [&] { return rig.requester.answers.size() != before; },
            30000, std::chrono::microseconds(200));
        driver.runUntilIdle();
        return rig.requester.answers.size() == before ? -99 : rig.requester.answers.back();
    }
    std::string groups()
    {
        std::string out;
        for (std::uint32_t i = 0; const CPremiumGroup* group = premium.groupAt(i); ++i)
            out += (i ? "; " : "") + std::string(group->groupId.c_str()) + " \"" + group->name.c_str() + "\" "
                + std::to_string(group->priority) + " " + std::to_string(group->messageCount);
        return out;
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    MmsRelayPeer relay;
    CVXLPlatformFileStore fileStore;
    CVXLFileStoreManager files;
    PremiumText text;
    CPremiumInboxManager premium;
    InboundRig rig;
};

TEST(PremiumDescriptorFixtures, AreWellFormed)
{
    TESSEL_REQUIRE_TOOL(testToolXmllint());
    const TestCommandResult run = testRunCommand(std::string("xmllint --noout ") + kFixtures + "*.xml 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
}

TEST_F(PremiumRelayEndToEnd, PreviewsLandInTheirGroupsOrAreDeleted)
{
    const struct {
        const char* id;
        const char* fixture;
        std::uint32_t premiumBox; // messages in the premium box after it
        std::uint32_t entries;
    } rows[] = {
        {"P1", "normal.xml", 1, 1},
        {"P2", "normal-capital.xml", 2, 2},
        {"P3", "delete.xml", 2, 2},
        {"P4", "name-only.xml", 3, 3},
        {"P5", "top-priority.xml", 4, 4},
        {"P6", "normal.xml", 5, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fixture);
        EXPECT_EQ(receive(row.id, fixture(row.fixture)), kResultSucceeded) << relay.log();
        EXPECT_EQ(rig.store.boxCount(2), row.premiumBox);
        EXPECT_EQ(premium.entryCount(), row.entries);
    }
    // Kept previews were fetched whole; the refused one was not.
    const std::string log = relay.log();
    EXPECT_NE(log.find("GET /msg/P1?folder="), std::string::npos) << log;
    EXPECT_EQ(log.find("GET /msg/P3?folder=" + urlEncoded(fixture("delete.xml")) + " "), std::string::npos)
        << log;
    EXPECT_EQ(rig.store.boxCount(0), 0u);
    EXPECT_EQ(groups(),
        "sports \"Sports\" 5 2; news \"News\" 1610612736 1; Weather \"Weather\" 1610612736 1; "
        "vip \""
            + fixture("top-priority.xml") + "\" 2147483646 1");

    // A folder of "Inbox" is no descriptor: the inbox takes the message.
    EXPECT_EQ(receive("I1", "Inbox"), kResultSucceeded);
    EXPECT_EQ(rig.store.boxCount(0), 1u);
    EXPECT_EQ(premium.entryCount(), 5u);
}

} // namespace
