#include "platform/mapi/MessageStore.h"
#include "platform/kernel/TextCodec.h"
#include "platform/mapi/BodyStream.h"
#include "platform/mapi/EntryId.h"
#include "platform/mapi/MailCompose.h"
#include "platform/mapi/MapiFolder.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/MessageFolderFiles.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/wait.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace tessel::mapi {
namespace {

using Lines = std::vector<std::string>;

const std::string kTool = TESSEL_BINARY_DIR "/bin/mapicrash";
const std::string kPeer = TESSEL_SOURCE_DIR "/tests/peers/mapistore.py";

std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

TestCommandResult peer(const std::vector<std::string>& arguments)
{
    std::string command = testPython() + " " + quoted(kPeer);
    for (const std::string& argument : arguments)
        command += " " + quoted(argument);
    return testRunCommand(command + " 2>&1");
}

// The session's SMS store and its Inbox, found the way the phone finds them:
// the first store whose name holds "SMS", its Inbox by the store's value.
struct SmsInbox {
    std::unique_ptr<MapiSession> session = MapiSession::logon();
    std::unique_ptr<MessageStore> store;
    std::unique_ptr<MapiFolder> inbox;

    SmsInbox()
    {
        for (const PropRow& row : session->storeTable({kPropDisplayName, kPropEntryId}))
            if (row[0].text.find("SMS") != std::string::npos) {
                EXPECT_EQ(session->openStore(row[1].text, &store), kMapiOk);
                break;
            }
        EXPECT_TRUE(store);
        if (store) {
            EXPECT_EQ(store->openFolder(store->getProps({kPropInboxEntryId})[0].text, &inbox), kMapiOk);
        }
    }
    std::string hostFolder(const TempDeviceRoot& root) const { return root.hostPath("mapi/SMS/Inbox"); }
};

// The Inbox's message classes by entry id, through the contents table.
std::map<std::string, std::string> classes(const MapiFolder& folder)
{
    std::map<std::string, std::string> out;
    for (const PropRow& row : folder.contentsTable({kPropEntryId, kPropMessageClass}))
        out[row[0].text] = row[1].text;
    return out;
}

std::string utf16(const std::string& utf8)
{
    return kernel::utf8ToUtf16Bytes(utf8);
}

TEST(MessageStore, TheStoreTableListsTheSmsStoreWhoseInboxValueOpensItsInbox)
{
    TempDeviceRoot root;
    root.makeFolder("mapi/ActiveSync/Inbox");
    auto session = MapiSession::logon();
    ASSERT_TRUE(session);
    const auto stores = session->storeTable({kPropDisplayName, kPropEntryId, kPropSubject});
    ASSERT_EQ(stores.size(), 2u);
    EXPECT_EQ(stores[0][0].text, "ActiveSync");
    EXPECT_EQ(stores[1][0].text, "SMS");
    EXPECT_TRUE(stores[1][2].isMissing()) << "a store has no subject";
    EXPECT_EQ(stores[1][1].text.find("SMS\\"), std::string::npos);

    std::unique_ptr<MessageStore> sms;
    ASSERT_EQ(session->openStore(stores[1][1].text, &sms), kMapiOk);
    const PropValue inboxId = sms->getProps({kPropInboxEntryId})[0];
    ASSERT_EQ(inboxId.tag, kPropInboxEntryId);
    std::unique_ptr<MapiFolder> inbox;
    ASSERT_EQ(sms->openFolder(inboxId.text, &inbox), kMapiOk);
    EXPECT_EQ(inbox->getProps({kPropDisplayName})[0].text, "Inbox");

    // Another store's folder id does not open in this one.
    std::unique_ptr<MessageStore> other;
    ASSERT_EQ(session->openStore(stores[0][1].text, &other), kMapiOk);
    std::unique_ptr<MapiFolder> wrong;
    EXPECT_EQ(sms->openFolder(other->getProps({kPropInboxEntryId})[0].text, &wrong), kMapiNotFound);
}

// A message as the phone's rule client leaves it: values set in one call,
// the body written through its stream, plus a recipient and an attachment.
std::unique_ptr<MapiMessage> storeRichMessage(const MapiFolder& inbox)
{
    auto message = inbox.createMessage();
    EXPECT_EQ(
        message->setProps({PropValue::ofText(kPropMessageClass, "IPM.SMSText.Tessel"),
            PropValue::ofText(kPropSubject, "50% off\nClick Go"), PropValue::ofNumber(kPropImportance, 1),
            PropValue::ofNumber(kPropNoticeKind, -3), PropValue::ofText(kPropSenderEmail, "Unknown")}),
        kMapiOk);
    std::unique_ptr<BodyStream> body;
    EXPECT_EQ(message->openBody(true, &body), kMapiOk);
    const std::string bytes = utf16("Grüße 😀 http://t.test/x");
    EXPECT_EQ(body->write(bytes.data(), static_cast<std::uint32_t>(bytes.size())), bytes.size());
    body->commit();
    message->addRecipient({PropValue::ofText(kPropDisplayName, "Anna"),
        PropValue::ofText(kPropEmailAddress, "anna@example.com")});
    message->createAttachment({PropValue::ofText(kPropAttachFileName, "IMG 1.jpg"),
        PropValue::ofBytes(kPropAttachData, std::string("\xff\xd8\x00%\n", 5))});
    EXPECT_EQ(message->saveChanges(), kMapiOk);
    return message;
}

TEST(MessageStore, ASavedMessageReopensByItsEntryIdWithEveryValueBodyRecipientAndAttachment)
{
    TempDeviceRoot root;
    SmsInbox sms;
    ASSERT_TRUE(sms.inbox);
    const std::string entryId = storeRichMessage(*sms.inbox)->entryId();
    ASSERT_FALSE(entryId.empty());

    std::unique_ptr<MapiMessage> message;
    ASSERT_EQ(sms.session->openMessage(entryId, &message), kMapiOk);
    const PropRow values = message->getProps({kPropMessageClass, kPropSubject, kPropImportance,
        kPropNoticeKind, kPropSenderEmail, kPropBody, kPropEntryId, kPropMessageFlags});
    EXPECT_EQ(values[0].text, "IPM.SMSText.Tessel");
    EXPECT_EQ(values[1].text, "50% off\nClick Go");
    EXPECT_EQ(values[2].number, 1);
    EXPECT_EQ(values[3].number, -3);
    EXPECT_EQ(values[4].text, "Unknown");
    EXPECT_EQ(values[5].text, "Grüße 😀 http://t.test/x");
    EXPECT_EQ(values[6].text, entryId);
    EXPECT_TRUE(values[7].isMissing());

    // The body read as its stream, in pieces as a reader of 1,024 bytes would.
    std::unique_ptr<BodyStream> body;
    ASSERT_EQ(message->openBody(false, &body), kMapiOk);
    char buffer[7];
    std::string read;
    for (std::uint32_t n; (n = body->read(buffer, sizeof buffer)) > 0;)
        read.append(buffer, n);
    EXPECT_EQ(read, utf16("Grüße 😀 http://t.test/x"));

    const auto recipients = message->recipientTable({kPropDisplayName, kPropEntryId, kPropEmailAddress});
    ASSERT_EQ(recipients.size(), 1u);
    EXPECT_EQ(recipients[0][0].text, "Anna");
    EXPECT_TRUE(recipients[0][1].isMissing());
    EXPECT_EQ(recipients[0][2].text, "anna@example.com");

    const auto attachments = message->attachmentTable({kPropAttachFileName});
    ASSERT_EQ(attachments.size(), 1u);
    EXPECT_EQ(attachments[0][0].number, 0);
    PropRow attachment;
    ASSERT_EQ(message->openAttachment(attachments[0][0].number, &attachment), kMapiOk);
    EXPECT_EQ(findProp(attachment, kPropAttachFileName).text, "IMG 1.jpg");
    EXPECT_EQ(findProp(attachment, kPropAttachData).text, std::string("\xff\xd8\x00%\n", 5));
    EXPECT_EQ(message->openAttachment(1, &attachment), kMapiNotFound);

    // A message without a body has no stream to read, only one to create.
    auto plain = sms.inbox->createMessage();
    EXPECT_EQ(plain->openBody(false, &body), kMapiNotFound);
    EXPECT_EQ(plain->setProps({PropValue::missing(kPropSubject)}), kMapiInvalidArgument);
}

TEST(MessageStore, ThePythonReaderSeesWhatWeWroteFieldForField)
{
    TempDeviceRoot root;
    SmsInbox sms;
    ASSERT_TRUE(sms.inbox);
    storeRichMessage(*sms.inbox);
    const auto ids = MessageFolderFiles(sms.hostFolder(root)).ids();
    ASSERT_EQ(ids.size(), 1u);
    const TestCommandResult run = peer({"read", sms.hostFolder(root) + "/" + ids[0] + ".msg"});
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(testLines(run.output),
        (Lines {
            "message 001a001f \"IPM.SMSText.Tessel\"",
            "message 0037001f \"50% off\\nClick Go\"",
            "message 00170003 1",
            "message 81180003 -3",
            "message 0c1f001f \"Unknown\"",
            "message 1000001f \"Grüße 😀 http://t.test/x\"",
            "recipient 0 3001001f \"Anna\"",
            "recipient 0 3003001f \"anna@example.com\"",
            "attachment 0 3704001f \"IMG 1.jpg\"",
            "attachment 0 37010102 \"ffd800250a\"",
        }));
}

TEST(MessageStore, WeReadWhatThePythonWriterStoredFieldForField)
{
    TempDeviceRoot root;
    SmsInbox sms;
    ASSERT_TRUE(sms.inbox);
    const TestCommandResult run = peer({"write", sms.hostFolder(root),
        R"({"props": [["001a001f", "IPM.SMStext.Tessel"], ["0037001f", "tab\there%20 100%"],
                      ["0e070003", -2147483648], ["1000001f", "Ünïcode\r\nline 2"], ["0c1b001f", ""]],
            "recipients": [[["3003001f", "a@b.test"]], [["3001001f", "Bo"], ["3003001f", "bo@b.test"]]],
            "attachments": [[["3704001f", "v.3gp"], ["37010102", ""]]]})"});
    ASSERT_EQ(run.status, 0) << run.output;

    const auto rows = sms.inbox->contentsTable({kPropEntryId, kPropMessageClass, kPropSubject,
        kPropMessageFlags, kPropBody, kPropNoticeText, kPropImportance});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1].text, "IPM.SMStext.Tessel");
    EXPECT_EQ(rows[0][2].text, "tab\there%20 100%");
    EXPECT_EQ(rows[0][3].number, INT32_MIN);
    EXPECT_EQ(rows[0][4].text, "Ünïcode\r\nline 2");
    EXPECT_EQ(rows[0][5], PropValue::ofText(kPropNoticeText, ""));
    EXPECT_TRUE(rows[0][6].isMissing());

    std::unique_ptr<MapiMessage> message;
    ASSERT_EQ(sms.store->openMessage(rows[0][0].text, &message), kMapiOk);
    const auto recipients = message->recipientTable({kPropDisplayName, kPropEmailAddress});
    ASSERT_EQ(recipients.size(), 2u);
    EXPECT_TRUE(recipients[0][0].isMissing());
    EXPECT_EQ(recipients[0][1].text, "a@b.test");
    EXPECT_EQ(recipients[1][0].text, "Bo");
    PropRow attachment;
    ASSERT_EQ(message->openAttachment(0, &attachment), kMapiOk);
    EXPECT_EQ(attachment,
        (PropRow {PropValue::ofText(kPropAttachFileName, "v.3gp"), PropValue::ofBytes(kPropAttachData, "")}));
}

// The main dialog's clean-up on a return to main: every message whose class
// is exactly the service notice's, one delete each, by entry id.
TEST(MessageStore, ACleanUpByClassDeletesExactlyThoseMessagesWhoeverWroteThem)
{
    TempDeviceRoot root;
    SmsInbox sms;
    ASSERT_TRUE(sms.inbox);
    const std::string folder = sms.hostFolder(root);
    for (const char* cls : {"IPM.SMStext.Tessel", "IPM.SMSText.Tessel", "IPM.SMStext.Tessel", "IPM.SMSText",
             "ipm.smstext.tessel", "IPM.SMStext.Tessel "})
        ASSERT_EQ(
            peer({"write", folder, std::string(R"({"props": [["001a001f", ")") + cls + "\"]]}"}).status, 0);
    for (const char* cls : {"IPM.SMStext.Tessel", "IPM.Note"}) {
        auto message = sms.inbox->createMessage();
        message->setProps({PropValue::ofText(kPropMessageClass, cls)});
        ASSERT_EQ(message->saveChanges(), kMapiOk);
    }
    auto classless = sms.inbox->createMessage();
    ASSERT_EQ(classless->saveChanges(), kMapiOk);

    int deleted = 0;
    for (const auto& [entryId, cls] : classes(*sms.inbox))
        if (cls == "IPM.SMStext.Tessel") {
            EXPECT_EQ(sms.inbox->deleteMessages({entryId}), kMapiOk);
            ++deleted;
        }
    EXPECT_EQ(deleted, 3);

    const TestCommandResult left = peer({"list", folder});
    ASSERT_EQ(left.status, 0) << left.output;
    std::multiset<std::string> remaining;
    for (const std::string& line : testLines(left.output))
        remaining.insert(line.substr(line.find(' ') + 1));
    EXPECT_EQ(remaining,
        (std::multiset<std::string> {"IPM.SMSText.Tessel", "IPM.SMSText", "ipm.smstext.tessel",
            "IPM.SMStext.Tessel ", "IPM.Note", "None"}));
}

TEST(MessageStore, TwoProcessesStoringAtOnceBothLand)
{
    TempDeviceRoot root;
    SmsInbox sms;
    ASSERT_TRUE(sms.inbox);
    const pid_t ours = testSpawn({kTool, "write", "120", "ours"}, root.hostPath("tool.log"));
    const pid_t theirs = testSpawn(
        {"/usr/bin/env", testPython(), kPeer, "write-many", sms.hostFolder(root), "120", "theirs"},
        root.hostPath("peer.log"));
    ASSERT_GT(ours, 0);
    ASSERT_GT(theirs, 0);
    int oursStatus = -1;
    int theirsStatus = -1;
    ::waitpid(ours, &oursStatus, 0);
    ::waitpid(theirs, &theirsStatus, 0);
    EXPECT_EQ(oursStatus, 0) << root.readFile("tool.log");
    EXPECT_EQ(theirsStatus, 0) << root.readFile("peer.log");

    std::map<std::string, int> counts;
    for (const auto& [entryId, cls] : classes(*sms.inbox))
        ++counts[cls];
    EXPECT_EQ(counts, (std::map<std::string, int> {{"ours", 120}, {"theirs", 120}}));
    EXPECT_EQ(root.readFile("log/mapi.log"), "");
}

// The tool rewrites one message for ever and kills itself at a different
// point each round; the file left is always one whole version.
TEST(MessageStore, AWriterKilledMidWriteLeavesTheOldMessageOrTheNew)
{
    TempDeviceRoot root;
    SmsInbox sms;
    ASSERT_TRUE(sms.inbox);
    MessageFolderFiles files(sms.hostFolder(root));
    const std::string id = MessageFolderFiles::newId();
    MessageRecord first;
    first.props
        = {PropValue::ofText(kPropMessageClass, "IPM.SMSText"), PropValue::ofText(kPropBody, "first")};
    ASSERT_TRUE(files.write(id, first));

    std::map<std::string, int> seen;
    for (unsigned long spin :
        {0ul, 10000ul, 100000ul, 1000000ul, 3000000ul, 10000000ul, 30000000ul, 100000000ul}) {
        const pid_t pid = testSpawn({kTool, "replace", id, std::to_string(spin)}, root.hostPath("tool.log"));
        ASSERT_GT(pid, 0);
        int status = 0;
        ::waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "spin " << spin;

        MessageRecord record;
        ASSERT_EQ(files.read(id, &record), kMapiOk) << "spin " << spin;
        const std::string body = findProp(record.props, kPropBody).text;
        const bool whole
            = body == "first" || body == std::string(4000, 'a') || body == std::string(9000, 'b');
        EXPECT_TRUE(whole) << "spin " << spin << ": a body of " << body.size() << " bytes";
        ++seen[body.substr(0, 1)];
        const TestCommandResult read = peer({"read", sms.hostFolder(root) + "/" + id + ".msg"});
        EXPECT_EQ(read.status, 0) << read.output;
        EXPECT_EQ(sms.inbox->contentsTable({kPropEntryId}).size(), 1u) << "spin " << spin;
    }
    EXPECT_GT(seen["a"] + seen["b"], 0) << "every kill fell before the first rewrite";

    // The next write clears what a killed writer left half-written.
    ASSERT_TRUE(files.write(id, first));
    DIR* dir = ::opendir(sms.hostFolder(root).c_str());
    ASSERT_TRUE(dir);
    int temporary = 0;
    while (const dirent* entry = ::readdir(dir))
        temporary += std::string(entry->d_name).find(".tmp") != std::string::npos;
    ::closedir(dir);
    EXPECT_EQ(temporary, 0);
}

TEST(MessageStore, ADamagedFileIsSkippedAndLoggedByUsAndByThePythonReader)
{
    TempDeviceRoot root;
    SmsInbox sms;
    ASSERT_TRUE(sms.inbox);
    const std::string good = "tessel-message 1\nprop 001a001f IPM.SMSText\nprop 0037001f hi%25\nend\n";
    struct Case {
        const char* what;
        std::string text;
    };
    const Case cases[] = {
        {"cut before the end line", good.substr(0, good.size() - 4)},
        {"cut inside a line", good.substr(0, 30)},
        {"cut before the last line end", good.substr(0, good.size() - 1)},
        {"empty", ""},
        {"bytes after the end line", good + "prop 0037001f x\n"},
        {"another format", "tessel-message 2\nend\n"},
        {"a bad escape", "tessel-message 1\nprop 0037001f 100%\nend\n"},
        {"a raw control byte", "tessel-message 1\nprop 0037001f a\tb\nend\n"},
        {"a number with a sign only", "tessel-message 1\nprop 0e070003 -\nend\n"},
        {"a number out of range", "tessel-message 1\nprop 0e070003 2147483648\nend\n"},
        {"odd hex", "tessel-message 1\nprop 37010102 abc\nend\n"},
        {"a type we do not store", "tessel-message 1\nprop 0e060040 0\nend\n"},
        {"a repeated value", "tessel-message 1\nprop 0037001f a\nprop 0037001f b\nend\n"},
        {"an unknown line", "tessel-message 1\nsubject hi\nend\n"},
    };
    MessageFolderFiles files(sms.hostFolder(root));
    const std::string goodId = MessageFolderFiles::newId();
    ASSERT_TRUE(root.writeFile("mapi/SMS/Inbox/" + goodId + ".msg", good));
    std::map<std::string, std::string> damaged;
    for (const Case& c : cases) {
        const std::string id = MessageFolderFiles::newId();
        ASSERT_TRUE(root.writeFile("mapi/SMS/Inbox/" + id + ".msg", c.text));
        damaged[id] = c.what;
    }

    const auto rows = sms.inbox->contentsTable({kPropEntryId, kPropSubject});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][1].text, "hi%");
    const std::string log = root.readFile("log/mapi.log");
    for (const auto& [id, what] : damaged) {
        EXPECT_NE(log.find(id + ".msg"), std::string::npos) << what << " is not logged";
        std::unique_ptr<MapiMessage> message;
        EXPECT_EQ(sms.store->openMessage(messageEntryId("SMS", "Inbox", id), &message), kMapiCorruptData)
            << what;
        const TestCommandResult read = peer({"read", sms.hostFolder(root) + "/" + id + ".msg"});
        EXPECT_EQ(read.status, 2) << what << ": the Python reader took it: " << read.output;
    }
    const TestCommandResult listed = peer({"list", sms.hostFolder(root)});
    EXPECT_EQ(testLines(listed.output).size(), 1u + damaged.size());
    EXPECT_EQ(testLines(listed.output)[0], goodId + " IPM.SMSText");
}

TEST(MessageStore, EntryIdsAreCheckedAndNeverReachAPathOfTheirOwn)
{
    TempDeviceRoot root;
    SmsInbox sms;
    ASSERT_TRUE(sms.inbox);
    root.writeFile("secret/" + std::string(32, 'a') + ".msg", "tessel-message 1\nend\n");
    root.writeFile("mapi/SMS/Inbox/" + std::string(32, 'b') + ".msg", "tessel-message 1\nend\n");
    const std::string kept = messageEntryId("SMS", "Inbox", std::string(32, 'b'));
    struct Case {
        const char* what;
        std::string entryId;
    };
    const Case cases[] = {
        {"a folder that climbs out", messageEntryId("SMS", "..", std::string(32, 'a'))},
        {"a store that climbs out", messageEntryId("..", "secret", std::string(32, 'a'))},
        {"a folder with a slash", messageEntryId("SMS", "../../secret", std::string(32, 'a'))},
        {"an id with a slash", messageEntryId("SMS", "Inbox", "../../secret/" + std::string(19, 'a'))},
        {"an id in capitals", messageEntryId("SMS", "Inbox", std::string(32, 'B'))},
        {"a short id", messageEntryId("SMS", "Inbox", std::string(31, 'b'))},
        {"a folder's id", folderEntryId("SMS", "Inbox")},
        {"no id at all", ""},
        {"a message of no store", messageEntryId("Nowhere", "Inbox", std::string(32, 'b'))},
        {"a name for an id", "Inbox"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<MapiMessage> message;
        EXPECT_EQ(sms.session->openMessage(c.entryId, &message), kMapiNotFound) << c.what;
        EXPECT_EQ(sms.inbox->deleteMessages({c.entryId}), kMapiNotFound) << c.what;
    }
    EXPECT_TRUE(root.exists("secret/" + std::string(32, 'a') + ".msg"));
    EXPECT_EQ(sms.inbox->contentsTable({kPropEntryId}).size(), 1u);

    // A delete of a known id and an unknown one removes the known and says
    // not everything was there.
    EXPECT_EQ(sms.inbox->deleteMessages({kept, messageEntryId("SMS", "Inbox", std::string(32, 'c'))}),
        kMapiNotFound);
    EXPECT_TRUE(sms.inbox->contentsTable({kPropEntryId}).empty());
}

TEST(MailCompose, TheComposerRecordsItsFieldsAsOneLine)
{
    TempDeviceRoot root;
    EXPECT_EQ(mailComposeMessage({"4255550100;", "", "", "SMS", "IPM.SMSText"}), kMapiOk);
    EXPECT_EQ(mailComposeMessage({"a@b.test", "RE: 50% off", "line 1\nline 2", "SMS", "IPM.SMSText.Tessel"}),
        kMapiOk);
    EXPECT_EQ(root.readFile("log/compose.log"),
        "to=4255550100; subject= body= account=SMS class=IPM.SMSText\n"
        "to=a@b.test subject=RE:%2050%25%20off body=line%201%0aline%202 account=SMS "
        "class=IPM.SMSText.Tessel\n");
}

} // namespace
} // namespace tessel::mapi
