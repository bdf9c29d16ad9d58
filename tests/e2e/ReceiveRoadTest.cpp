#include "tests/e2e/DemoRoad.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kMessages = "Storage Card/Tessel/Messages";

// Occurrences of text in a text.
int countOf(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// The bytes of the leaf parts of the message the relay serves, as hex.
std::vector<std::string> servedParts(const DemoRoad& road)
{
    std::vector<std::string> parts;
    for (const auto& part : road.relayParts())
        parts.push_back(part.second);
    return parts;
}

// The push queue as tests/peers/push_queue_file.py reads it.
std::string pushQueue(const DemoRoad& road)
{
    return road.peerScript(
        "push_queue_file.py read '" + road.root().hostPath("Application Data/Tessel/state.wq") + "'");
}

// The store holds one message, every served part once among its own
// segments (after the preview's), and the subject.
void expectStoredOnce(const DemoRoad& road, const std::vector<std::string>& served, const char* when)
{
    const std::string store = road.root().hostPath(kMessages);
    const std::string listed = road.peerScript("msgstore.py store-read '" + store + "'");
    const std::size_t open = listed.find("\"lists\": [[\"");
    ASSERT_NE(open, std::string::npos) << when << ": " << listed;
    const std::string id = listed.substr(open + 12, listed.find('"', open + 12) - open - 12);
    EXPECT_EQ(listed.find("\"lists\": [[\"" + id + "\"], [], [], []]"), open) << when << ": one message\n"
                                                                              << listed;
    // The preview's segments, then the message's own after its count of parts.
    const std::string segments = road.peerScript("msgstore.py segments '" + store + "/" + id + "'");
    const std::size_t mark = segments.find("[\"X-QV-Total-Media-Parts\", \"4\", null]");
    ASSERT_NE(mark, std::string::npos) << when << ": " << segments;
    const std::string message = segments.substr(mark);
    for (const std::string& part : served)
        EXPECT_EQ(countOf(message, "\"" + part + "\""), 1) << when << ": " << part << "\n" << segments;
    EXPECT_EQ(countOf(message, "[\"22\", \"Road trip\", null]"), 1) << when << ": the subject";
}

// A message pushed to the running program's push port is fetched through
// squid under the NAI (its preview, then the message), acknowledged to the
// relay and stored once, every part byte-equal to what the relay served;
// the push queue empties. After Ctrl-C a start on the same root holds the
// one message, fetches nothing again and leaves the queue empty.
TEST(ReceiveRoad, APushedMessageIsFetchedThroughTheProxyAndStoredOnce)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road("slides", "M7");
    ASSERT_TRUE(road.ready()) << road.error();
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    const std::string location = "http://127.0.0.1:" + std::to_string(road.relayPort()) + "/msg/M7";
    const std::string pushed = road.peerScript(
        "mms_relay.py push " + std::to_string(road.pushPort()) + " M7 --location " + location);
    ASSERT_NE(pushed.find("DATAGRAM "), std::string::npos) << pushed;
    ASSERT_TRUE(road.until(
        [&] { return DemoRoad::linesWith(road.relayLog(), {"POST /mms type=83 tid=M7 "}).size() == 1u; },
        "the notify response"));
    EXPECT_EQ(DemoRoad::linesWith(road.relayLog(), {"GET /msg/M7 "}).size(), 1u) << road.report();
    // squid logs a query as "?".
    for (const std::string& fetch : {location + "? ", location + " "})
        EXPECT_EQ(DemoRoad::linesWith(road.proxyLog(), {"GET " + fetch + DemoRoad::kNai + " "}).size(), 1u)
            << fetch << road.report();

    const std::vector<std::string> served = servedParts(road);
    ASSERT_EQ(served.size(), 4u);
    expectStoredOnce(road, served, "stored");
    EXPECT_EQ(pushQueue(road), "{\"items\": []}\n");
    EXPECT_EQ(road.close(), "0\n");

    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    EXPECT_EQ(road.close(), "0\n");
    expectStoredOnce(road, served, "after a restart");
    EXPECT_EQ(road.relayLog().size(), 3u) << road.report();
    EXPECT_EQ(pushQueue(road), "{\"items\": []}\n");
}

// The pushes a person sends to `make run`'s phone: one whose location's
// preview names no sender is refused, and the refusal is in log/ while the
// program still runs, nothing stored; one at the location the demo prints
// (/retrieve/ID) is fetched, its preview then the message, and stored once.
TEST(ReceiveRoad, ThePushTheDemoPrintsIsStoredAndARefusedOneIsLogged)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road("slides", "M7");
    ASSERT_TRUE(road.ready()) << road.error();
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    const std::string base = "http://127.0.0.1:" + std::to_string(road.relayPort());
    const std::string port = std::to_string(road.pushPort());

    const std::string refused = base + "/msg/M8?nofrom=1";
    road.peerScript("mms_relay.py push " + port + " M8 --location '" + refused + "'");
    const std::string logged = "the preview of " + refused + " (image/gif) names no sender";
    ASSERT_TRUE(road.until(
        [&] {
            for (const std::string& line : testFileLines(road.root().hostPath("log/engine.log")))
                if (line.find(logged) != std::string::npos)
                    return line.find(" failure ") != std::string::npos;
            return false;
        },
        "the refusal logged as a failure"));
    EXPECT_EQ(DemoRoad::linesWith(road.relayLog(), {" POST "}).size(), 0u) << road.report();
    EXPECT_NE(road.peerScript("msgstore.py store-read '" + road.root().hostPath(kMessages) + "'")
                  .find("\"lists\": [[], [], [], []]"),
        std::string::npos);

    road.peerScript("mms_relay.py push " + port + " M7 --location " + base + "/retrieve/M7");
    ASSERT_TRUE(road.until(
        [&] { return DemoRoad::linesWith(road.relayLog(), {"POST /mms type=83 tid=M7 "}).size() == 1u; },
        "the notify response"));
    EXPECT_EQ(DemoRoad::linesWith(road.relayLog(), {"GET /retrieve/M7?thumbnail=true "}).size(), 1u)
        << road.report();
    EXPECT_EQ(DemoRoad::linesWith(road.relayLog(), {"GET /retrieve/M7 "}).size(), 1u) << road.report();
    const std::vector<std::string> served = servedParts(road);
    ASSERT_EQ(served.size(), 4u);
    expectStoredOnce(road, served, "stored");
    EXPECT_EQ(road.close(), "0\n");
}

} // namespace
