#include "tests/e2e/DemoRoad.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// tests/harness/xvfb_window.sh on tessel under a display of its own, with
// the steps' keys, each once the screen was quiet for half a second; its
// snapshots and captures go to the root's "window".
TestCommandResult runInWindow(const DemoRoad& road, const std::string& steps)
{
    if (!road.root().makeFolder("window"))
        return {};
    const std::string display = std::to_string(100 + (getpid() + 200) % 800);
    return testRunCommand("QUIET=0.5 timeout 280 xvfb-run -a -n " + display
        + " -s '-screen 0 640x480x24' bash " TESSEL_SOURCE_DIR
          "/tests/harness/xvfb_window.sh " TESSEL_BINARY_DIR "/bin/tessel '"
        + road.root().hostPath("window") + "' " + steps + " 2>&1");
}

// The harness's lines for `steps` keyed steps: the window equal to its
// newest snapshot at the start and after every step, a new snapshot at
// every step, the window's size, and the program's end with 0 once the
// window was closed.
void expectEveryStepShown(const std::string& output, std::size_t steps)
{
    const std::vector<std::string> lines = testLines(output);
    ASSERT_EQ(lines.size(), steps + 3) << output;
    EXPECT_EQ(lines[1], "size 240 320");
    EXPECT_EQ(lines.back(), "closed 0");
    int previous = 0;
    for (std::size_t at = 0; at + 1 < lines.size(); at += at == 0 ? 2 : 1) {
        const std::string& line = lines[at];
        ASSERT_EQ(line.rfind("shown ", 0), 0u) << line;
        const int shot = std::atoi(line.c_str() + 6);
        EXPECT_GT(shot, previous) << "a new screen at every step: " << output;
        EXPECT_EQ(line.substr(line.size() - 2), " 0") << "the window differs from its snapshot: " << line;
        previous = shot;
    }
}

// Pixels of exactly the colour in a picture (ImageMagick's convert).
long pixelsOfColour(const std::string& picture, const std::string& colour)
{
    const TestCommandResult run = testRunCommand("convert '" + picture + "' -alpha off -fill black +opaque '"
        + colour + "' -fill white -opaque '" + colour + "' -format '%[fx:round(mean*w*h)]' info: 2>&1");
    return run.status == 0 ? std::atol(run.output.c_str()) : -1;
}

// The window roads: the tools they drive the display with, the peers and
// the demo root.
class WindowRoad : public testing::Test {
protected:
    void SetUp() override
    {
        for (const ExternalTool* tool : {&testToolSquid(), &testToolTmux(), &testToolXvfbRun(),
                 &testToolXdotool(), &testToolImport(), &testToolCompare(), &testToolConvert()})
            TESSEL_REQUIRE_TOOL(*tool);
        ASSERT_TRUE(road.ready()) << road.error();
    }
    DemoRoad road;
};

// The first start in tessel's window under Xvfb, on DemoRoad's root and
// peers, keyed with xdotool by tests/harness/xvfb_window.sh: the Configure
// shortcut, Tap to Add (registration), a destination ticked, Continue. After
// every step the captured window equals the newest PNG snapshot, and each
// step brought a new one; closing the window ends the program with 0. The
// road did its work: one registration through squid under the NAI, the
// configuration the server sent kept, the ticked destination saved; a start
// in the terminal on the same root finds them and asks the server nothing.
TEST_F(WindowRoad, FirstStartInTheWindowEqualsItsSnapshotsAtEveryStep)
{
    constexpr const char* kConfig = "Application Data/Tessel/vxlcfg.xml";
    ASSERT_EQ(::unlink(road.root().hostPath(kConfig).c_str()), 0);

    const TestCommandResult run = runInWindow(road, "'Down Down Return' Return Return F1");
    ASSERT_EQ(run.status, 0) << run.output << road.report();
    expectEveryStepShown(run.output, 4);
    EXPECT_EQ(road.programs(), std::vector<pid_t> {});

    const std::vector<std::string> service = road.serviceLog();
    ASSERT_EQ(service.size(), 1u) << road.report();
    for (const char* field : {"request 1 ", " seq=1 ", " request=mgmt-req ", " identity=validate "})
        EXPECT_NE(service[0].find(field), std::string::npos) << field << " in " << service[0];
    EXPECT_EQ(road.proxiedServicePosts().size(), 1u) << road.report();
    std::ifstream in(TESSEL_SOURCE_DIR "/tests/screens/data/vxlcfg.xml", std::ios::binary);
    EXPECT_EQ(road.root().readFile(kConfig), std::string(std::istreambuf_iterator<char>(in), {}));
    const std::string settings = road.peerScript(
        "vxl_reg_reader.py '" + road.root().hostPath("Application Data/Tessel/_vxl.reg") + "'");
    EXPECT_NE(settings.find("root.pers.cool_sites.ids.0=__vxl_sendto_recipients\n"), std::string::npos)
        << settings;

    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    road.keys("Down Down Enter");
    ASSERT_TRUE(road.step({"== Configure Tessel ==", "Tap to Add\n    Send to contacts"}));
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_EQ(road.serviceLog().size(), 1u) << road.report();
}

// The compose road in the window: the Compose shortcut opens the composer,
// its Contacts the contact chooser, Back returns to the composer, and Add on
// Pictures opens the picker of "\My Documents\My Pictures", whose first
// picture (forest.png, a plain green) comes back into the composer with its
// thumbnail. Every capture equals its snapshot; the thumbnail's green is in
// the last one and in no earlier screen. The keys come at a person's pace,
// the Add within the first seconds of the composer, while the engine still
// updates it under the picker.
TEST_F(WindowRoad, ComposeWithAPictureInTheWindowEqualsItsSnapshotsAtEveryStep)
{

    const TestCommandResult run = runInWindow(road, "Return F1 Escape Down F1 Return");
    ASSERT_EQ(run.status, 0) << run.output << road.report();
    expectEveryStepShown(run.output, 6);
    EXPECT_EQ(road.programs(), std::vector<pid_t> {});
    EXPECT_NE(road.root().readFile("log/ui.log").find("Global Menu Option 0 of SEND_MESSAGE_GENERIC runs"),
        std::string::npos)
        << road.report();
    const std::string green = "rgb(40,150,60)";
    for (const char* capture : {"first", "step1", "step2", "step3", "step4", "step5"})
        EXPECT_EQ(pixelsOfColour(road.root().hostPath("window/") + capture + ".png", green), 0) << capture;
    EXPECT_GT(pixelsOfColour(road.root().hostPath("window/step6.png"), green), 100) << "no thumbnail";
}

// The send road in the window: Compose, Anna's mobile from the contacts
// through the chooser, sunset.png through the composer's Add (its thumbnail
// in the capture and the snapshot), a subject typed, Send. Every capture
// equals its snapshot. The window closed, a start in the terminal on the
// same root has the message sent once (the picture's sha256, then the
// document naming the contact's number and the subject, each through squid
// under the NAI) and the outbound queue empty.
TEST_F(WindowRoad, ThePictureMessageSentInTheWindowEqualsItsSnapshotsAtEveryStep)
{

    // Compose; Contacts, Anna, her mobile; Pictures, Add, sunset.png; the
    // subject; Send.
    const TestCommandResult run = runInWindow(road,
        "Return F1 Return Down Return Down F1 'Down Down' Return 'Down Down' 'R o a d space t r i p' F1");
    ASSERT_EQ(run.status, 0) << run.output << road.report();
    expectEveryStepShown(run.output, 12);
    EXPECT_EQ(road.programs(), std::vector<pid_t> {});
    const std::string sunset = "rgb(230,120,40)";
    EXPECT_EQ(pixelsOfColour(road.root().hostPath("window/step8.png"), sunset), 0) << "the picker";
    EXPECT_GT(pixelsOfColour(road.root().hostPath("window/step9.png"), sunset), 100) << "no thumbnail";

    // Whatever the window's end left queued goes out now, once.
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    ASSERT_TRUE(
        road.until([&] { return !DemoRoad::linesWith(road.serviceLog(), {" request=mm-msg-xfer "}).empty(); },
            "the message sent"));
    const std::string state = road.root().hostPath("Application Data/Tessel");
    EXPECT_TRUE(road.until(
        [&] {
            return road.peerScript("msgstore.py queue-read '" + state + "'").find("\"entries\": []")
                != std::string::npos;
        },
        "an empty outbound queue"));
    EXPECT_EQ(road.close(), "0\n");
    const std::vector<std::string> service = road.serviceLog();
    const std::vector<std::string> upload = DemoRoad::linesWith(service, {" request=media-xfer "});
    ASSERT_EQ(upload.size(), 1u) << road.report();
    EXPECT_NE(upload[0].find(" sha256="
                  + testSha256OfFile(road.root().hostPath("My Documents/My Pictures/sunset.png")) + " "),
        std::string::npos)
        << upload[0];
    const std::vector<std::string> message = DemoRoad::linesWith(service, {" request=mm-msg-xfer "});
    ASSERT_EQ(message.size(), 1u) << road.report();
    const std::string number = message[0].substr(8, message[0].find(' ', 8) - 8);
    const std::string document = road.root().readFile("peers/vrax.log." + number + ".xml");
    EXPECT_NE(document.find("4255550101"), std::string::npos) << document;
    EXPECT_NE(document.find("Road trip"), std::string::npos) << document;
    EXPECT_TRUE(road.until([&] { return road.proxiedServicePosts().size() == service.size(); },
        "each request through squid under the NAI"));
}

} // namespace
