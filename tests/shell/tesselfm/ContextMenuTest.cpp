#include "platform/shell/ContextMenu.h"
#include "platform/ui/Menu.h"
#include "shell/LaunchHandoff.h"
#include "shell/tesselfm/TesselContextMenu.h"
#include "tests/shell/tesselfm/FmLibrary.h"
#include "tests/shell/tesselfm/ShellHostRig.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

namespace {

using namespace tessel;
using namespace std::chrono_literals;

constexpr off_t kKb = 1024;

// A file of that size under the device root (sparse: only its size counts).
void sizedFile(const TempDeviceRoot& root, const std::string& relative, off_t size)
{
    ASSERT_TRUE(root.writeFile(relative, ""));
    ASSERT_EQ(::truncate(root.hostPath(relative).c_str(), size), 0);
}

TEST(ContextMenu, EachSelectionGetsItsEntriesAndAnUnusableFileGraysThem)
{
    ShellHostRig rig;
    RegWriteString(u"UIConfig", u"MediaFilter", u"*.jpg;*.png");
    sizedFile(rig.root, "My Documents/PIC.JPG", 10);
    sizedFile(rig.root, "My Documents/edge.jpg", 2048 * kKb + 1023);
    sizedFile(rig.root, "My Documents/over.jpg", 2049 * kKb);
    sizedFile(rig.root, "My Documents/note.bmp", 10);
    rig.root.writeFile(
        "contacts.txt", "oid = 101\nname = Anna\nmobile = +14255550101\noid = 102\nname = Nobody\n");
    rig.root.writeFile("calllog.txt", "+14255550101\tAnna\n+14255550102\tBob\n");
    const std::string message = rig.inbox.write({{"001a001f", "\"IPM.SMSText\""}, {"0037001f", "\"Hi\""}});
    ASSERT_FALSE(message.empty());

    const std::string usable = "Send Tessel\tSend In Tessel\nPost To Service\tPost To Service\n";
    const std::string grayed
        = "Send Tessel\tSend In Tessel\tgrayed\nPost To Service\tPost To Service\tgrayed\n";
    struct Case {
        std::string kind;
        std::string item;
        std::string menu;
    };
    const Case cases[] = {
        {"file", "\\My Documents\\PIC.JPG", usable}, // the path is lowered, the filter is not
        {"file", "\\My Documents\\edge.jpg", usable}, // 2,048 KB and 1,023 bytes
        {"file", "\\My Documents\\over.jpg", grayed}, // 2,049 KB
        {"file", "\\My Documents\\note.bmp", grayed}, // not in the filter
        {"file", "\\My Documents\\gone.jpg", grayed},
        {"file", "\\a", grayed}, // three characters or fewer
        {"contact", "101", "Send Tessel\tCompose Tessel to contact\n"},
        {"contact", "102", ""}, // no address
        {"contact", "103", ""}, // no such contact
        {"calllog", "1", "Send Tessel\tSend to Call Log\n"},
        // Both of the library's extensions in one menu, each with its own verb.
        {"message", message, "Send via Tessel\tSend via Tessel\nReply via Tessel\tReply via Tessel\n"},
    };
    for (const Case& c : cases) {
        const TestCommandResult run = rig.host({"menu", c.kind, c.item});
        EXPECT_EQ(run.status, 0) << rig.root.readFile("shellhost.err");
        EXPECT_EQ(run.output, c.menu) << c.kind << " " << c.item;
    }
    // A grayed entry cannot be chosen.
    EXPECT_EQ(rig.host({"menu", "file", "\\My Documents\\over.jpg", "Send Tessel"}).status, 2);
    const std::string log = rig.root.readFile("log/tesselfm.log");
    EXPECT_NE(log.find("Context GetItemFromOid Failure"), std::string::npos) << log;
}

TEST(ContextMenu, ChosenVerbsHandTheirRequestToTheProgram)
{
    ShellHostRig rig;
    ASSERT_GT(rig.startProbe(), 0);
    ASSERT_TRUE(rig.awaitProgram()) << rig.root.readFile("uiprobe.out");
    rig.root.writeFile("calllog.txt", "+14255550101\tAnna\n+14255550102\tBob\n");
    const std::string withoutSender
        = rig.inbox.write({{"001a001f", "\"IPM.SMSText\""}, {"0037001f", "\"See you\""}},
            {{{"3001001f", "\"A\""}, {"3003001f", "\"a@one.example\""}},
                {{"3001001f", "\"B\""}, {"3003001f", "\"+14255550177\""}}});
    std::vector<InboxFiles::Row> many;
    std::string fitting;
    for (int i = 0; i < 300; ++i) {
        char address[32];
        std::snprintf(address, sizeof address, "user%03d@example.com", i);
        many.push_back({{"3003001f", InboxFiles::json(address)}});
        if (fitting.size() + std::strlen(address) + 1 < 1024)
            fitting += std::string(address) + ";";
    }
    const std::string crowded
        = rig.inbox.write({{"001a001f", "\"IPM.SMSText\""}, {"0037001f", "\"All\""}}, many);
    const std::string withSender = rig.inbox.write(
        {{"001a001f", "\"IPM.SMSText\""}, {"0037001f", "\"Lunch?\""}, {"0c1f001f", "\"+14255550199\""}});

    struct Case {
        std::string kind;
        std::string item;
        std::string entry;
        std::vector<std::string>
            request; // Media:, To:, Subj:, Text:, Class as registry_reader.py prints them
    };
    const Case cases[] = {
        {"message", withoutSender, "Send via Tessel",
            {"Media:\ttext\t", "To:\ttext\ta@one.example;+14255550177;", "Subj:\ttext\t",
                "Text:\ttext\tSee you", "Class\ttext\tIPM.SMSText.Tessel"}},
        {"message", crowded, "Send via Tessel",
            {"Media:\ttext\t", "To:\ttext\t" + fitting, "Subj:\ttext\t", "Text:\ttext\tAll",
                "Class\ttext\tIPM.SMSText.Tessel"}},
        {"message", withSender, "Reply via Tessel",
            {"Media:\ttext\t", "To:\ttext\t+14255550199;", "Subj:\ttext\tRE:Lunch?", "Text:\ttext\t",
                "Class\ttext\tIPM.SMSText.Tessel"}},
        {"calllog", "1", "Send Tessel",
            {"Media:\ttext\t", "To:\ttext\t+14255550102;", "Subj:\ttext\t", "Text:\ttext\t",
                "Class\ttext\tIPM.SMSText.Tessel"}},
    };
    int posts = 0;
    for (const Case& c : cases) {
        const TestCommandResult run = rig.host({"menu", c.kind, c.item, c.entry});
        EXPECT_EQ(run.status, 0) << rig.root.readFile("shellhost.err");
        EXPECT_NE(run.output.find("invoked "), std::string::npos) << run.output;
        EXPECT_TRUE(rig.awaitInFile("log/uiprobe.log", " 8002 0 0", ++posts)) << c.entry;
        EXPECT_EQ(rig.composeValues(), c.request) << c.kind << " " << c.entry;
    }
    EXPECT_EQ(fitting.size(), 51u * 20u) << "whole addresses only";

    // A contact goes to the phone's own composer; the program gets nothing.
    rig.root.writeFile("contacts.txt", "oid = 101\nname = Anna\nemail1 = anna@example.com\n");
    EXPECT_EQ(rig.host({"menu", "contact", "101", "Send Tessel"}).status, 0);
    EXPECT_EQ(rig.root.readFile("log/compose.log"),
        "to=Outlook:101 subject= body= account=SMS class=IPM.SMSText.Tessel\n");
    EXPECT_EQ(LaunchRig::occurrences(rig.root.readFile("log/uiprobe.log"), " 8002 0 0"), posts);
}

TEST(ContextMenu, SendInTesselOpensTheRealProgramOnTheFile)
{
    ShellHostRig rig;
    ASSERT_EQ(rig.root.installTool("tessel", "\\windows\\tessel.exe"), "\\windows\\tessel.exe");
    RegWriteString(u"UIConfig", u"MediaFilter", u"*.jpg");
    ASSERT_TRUE(rig.root.writeFile("My Documents/My Pictures/beach.jpg", std::string(2000, 'j')));
    const TestCommandResult run
        = rig.host({"menu", "file", "\\My Documents\\My Pictures\\beach.jpg", "Send Tessel"});
    EXPECT_EQ(run.output,
        "Send Tessel\tSend In Tessel\nPost To Service\tPost To Service\ninvoked Send In Tessel 0\n");
    ASSERT_TRUE(rig.awaitProgram()) << rig.root.readFile("shellhost.err");
    EXPECT_TRUE(rig.awaitInFile("log/ui.log", "OnLaunchCommand")) << rig.root.readFile("log/ui.log");
    EXPECT_TRUE(rig.awaitInFile("log/ui.log", "Global Menu Option 0 of CAPTURE_OPTIONS runs"))
        << "the program took the file as usable media\n"
        << rig.root.readFile("log/ui.log");
    EXPECT_EQ(rig.root.readFile("log/msgbox.log"), "");
}

// GetCommandString on one object, called as a host would.
TEST(ContextMenu, CommandStringsFitTheBufferGiven)
{
    TempDeviceRoot root;
    FmLibrary library;
    ASSERT_TRUE(library.loaded()) << library.error;
    auto* factory = library.classObject<com::IClassFactory>(fm::kClsidMenuCallLog, com::kIidIClassFactory);
    ASSERT_NE(factory, nullptr);
    shell::IContextMenu* menu = nullptr;
    ASSERT_EQ(
        factory->createInstance(nullptr, shell::kIidContextMenu, reinterpret_cast<void**>(&menu)), com::kSOk);
    factory->release();

    char buffer[8];
    EXPECT_EQ(menu->getCommandString(12, shell::kGcsValidate, nullptr, nullptr, 0), com::kSFalse)
        << "no menu asked for yet";
    ui::Menu bar;
    EXPECT_EQ(menu->queryContextMenu(&bar, 0, 40, 99, shell::kCmfDefaultOnly), com::kSOk);
    EXPECT_EQ(bar.size(), 0);
    EXPECT_EQ(menu->queryContextMenu(&bar, 0, 40, 99, 0), 3);
    ASSERT_EQ(bar.size(), 1);
    EXPECT_EQ(bar.items()[0].id, 52u);

    struct Case {
        std::uint64_t command;
        std::uint32_t kind;
        std::uint32_t size;
        com::HResult result;
        std::string text; // what the buffer holds afterwards
    };
    const Case cases[] = {
        {52, shell::kGcsVerb, 8, com::kSOk, "Send to"}, // cut, terminated
        {52, shell::kGcsVerb, 1, com::kSOk, ""},
        {43, shell::kGcsVerb, 8, com::kSOk, "Unknown"}, // offset 3 has no verb
        {42, shell::kGcsVerb, 4, com::kSOk, "Sen"},
        {52, shell::kGcsHelpText, 8, com::kSOk, ""},
        {40, shell::kGcsValidate, 8, com::kSOk, "xxxxxxx"},
        {52, shell::kGcsValidate, 8, com::kSFalse, "xxxxxxx"},
        {52, 7, 8, com::kENotImpl, "xxxxxxx"},
    };
    for (const Case& c : cases) {
        std::memset(buffer, 'x', sizeof buffer);
        buffer[sizeof buffer - 1] = '\0';
        EXPECT_EQ(menu->getCommandString(c.command, c.kind, nullptr, buffer, c.size), c.result) << c.command;
        EXPECT_EQ(std::string(buffer), c.text) << c.command << " kind " << c.kind << " size " << c.size;
        EXPECT_EQ(buffer[sizeof buffer - 1], '\0');
    }
    // A size of 0 writes nothing.
    char untouched = 'x';
    EXPECT_EQ(menu->getCommandString(52, shell::kGcsVerb, nullptr, &untouched, 0), com::kSOk);
    EXPECT_EQ(untouched, 'x');
    EXPECT_EQ(menu->release(), 0u);
}

} // namespace
