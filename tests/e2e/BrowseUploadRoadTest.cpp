#include "tests/e2e/DemoRoad.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr const char* kPicture = "My Documents/My Pictures/sunset.png";

// The settings file as tests/peers/vxl_reg_reader.py reads it.
std::string settings(const DemoRoad& road)
{
    return road.peerScript(
        "vxl_reg_reader.py '" + road.root().hostPath("Application Data/Tessel/_vxl.reg") + "'");
}

// Post to Service: the picker titled for it offers My Pictures; the chosen
// picture starts the upload flow, whose destination menu has only "Add Cool
// Site"; a destination ticked there comes back listed, and choosing it
// opens its composer holding the picture with no key pressed (the spinner
// over the menu ends by itself); Send: "Your media will be sent.". The
// service server gets the picture (media-xfer, the file's sha256) and then
// the posting, through squid under the NAI. After Ctrl-C a start on the same root keeps the cool
// site and sends nothing again.
TEST(BrowseUploadRoad, APictureChosenForTheServiceReachesItThroughACoolSite)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road;
    ASSERT_TRUE(road.ready()) << road.error();
    road.start();
    ASSERT_TRUE(road.step({"== Start ==", "Post to Service"}));
    road.keys("Down Enter");
    ASSERT_TRUE(
        road.step({"== Select Image to Post ==", "My Pictures\\forest.png", "My Pictures\\sunset.png"}));
    road.keys("Down Down");
    ASSERT_TRUE(road.step({"> * My Pictures\\sunset.png"}));
    road.keys("Enter");
    ASSERT_TRUE(road.step({"> * Add Cool Site", "Upload Destination"}));

    road.keys("Enter");
    ASSERT_TRUE(road.step({"[ ] Send to contacts", "[ ] Gallery", "softkeys: [Continue]"}));
    road.keys("Down Enter");
    ASSERT_TRUE(road.step({"> * [x] Gallery"}));
    road.keys("F1");
    ASSERT_TRUE(road.step({"> * Gallery\n    Add Cool Site", "Upload Destination"}));
    road.keys("Enter");
    ASSERT_TRUE(road.step({"Gallery\n    Media", "sunset.png", "Caption"}));

    road.keys("Down Down");
    ASSERT_TRUE(road.step({"Caption\n", "softkeys: [Send]"}));
    road.keys("F1");
    ASSERT_TRUE(road.step({"Your media will be", "sent."}));
    // The picture, then the posting that names it.
    ASSERT_TRUE(
        road.until([&] { return !DemoRoad::linesWith(road.serviceLog(), {" request=mm-msg-xfer "}).empty(); },
            "the posting at the service server"));
    const std::vector<std::string> upload = DemoRoad::linesWith(road.serviceLog(), {" request=media-xfer "});
    ASSERT_EQ(upload.size(), 1u) << road.report();
    EXPECT_NE(upload[0].find(" sha256=" + testSha256OfFile(road.root().hostPath(kPicture)) + " "),
        std::string::npos)
        << upload[0];
    const std::vector<std::string> service = road.serviceLog();
    // squid writes a transaction's line when it has ended, which may be after the server logged it.
    EXPECT_TRUE(road.until([&] { return road.proxiedServicePosts().size() == service.size(); },
        "each request through squid under the NAI"));
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_NE(settings(road).find("root.pers.cool_sites.ids.0=gallery\n"), std::string::npos)
        << settings(road);

    // What the road left: the cool site kept, nothing sent again.
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_EQ(road.serviceLog(), service) << road.report();
    EXPECT_NE(settings(road).find("root.pers.cool_sites.ids.0=gallery\n"), std::string::npos)
        << settings(road);
}

} // namespace
