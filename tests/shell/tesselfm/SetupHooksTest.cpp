#include "platform/ui/Dialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowSystem.h"
#include "tests/shell/tesselfm/FmLibrary.h"
#include "tests/shell/tesselfm/ShellHostRig.h"
#include "tests/support/DialogScreen.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace tessel;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(SetupHooks, InstallExitResetsOnlyWhenTheUserSaysYes)
{
    struct Case {
        int answer;
        std::string reboots;
    };
    for (const Case& c : {Case {ui::kIdYes, "reboot\n"}, Case {ui::kIdNo, ""}}) {
        TempDeviceRoot root;
        FmLibrary library;
        ASSERT_TRUE(library.loaded()) << library.error;
        DialogScreen<ui::Dialog> screen(u"Installer");
        const std::int64_t answer = ui::callOnThread(screen.thread.threadId(), [&] {
            ui::scriptBoxAnswer(c.answer);
            return static_cast<std::int64_t>(
                library.installExit(screen.thread.dialog->handle(), u"", 0, 0, 0, 0, 0));
        });
        EXPECT_EQ(answer, 0);
        EXPECT_EQ(root.readFile("log/reboot.log"), c.reboots) << c.answer;
    }
}

TEST(SetupHooks, UninstallExitClosesTheInboxAndRemovesTheDataFolderNeverFollowingALink)
{
    ShellHostRig rig;
    const std::string away
        = rig.root.hostPath("../" + fs::path(rig.root.path()).filename().string() + "-away");
    fs::create_directories(away);
    rig.root.writeFile("Application Data/Tessel/_vxl.reg", "settings");
    rig.root.writeFile("Application Data/Tessel/Outbox/item_1.oq", "item");
    rig.root.writeFile("My Documents/keep.jpg", "a picture");
    rig.root.writeFile("Application Data/Volatile/note.txt", "volatile");
    std::ofstream(away + "/outside.txt") << "outside";
    fs::create_directory_symlink(
        rig.root.hostPath("My Documents"), rig.root.hostPath("Application Data/Tessel/docs"));
    fs::create_symlink(
        rig.root.hostPath("My Documents/keep.jpg"), rig.root.hostPath("Application Data/Tessel/pic"));
    fs::create_directory_symlink(away, rig.root.hostPath("Application Data/Tessel/Outbox/away"));

    const pid_t inbox = rig.startInbox();
    ASSERT_GT(inbox, 0) << rig.root.readFile("inbox.out");

    FmLibrary library;
    ASSERT_TRUE(library.loaded()) << library.error;
    EXPECT_EQ(library.uninstallExit(0), 0);
    EXPECT_EQ(testAwaitExit(inbox, 10s), 0) << "closed by its WM_CLOSE";
    EXPECT_FALSE(rig.root.exists("Application Data/Tessel"));
    EXPECT_EQ(rig.root.readFile("My Documents/keep.jpg"), "a picture");
    EXPECT_EQ(rig.root.readFile("Application Data/Volatile/note.txt"), "volatile");
    EXPECT_TRUE(fs::exists(away + "/outside.txt"));
    fs::remove_all(away);

    // Without an Inbox only the folder goes.
    rig.root.writeFile("Application Data/Tessel/_vxl.reg", "settings");
    EXPECT_EQ(library.uninstallExit(0), 0);
    EXPECT_FALSE(rig.root.exists("Application Data/Tessel"));
    EXPECT_TRUE(rig.root.exists("Application Data/Volatile/note.txt"));
}

TEST(SetupHooks, AnInboxThatDoesNotCloseIsEndedByItsProcessIdAfterASecond)
{
    ShellHostRig rig;
    const pid_t deaf = testSpawn({TESSEL_BINARY_DIR "/bin/deafinbox"}, rig.root.hostPath("deafinbox.out"));
    ASSERT_GT(deaf, 0);
    ASSERT_TRUE(rig.awaitInFile("log/deafinbox.log", "shown")) << rig.root.readFile("deafinbox.out");
    rig.root.writeFile("Application Data/Tessel/_vxl.reg", "settings");
    FmLibrary library;
    ASSERT_TRUE(library.loaded()) << library.error;
    const auto began = std::chrono::steady_clock::now();
    EXPECT_EQ(library.uninstallExit(0), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - began, 1000ms);
    EXPECT_EQ(testAwaitExit(deaf, 10s), 128 + SIGKILL);
    EXPECT_EQ(rig.root.readFile("log/deafinbox.log"), "shown\nignored WM_CLOSE\n");
    EXPECT_FALSE(rig.root.exists("Application Data/Tessel"));
}

TEST(SetupHooks, UninstallExitRemovesALinkInPlaceOfTheFolderAndNeverLeavesTheDeviceRoot)
{
    struct Case {
        const char* name;
        const char* link; // made a link to the target folder
        bool linkRemoved;
    };
    const Case cases[] = {
        {"the data folder is a link", "Application Data/Tessel", true},
        {"a folder above it leads out of the root", "Application Data", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDeviceRoot root;
        const std::string target = root.path() + "-target";
        fs::create_directories(target + "/Tessel");
        std::ofstream(target + "/Tessel/_vxl.reg") << "settings";
        fs::create_directories(fs::path(root.hostPath(c.link)).parent_path());
        fs::create_directory_symlink(
            std::string(c.link) == "Application Data" ? target : target + "/Tessel", root.hostPath(c.link));
        FmLibrary library;
        ASSERT_TRUE(library.loaded()) << library.error;
        EXPECT_EQ(library.uninstallExit(0), 0);
        EXPECT_EQ(fs::is_symlink(root.hostPath(c.link)), !c.linkRemoved);
        EXPECT_TRUE(fs::exists(target + "/Tessel/_vxl.reg")) << "the link's target stays whole";
        fs::remove_all(target);
    }
}

} // namespace
