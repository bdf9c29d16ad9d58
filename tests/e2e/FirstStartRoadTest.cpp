#include "tests/e2e/DemoRoad.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string readSource(const std::string& relative)
{
    std::ifstream in(TESSEL_SOURCE_DIR "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The settings file as tests/peers/vxl_reg_reader.py reads it.
std::string settings(const DemoRoad& road)
{
    return road.peerScript(
        "vxl_reg_reader.py '" + road.root().hostPath("Application Data/Tessel/_vxl.reg") + "'");
}

constexpr const char* kConfig = "Application Data/Tessel/vxlcfg.xml";

// Configure, Tap to Add: the destination menu, once registered.
bool openDestinations(DemoRoad& road)
{
    if (!road.step({"== Start ==", "Configure"}))
        return false;
    road.keys("Down Down Enter");
    if (!road.step({"== Configure Tessel ==", "Tap to Add"}))
        return false;
    road.keys("Enter");
    return road.step({"[ ] Send to contacts", "[ ] Gallery", "[Continue]"});
}

// A phone that never had its configuration: the Configure shortcut (the
// real launcher) opens the cool-sites screen, Tap to Add registers through
// squid under the NAI (the validate form, seq 1) and stores the
// configuration the server sent, and the destination menu lists it; the
// ticked destination comes back listed. Reset, Yes ends the program; the
// next start registers again. After Ctrl-C, a start on the same root finds
// the registration and the cool site kept and asks the server nothing.
TEST(FirstStartRoad, TapToAddRegistersAndAResetRegistersAgain)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road;
    ASSERT_TRUE(road.ready()) << road.error();
    ASSERT_EQ(::unlink(road.root().hostPath(kConfig).c_str()), 0);
    const std::string served = readSource("tests/screens/data/vxlcfg.xml");

    road.start();
    ASSERT_TRUE(openDestinations(road));
    std::vector<std::string> service = road.serviceLog();
    ASSERT_EQ(service.size(), 1u) << road.report();
    EXPECT_EQ(
        DemoRoad::linesWith(service, {"request 1 ", " seq=1 ", " request=mgmt-req ", " identity=validate "})
            .size(),
        1u)
        << service[0];
    EXPECT_EQ(road.proxiedServicePosts().size(), 1u) << road.report();
    EXPECT_EQ(road.root().readFile(kConfig), served);
    EXPECT_NE(settings(road).find("root.pers.vrax.id=D42\n"), std::string::npos) << settings(road);

    // Ticked and kept: the cool-sites screen lists it.
    road.keys("Enter");
    ASSERT_TRUE(road.step({"[x] Send to contacts"}));
    road.keys("F1");
    ASSERT_TRUE(road.step({"== Configure Tessel ==", "Tap to Add\n    Send to contacts"}));

    // Options, Reset, Yes: the program ends; the next start forgets the
    // registration and the configuration and registers again.
    road.keys("F2");
    ASSERT_TRUE(road.step({"> Reset"}));
    road.keys("Enter");
    ASSERT_TRUE(road.step({"Do you want to Reset Tessel?", "[Yes]"}));
    road.keys("F1");
    EXPECT_EQ(road.exitStatus(), "0\n");
    road.start();
    ASSERT_TRUE(openDestinations(road));
    service = road.serviceLog();
    ASSERT_EQ(service.size(), 2u) << road.report();
    EXPECT_EQ(
        DemoRoad::linesWith(service, {"request 2 ", " seq=1 ", " request=mgmt-req ", " identity=validate "})
            .size(),
        1u)
        << service[1];
    EXPECT_EQ(road.root().readFile(kConfig), served);
    road.keys("Enter");
    ASSERT_TRUE(road.step({"[x] Send to contacts"}));
    road.keys("F1");
    ASSERT_TRUE(road.step({"Tap to Add\n    Send to contacts"}));
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_NE(settings(road).find("root.pers.cool_sites.ids.0=__vxl_sendto_recipients\n"), std::string::npos)
        << settings(road);

    // What the road left: registered, configured, the cool site listed.
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    road.keys("Down Down Enter");
    ASSERT_TRUE(road.step({"== Configure Tessel ==", "Tap to Add\n    Send to contacts"}));
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_EQ(road.serviceLog().size(), 2u) << road.report();
    EXPECT_NE(settings(road).find("root.pers.vrax.id=D42\n"), std::string::npos);
    EXPECT_EQ(road.root().readFile(kConfig), served);
}

// A cool site chosen while the program runs is in the settings file while
// the configuration menu still shows it, so a kill -9 then (no clean end)
// keeps it: the next start lists it.
TEST(FirstStartRoad, AChosenCoolSiteIsSavedAtOnceAndOutlivesAKill)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road;
    ASSERT_TRUE(road.ready()) << road.error();
    road.start();
    ASSERT_TRUE(openDestinations(road));
    road.keys("Enter");
    ASSERT_TRUE(road.step({"[x] Send to contacts"}));
    road.keys("F1");
    ASSERT_TRUE(road.step({"== Configure Tessel ==", "Tap to Add\n    Send to contacts"}));
    const std::string kept = "root.pers.cool_sites.ids.0=__vxl_sendto_recipients\n";
    ASSERT_TRUE(road.until([&] { return settings(road).find(kept) != std::string::npos; },
        "the cool site in the settings file while the menu shows", std::chrono::seconds(20)))
        << settings(road);

    int killed = 0;
    for (const pid_t pid : road.programs()) {
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        if (std::getline(comm, name) && name == "tessel" && ::kill(pid, SIGKILL) == 0)
            ++killed;
    }
    ASSERT_EQ(killed, 1);
    ASSERT_TRUE(road.until([&] { return road.programs().empty(); }, "the end of the killed tessel"));

    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    road.keys("Down Down Enter");
    ASSERT_TRUE(road.step({"== Configure Tessel ==", "Tap to Add\n    Send to contacts"}));
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_NE(settings(road).find(kept), std::string::npos) << settings(road);
}

} // namespace
