#include "ui/WinTSMainMenu.h"
#include "engine/client/menu/GlobalMenuCoolSiteEntry.h"
#include "engine/client/menu/GlobalMenuList.h"
#include "engine/media/VXLMediaRef.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"
#include "tests/ui/IconRig.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tessel;

void drain(int* quits = nullptr)
{
    ui::Message message;
    while (ui::peekMessage(&message, true)) {
        if (message.id == ui::kWmQuit) {
            if (quits)
                ++*quits;
            continue;
        }
        ui::dispatchMessage(message);
    }
}

std::vector<std::string> rowsOf(const CWinTSMainMenu& screen)
{
    std::vector<std::string> rows;
    for (int i = 0; i < screen.list()->itemCount(); ++i)
        rows.push_back(kernel::wideToUtf8(screen.list()->itemText(i)) + "@"
            + std::to_string(screen.list()->itemData(i)));
    return rows;
}

// Runs the screen modally with the steps posted first; its result, or
// "still open" (-2) when the steps did not end it.
int runWith(CWinTSMainMenu& screen, const std::function<void()>& steps)
{
    struct Driver : ui::Window {
        std::function<void()> steps;
        CWinTSMainMenu* screen = nullptr;
        std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
        {
            if (message == ui::kWmApp) {
                steps();
                if (screen->inModalRun())
                    screen->endDialog(-2);
            }
            return Window::windowProc(message, wParam, lParam);
        }
    } driver;
    driver.create(u"Driver", u"");
    driver.show(false);
    driver.steps = steps;
    driver.screen = &screen;
    ui::postMessage(driver.handle(), ui::kWmApp, 0, 0);
    const int result = screen.run();
    driver.destroy();
    return result;
}

TEST(WinTSMainMenu, OnlyCoolSitesAreListedAndAPickEndsWithItsGlobalPosition)
{
    TempDeviceRoot root;
    CGlobalMenuList menu(nullptr, nullptr);
    menu.addEntry("Inbox", kMenuEntryPlain, CGlobalMenuEntry::kOriginTable, 7);
    menu.addCoolSiteEntry("Site A", "a", "", "");
    menu.addCoolSiteEntry("Site B", "b", "", "");
    menu.addEntry("Tap to Add", kMenuEntryPlain, CGlobalMenuEntry::kOriginTable, 29);
    struct Case {
        const char* what;
        std::function<void(CWinTSMainMenu&)> act;
        int result;
    };
    const Case cases[] = {
        {"Select on the second listed row: 0xFE02, its global position",
            [](CWinTSMainMenu& s) {
                ui::postMessage(s.list()->handle(), ui::kWmKeyDown, ui::kVkDown, 0);
                drain();
                s.windowProc(ui::kWmCommand, CWinTSMainMenu::kSelect, 0);
            },
            0xFE02},
        {"a tap on a row selects it", [](CWinTSMainMenu& s) { s.list()->tap(2); }, 0xFE03},
        {"a tap-and-hold on the selected row", [](CWinTSMainMenu& s) { s.list()->tapAndHold(0); }, 0xFF01},
        {"Cancel", [](CWinTSMainMenu& s) { s.windowProc(ui::kWmCommand, CWinTSMainMenu::kCancel, 0); }, 1},
        {"an end key's release",
            [](CWinTSMainMenu& s) {
                s.PreTranslateMessage(ui::Message {s.handle(), ui::kWmKeyUp, ui::kVkF4, 0, 0});
            },
            1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CWinTSMainMenu screen(&menu, u"", nullptr);
        ASSERT_TRUE(screen.createModeless(u"Configure Tessel"));
        EXPECT_EQ(rowsOf(screen), (std::vector<std::string> {"Site A@1", "Site B@2", "Tap to Add@3"}));
        EXPECT_EQ(screen.list()->selected(), 0) << "the first listed row is selected";
        EXPECT_EQ(kernel::wideToUtf8(screen.text()), "Configure Tessel");
        EXPECT_EQ(runWith(screen, [&] { c.act(screen); }), c.result);
    }

    CGlobalMenuList others(nullptr, nullptr);
    others.addEntry("Inbox", kMenuEntryPlain, CGlobalMenuEntry::kOriginTable, 7);
    CWinTSMainMenu empty(&others, u"", nullptr);
    ASSERT_TRUE(empty.createModeless(u"Configure Tessel"));
    EXPECT_EQ(empty.list()->itemCount(), 0);
    EXPECT_EQ(runWith(empty, [&] { empty.windowProc(ui::kWmCommand, CWinTSMainMenu::kSelect, 0); }), -2)
        << "Select on an empty list does nothing";
}

TEST(WinTSMainMenu, ResetAsksAndOnYesForcesReauthenticationAndQuits)
{
    TempDeviceRoot root;
    CGlobalMenuList menu(nullptr, nullptr);
    menu.addCoolSiteEntry("Site A", "a", "", "");
    const auto forceReset = [&] {
        const TestCommandResult read
            = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/registry_reader.py '"
                + root.hostPath("registry/HKEY_CURRENT_USER.reg") + "' 'Software\\Halvard\\Tessel' 2>&1");
        for (const std::string& line : testLines(read.output)) {
            if (line.find("\tForceReset\t") != std::string::npos)
                return line.substr(line.find("\tForceReset\t") + 12);
        }
        return std::string("(none)");
    };
    struct Case {
        int answer;
        std::string value;
        int quits;
    };
    for (const Case& c : {Case {ui::kIdNo, "(none)", 0}, Case {ui::kIdYes, "dword\t1", 1}}) {
        SCOPED_TRACE(c.answer);
        CWinTSMainMenu screen(&menu, u"", nullptr);
        ASSERT_TRUE(screen.createModeless(u"Configure Tessel"));
        ui::scriptBoxAnswer(c.answer);
        screen.windowProc(ui::kWmCommand, CWinTSMainMenu::kReset, 0);
        int quits = 0;
        drain(&quits);
        EXPECT_EQ(forceReset(), c.value);
        EXPECT_EQ(quits, c.quits);
        screen.destroy();
    }
}

TEST(WinTSMainMenu, IconsAreKeptInFunSitesExactlyAsServedEvenUndecodable)
{
    IconRig rig;
    ASSERT_TRUE(rig.serve("icons"));
    CGlobalMenuList menu(nullptr, nullptr);
    for (const char* id : {"M1", "U1"}) {
        auto* site = static_cast<CGlobalMenuCoolSiteEntry*>(
            menu.addCoolSiteEntry((std::string("Site ") + id).c_str(), id, id, "image/jpeg"));
        CVXLMediaRefHandle icon;
        icon.setMimeType("image/jpeg");
        icon.addEntry(id, "image/jpeg", &rig.manager, -1, -1, -1, true);
        site->setIconMedia(icon);
    }
    struct Dialog : ui::Window {
        int runs = 0;
        std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
        {
            runs += message == CWinTSMainMenu::kRunEngine ? 1 : 0;
            return Window::windowProc(message, wParam, lParam);
        }
    } dialog;
    dialog.create(u"Dialog", u"");
    dialog.show(false);
    const auto sha = [&](const std::string& bytes) {
        const std::string file = rig.root.hostPath("hashed.bin");
        std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return testRunCommand("sha256sum '" + file + "'").output.substr(0, 64);
    };
    const auto served = [&](const char* id) {
        return testRunCommand(
            testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/vrax_server.py --icon " + id + " | sha256sum")
            .output.substr(0, 64);
    };
    {
        CWinTSMainMenu screen(&menu, u"", &dialog);
        ASSERT_TRUE(screen.createModeless(u"Configure Tessel"));
        drain();
        EXPECT_EQ(dialog.runs, 2) << "each request asks the dialog to run the engine";
        const bool both = rig.pump([&] {
            drain();
            std::uint8_t buffer[CWinTSMainMenu::kMaxIconBytes];
            std::uint32_t a = sizeof buffer;
            std::uint32_t b = sizeof buffer;
            return registryReadData(u"FunSites", u"Site M1", buffer, &a)
                && registryReadData(u"FunSites", u"Site U1", buffer, &b);
        });
        ASSERT_TRUE(both) << testing::PrintToString(rig.log());
        for (const char* id : {"M1", "U1"}) {
            SCOPED_TRACE(id);
            std::string bytes(CWinTSMainMenu::kMaxIconBytes, '\0');
            std::uint32_t size = static_cast<std::uint32_t>(bytes.size());
            ASSERT_TRUE(
                registryReadData(u"FunSites", u"Site " + kernel::utf8ToWide(id), bytes.data(), &size));
            bytes.resize(size);
            EXPECT_EQ(sha(bytes), served(id));
        }
        EXPECT_EQ(screen.images()->count(), 3) << "the decoded icon was added; the other was not";
        EXPECT_EQ(rowsOf(screen), (std::vector<std::string> {"Site M1@0", "Site U1@1"}));
        screen.destroy();
    }

    // Cached: shown at once, nothing fetched.
    const std::size_t requests = rig.log().size();
    CWinTSMainMenu again(&menu, u"", &dialog);
    ASSERT_TRUE(again.createModeless(u"Configure Tessel"));
    rig.pump([] { return false; }, 300);
    EXPECT_EQ(rig.log().size(), requests);
    EXPECT_EQ(again.images()->count(), 3) << "the decodable cached icon at once";
    again.destroy();
    dialog.destroy();
}

} // namespace
