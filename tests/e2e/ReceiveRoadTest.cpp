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

int linesWith(const std::vector<std::string>& lines, const std::string& text)
{
    int n = 0;
    for (const std::string& line : lines)
        n += line.find(text) != std::string::npos ? 1 : 0;
    return n;
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
        [&] { return linesWith(road.relayLog(), "POST /mms type=83 tid=M7 ") == 1; }, "the notify response"));
    EXPECT_EQ(linesWith(road.relayLog(), "GET /msg/M7 "), 1) << road.report();
    // squid logs a query as "?".
    for (const std::string& fetch : {location + "? ", location + " "})
        EXPECT_EQ(linesWith(road.proxyLog(), "GET " + fetch + DemoRoad::kNai + " "), 1)
            << fetch << road.report();

    const std::string store = road.root().hostPath(kMessages);
    const std::string parts = testRunCommand(testPython()
        + " -c \"import email, sys\nfor p in email.message_from_binary_file(open(sys.argv[1], "
          "'rb')).walk():\n"
          "    if not p.is_multipart(): print(p.get_payload(decode=True).hex())\" '"
        + road.relayMessage() + "'")
                                  .output;
    const std::vector<std::string> served = testLines(parts);
    ASSERT_EQ(served.size(), 4u) << parts;
    auto checkStored = [&](const char* when) {
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
    };
    checkStored("stored");
    EXPECT_EQ(road.peerScript("push_queue_file.py read '"
                  + road.root().hostPath("Application Data/Tessel/state.wq") + "'"),
        "{\"items\": []}\n");
    EXPECT_EQ(road.close(), "0\n");

    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    EXPECT_EQ(road.close(), "0\n");
    checkStored("after a restart");
    EXPECT_EQ(road.relayLog().size(), 3u) << road.report();
    EXPECT_EQ(road.peerScript("push_queue_file.py read '"
                  + road.root().hostPath("Application Data/Tessel/state.wq") + "'"),
        "{\"items\": []}\n");
}

} // namespace
