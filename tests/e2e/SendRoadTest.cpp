#include "tests/e2e/DemoRoad.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr const char* kState = "Application Data/Tessel";
constexpr const char* kPicture = "My Documents/My Pictures/sunset.png";
// The colour tools/demo_root.py paints sunset.png with.
constexpr const char* kSunset = "e67828";

// Pixels of the colour on a 4-pixel grid of a PNG snapshot (a finer one
// makes too long a command line), as tests/peers/png_reader.py reads it;
// -1 when it cannot read the file.
int pixelsOf(const std::string& png, const std::string& colour)
{
    if (png.empty())
        return -1;
    std::string spots;
    for (int y = 0; y < 320; y += 4) {
        for (int x = 0; x < 240; x += 4)
            spots += " " + std::to_string(x) + "," + std::to_string(y);
    }
    const TestCommandResult read = testRunCommand(
        testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/png_reader.py '" + png + "'" + spots + " 2>&1");
    // A PNG read whole starts with its size.
    if (read.output.rfind("240 320\n", 0) != 0)
        return -1;
    int n = 0;
    for (const std::string& line : testLines(read.output))
        n += line.size() > 6 && line.compare(line.size() - 6, 6, colour) == 0 ? 1 : 0;
    return n;
}

std::string queue(const DemoRoad& road)
{
    return road.peerScript("msgstore.py queue-read '" + road.root().hostPath(kState) + "'");
}

// Recent's values as tests/peers/registry_reader.py prints them.
std::string recent(const DemoRoad& road)
{
    return road.peerScript("registry_reader.py '" + road.root().hostPath("registry/HKEY_CURRENT_USER.reg")
        + "' 'Software\\Halvard\\Tessel\\Recent'");
}

// Compose: a recipient from the contacts through the chooser, a picture
// from My Pictures through the composer's Add (its thumbnail in the PNG
// snapshot), a subject typed, Send: "Your message is being sent.".
// The service server gets the picture (media-xfer, the file's sha256) and
// then the message (mm-msg-xfer naming the contact's number and the
// subject), both through squid under the NAI; the outbound queue empties
// and Recent holds the address. After Ctrl-C a start on the same root sends
// nothing again and keeps both.
TEST(SendRoad, APictureMessageToAContactReachesTheServiceThroughTheProxy)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road;
    ASSERT_TRUE(road.ready()) << road.error();
    road.start();
    ASSERT_TRUE(road.step({"== Start ==", "Compose"}));
    road.keys("Enter");
    ASSERT_TRUE(road.step({"Send To Contacts", "softkeys: [Contacts]"}));

    road.keys("F1");
    ASSERT_TRUE(road.step({"== Contacts ==", "> * Smith, Anna", "Jones, Bob"}));
    road.keys("Enter");
    ASSERT_TRUE(road.step({"== Smith, Anna ==", "E-mail: anna@example.com", "Mobile: +1 (425) 555-0101"}));
    road.keys("Down");
    ASSERT_TRUE(road.step({"> * Mobile: +1 (425) 555-0101"}));
    road.keys("Enter");
    ASSERT_TRUE(road.step({"To:\n      Smith, Anna"}));

    road.keys("Down");
    ASSERT_TRUE(road.step({"softkeys: [Add]"}));
    EXPECT_EQ(pixelsOf(road.newestSnapshot(), kSunset), 0) << "no picture yet";
    road.keys("F1");
    ASSERT_TRUE(road.step({"== Open ==", "forest.png", "sea.png", "sunset.png"}));
    road.keys("Down Down");
    ASSERT_TRUE(road.step({"> * sunset.png"}));
    road.keys("Enter");
    ASSERT_TRUE(road.step({"Pictures\n", "sunset.png", "softkeys: [Menu]"}));
    // The thumbnail: the picture's colour in the screen's PNG.
    EXPECT_TRUE(road.until([&] { return pixelsOf(road.newestSnapshot(), kSunset) > 40; },
        "the thumbnail in the newest PNG snapshot"));

    // Past the picture (the list's one row, then its end) to the subject.
    // The soft keys are the subject's once it takes the keys (the screen's
    // focus mark may sit on its button meanwhile).
    road.keys("Down Down");
    ASSERT_TRUE(road.step({"Subject\n", "softkeys: [Send]"}));
    road.keys("-l 'Road trip'");
    ASSERT_TRUE(road.step({"Subject\n    ", "[Road trip|]"}));
    road.keys("F1");
    ASSERT_TRUE(road.step({"Your message is being", "sent."}));
    ASSERT_TRUE(
        road.until([&] { return !DemoRoad::linesWith(road.serviceLog(), {" request=mm-msg-xfer "}).empty(); },
            "the message sent"));
    const std::vector<std::string> service = road.serviceLog();
    const std::vector<std::string> upload = DemoRoad::linesWith(service, {" request=media-xfer "});
    ASSERT_EQ(upload.size(), 1u) << road.report();
    EXPECT_NE(upload[0].find(" sha256=" + testSha256OfFile(road.root().hostPath(kPicture)) + " "),
        std::string::npos)
        << upload[0];
    const std::vector<std::string> message = DemoRoad::linesWith(service, {" request=mm-msg-xfer "});
    ASSERT_EQ(message.size(), 1u) << road.report();
    EXPECT_LT(std::find(service.begin(), service.end(), upload[0]),
        std::find(service.begin(), service.end(), message[0]))
        << "the picture first";
    // The message's document, as the server kept it.
    const std::string number = message[0].substr(8, message[0].find(' ', 8) - 8);
    const std::string document = road.root().readFile("peers/vrax.log." + number + ".xml");
    EXPECT_NE(document.find("4255550101"), std::string::npos) << document;
    EXPECT_NE(document.find("Road trip"), std::string::npos) << document;
    // squid writes a transaction's line when it has ended, which may be after the server logged it.
    EXPECT_TRUE(road.until([&] { return road.proxiedServicePosts().size() == service.size(); },
        "each request through squid under the NAI"));

    EXPECT_TRUE(road.until(
        [&] { return queue(road).find("\"entries\": []") != std::string::npos; }, "an empty outbound queue"))
        << queue(road);
    // The composer's recipients go to Recent as its window ends.
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_NE(recent(road).find("4255550101"), std::string::npos)
        << recent(road) << road.root().readFile("registry/HKEY_CURRENT_USER.reg");

    // What the road left: nothing sent again, nothing queued, Recent kept.
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_EQ(road.serviceLog(), service) << road.report();
    EXPECT_NE(queue(road).find("\"entries\": []"), std::string::npos) << queue(road);
    EXPECT_NE(recent(road).find("4255550101"), std::string::npos) << recent(road);
}

} // namespace
