#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/MessageForm.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/WindowSystem.h"
#include "tests/shell/tesselfm/FmLibrary.h"
#include "tests/shell/tesselfm/ShellHostRig.h"
#include "tests/support/DialogScreen.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;
using namespace std::chrono_literals;

constexpr const char16_t* kTesselClass = u"IPM.SMSText.Tessel";

std::unique_ptr<mapi::MapiMessage> openMessage(const InboxFiles& inbox, const std::string& id)
{
    std::unique_ptr<mapi::MapiSession> session = mapi::MapiSession::logon();
    std::unique_ptr<mapi::MapiMessage> message;
    if (session)
        session->openMessage(inbox.entryId(id), &message);
    return message;
}

mapi::IFormProvider* provider(const FmLibrary& library)
{
    mapi::IFormProvider* made = nullptr;
    return library.formFactory(kTesselClass, &made) == com::kSOk ? made : nullptr;
}

TEST(ReadForm, ShowsTheNoticeAndItsButtonOpensTheLinkWithoutSavingTheMessage)
{
    const std::string longLink = "http://long.example/" + std::string(491, 'y');
    struct Case {
        const char* name;
        InboxFiles::Row props;
        std::string link; // as log/shellexec.log shows it
    };
    const Case cases[] = {
        {"a link followed by a space",
            {{"1000001f", InboxFiles::json("Your picture http://t.example/m/42 is ready")},
                {"0c1b001f", InboxFiles::json("http://other.example/")}},
            "http://t.example/m/42"},
        {"no body: the notice text", {{"0c1b001f", InboxFiles::json("See http://n.example/7\tnow")}},
            "http://n.example/7"},
        // 512 characters, 1,024 bytes: read up to the room left for the terminator.
        {"a body of 1,024 bytes", {{"1000001f", InboxFiles::json(longLink + "zz")}}, longLink},
        {"no link", {{"1000001f", InboxFiles::json("Nothing to see")}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDeviceRoot root;
        InboxFiles inbox(root);
        InboxFiles::Row props = {{"001a001f", "\"IPM.SMSText.Tessel\""}, {"0037001f", "\"Notice\""}};
        props.insert(props.end(), c.props.begin(), c.props.end());
        const std::string id = inbox.write(props);
        ASSERT_FALSE(id.empty());
        const std::string before = inbox.file(id);
        std::unique_ptr<mapi::MapiMessage> message = openMessage(inbox, id);
        ASSERT_NE(message, nullptr);

        FmLibrary library;
        ASSERT_TRUE(library.loaded()) << library.error;
        mapi::IFormProvider* forms = provider(library);
        ASSERT_NE(forms, nullptr);
        DialogScreen<ui::Dialog> screen(u"Messaging");
        const std::uint32_t thread = screen.thread.threadId();
        mapi::IMessageForm* form = nullptr;
        EXPECT_EQ(ui::callOnThread(thread,
                      [&] {
                          return forms->readForm(
                              nullptr, message.get(), screen.thread.dialog->handle(), &form);
                      }),
            com::kSOk);
        ASSERT_NE(form, nullptr);
        ui::ScreenDriver driver(thread);
        // The form's window over the dialog, its button within it, with the keys.
        EXPECT_EQ(driver.snapshot(),
            (std::vector<std::string> {"== Messaging ==", "  You Have New Tessel!",
                "  Click view to see it now", "    > [ View Tessel ]"}));
        driver.key(ui::kVkReturn);
        EXPECT_EQ(testFileLines(root.hostPath("log/shellexec.log")),
            std::vector<std::string> {
                "file=\\Windows\\iexplore.exe parameters=" + c.link + " verb= show=1 -> browser, recorded"});
        ui::callOnThread(thread, [&] { return static_cast<std::int64_t>(form->release()); });
        forms->release();
        EXPECT_EQ(inbox.file(id), before) << "opening a notice never rewrites it";
    }
}

TEST(ReadForm, AnswersItsActionsAndTheProviderItsIcons)
{
    TempDeviceRoot root;
    FmLibrary library;
    ASSERT_TRUE(library.loaded()) << library.error;
    mapi::IFormProvider* forms = nullptr;
    EXPECT_EQ(library.formFactory(nullptr, &forms), com::kEInvalidArg);
    forms = provider(library);
    ASSERT_NE(forms, nullptr);
    std::int32_t icon = -1;
    EXPECT_EQ(forms->messageStatusIcon(1, &icon), com::kSOk);
    EXPECT_EQ(icon, 0);
    EXPECT_EQ(forms->messageStatusIcon(0x10, &icon), com::kSOk);
    EXPECT_EQ(icon, 1);
    EXPECT_EQ(forms->messageStatusIcon(1, nullptr), com::kEFail);
    mapi::IMessageForm* form = nullptr;
    EXPECT_EQ(forms->readForm(nullptr, nullptr, 0, &form), com::kEFail);
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(forms->release(), 0u);
}

// The compose form hands a reply or forward to the program (tests/tools'
// uiprobe stands in for it) as a launch request.
TEST(ComposeForm, AReplyGoesToTheSenderAsAPlainTextMessage)
{
    ShellHostRig rig;
    ASSERT_GT(rig.startProbe(), 0);
    ASSERT_TRUE(rig.awaitProgram());
    const std::string id = rig.inbox.write({{"001a001f", "\"IPM.SMSText.Tessel\""},
        {"0037001f", "\"Your Tessel from Anna\""}, {"0c1f001f", "\"+14255550199\""}});
    std::unique_ptr<mapi::MapiMessage> repliedTo = openMessage(rig.inbox, id);
    ASSERT_NE(repliedTo, nullptr);
    FmLibrary library;
    ASSERT_TRUE(library.loaded()) << library.error;
    mapi::IFormProvider* forms = provider(library);
    ASSERT_NE(forms, nullptr);
    mapi::ComposeFormFields fields;
    fields.body = u"Thanks!";
    mapi::IMessageForm* form = reinterpret_cast<mapi::IMessageForm*>(1);
    com::IUnknown* extra = reinterpret_cast<com::IUnknown*>(1);
    EXPECT_EQ(
        forms->composeForm(nullptr, nullptr, mapi::kComposeReply, repliedTo.get(), &fields, &form, &extra),
        com::kSOk);
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(extra, nullptr);
    EXPECT_EQ(rig.composeValues(),
        (std::vector<std::string> {"Media:\ttext\t", "To:\ttext\t+14255550199;",
            "Subj:\ttext\tRE:Your Tessel from Anna", "Text:\ttext\tThanks!", "Class\ttext\tIPM.SMSText"}));
    forms->release();
}

TEST(ComposeForm, AForwardTakesItsPictureWhereFoundOnceElseWritesANewFileUnderTemp)
{
    ShellHostRig rig;
    ASSERT_GT(rig.startProbe(), 0);
    ASSERT_TRUE(rig.awaitProgram());
    rig.root.writeDeviceConf("card.present = 1\n");
    const std::string picture = "\x89PNG picture bytes";
    rig.root.writeFile("My Documents/My Pictures/beach.jpg", "the phone's own beach");
    rig.root.writeFile("My Documents/Twice/sea.jpg", "sea one");
    rig.root.writeFile("My Documents/Twice/Deeper/sea.jpg", "sea two");
    rig.root.writeFile("Storage Card/DCIM/card.jpg", "on the card");
    rig.root.writeFile("My Documents/Both/wave.jpg", "wave one");
    rig.root.writeFile("My Documents/Both/More/wave.jpg", "wave two");
    rig.root.writeFile("Application Data/Volatile/wave.jpg", "volatile wave");
    rig.root.writeFile("windows/tessel.exe", "the program");
    rig.root.writeFile("Temp/taken.jpg", "already here");
    std::map<std::string, std::string> kept;
    for (const char* file : {"My Documents/My Pictures/beach.jpg", "My Documents/Twice/sea.jpg",
             "My Documents/Twice/Deeper/sea.jpg", "Storage Card/DCIM/card.jpg",
             "Application Data/Volatile/wave.jpg", "windows/tessel.exe", "Temp/taken.jpg"})
        kept[file] = testSha256OfFile(rig.root.hostPath(file));

    struct Case {
        std::string name; // the attachment's file name
        std::string media; // "Media:" of the request
        std::string written; // the new file's device path, when one is written
    };
    const Case cases[] = {
        {"beach.jpg", "\\My Documents\\My Pictures\\beach.jpg", ""},
        {"card.jpg", "\\Storage Card\\DCIM\\card.jpg", ""},
        {"sea.jpg", "\\Temp\\sea.jpg", "Temp/sea.jpg"}, // found twice
        {"wave.jpg", "\\Application Data\\Volatile\\wave.jpg", ""}, // twice, but in the volatile folder
        {"..\\..\\windows\\tessel.exe", "\\Temp\\tessel.exe", "Temp/tessel.exe"},
        {"a/b.jpg", "\\Temp\\b.jpg", "Temp/b.jpg"}, {"..", "", ""}, {"", "", ""},
        {"taken.jpg", "\\Temp\\taken-1.jpg", "Temp/taken-1.jpg"}, // never replaced
    };
    FmLibrary library;
    ASSERT_TRUE(library.loaded()) << library.error;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string id = rig.inbox.write(
            {{"001a001f", "\"IPM.SMSText.Tessel\""}, {"0037001f", "\"Look\""}, {"1000001f", "\"At this\""}},
            {}, {{{"3704001f", InboxFiles::json(c.name)}, {"37010102", "\"" + testHex(picture) + "\""}}});
        std::unique_ptr<mapi::MapiMessage> message = openMessage(rig.inbox, id);
        ASSERT_NE(message, nullptr);
        mapi::IFormProvider* forms = provider(library);
        mapi::ComposeFormFields fields;
        fields.to = u"+14255550123";
        fields.subject = u"FW: Look";
        fields.body = u"At this";
        EXPECT_EQ(forms->composeForm(
                      nullptr, message.get(), mapi::kComposeForward, nullptr, &fields, nullptr, nullptr),
            com::kSOk);
        forms->release();
        EXPECT_EQ(rig.composeValues(),
            (std::vector<std::string> {"Media:\ttext\t" + c.media, "To:\ttext\t+14255550123",
                "Subj:\ttext\tFW: Look", "Text:\ttext\tAt this", "Class\ttext\tIPM.SMSText.Tessel"}));
        if (!c.written.empty()) {
            EXPECT_EQ(rig.root.readFile(c.written), picture);
        }
    }
    for (const auto& [file, sha] : kept)
        EXPECT_EQ(testSha256OfFile(rig.root.hostPath(file)), sha) << file;
    const TestCommandResult temp = testRunCommand("ls -A '" + rig.root.hostPath("Temp") + "'");
    EXPECT_EQ(temp.output, "b.jpg\nsea.jpg\ntaken-1.jpg\ntaken.jpg\ntessel.exe\n")
        << "nothing half-written left";
}

TEST(ComposeForm, AForwardWithItsPictureClosesTheRunningInbox)
{
    ShellHostRig rig;
    ASSERT_GT(rig.startProbe(), 0);
    ASSERT_TRUE(rig.awaitProgram());
    rig.root.writeFile("My Documents/My Pictures/beach.jpg", "beach");
    const pid_t inbox = rig.startInbox();
    ASSERT_GT(inbox, 0) << rig.root.readFile("inbox.out");
    const std::string id = rig.inbox.write({{"001a001f", "\"IPM.SMSText.Tessel\""}, {"0037001f", "\"Look\""}},
        {}, {{{"3704001f", "\"beach.jpg\""}, {"37010102", "\"00\""}}});
    std::unique_ptr<mapi::MapiMessage> message = openMessage(rig.inbox, id);
    FmLibrary library;
    ASSERT_TRUE(library.loaded()) << library.error;
    mapi::IFormProvider* forms = provider(library);
    mapi::ComposeFormFields fields;
    EXPECT_EQ(
        forms->composeForm(nullptr, message.get(), mapi::kComposeForward, nullptr, &fields, nullptr, nullptr),
        com::kSOk);
    forms->release();
    EXPECT_EQ(rig.composeValues()[0], "Media:\ttext\t\\My Documents\\My Pictures\\beach.jpg");
    EXPECT_EQ(testAwaitExit(inbox, 10s), 0) << rig.root.readFile("inbox.out");
    EXPECT_NE(rig.root.readFile("log/inbox.log").find("closed by WM_CLOSE"), std::string::npos);
}

} // namespace
