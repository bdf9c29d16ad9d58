// A composed message sent by the whole engine against tests/peers/vrax_server.py:
// a picture of the phone's store, selected through the Media Access Manager,
// and a recorded voice memo are uploaded by the Media Upload Manager and the
// sender, then the message itself goes to the service.
#include "engine/access/MediaAccessRequests.h"
#include "engine/access/MediaCollection.h"
#include "engine/client/VXLClient.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/records/OutboundQueueRequests.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/StringVoiceMemo.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kReply = 77;
// The one picture of the phone store.
constexpr const char* kPhonePicture = "My Documents/My Pictures/Beach.jpg";

bool has(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The request document without the writer's line breaks and indents.
std::string compact(const std::string& document)
{
    std::string out;
    for (std::size_t i = 0; i < document.size(); ++i) {
        if (document[i] == '\n') {
            while (i + 1 < document.size() && document[i + 1] == ' ')
                ++i;
            continue;
        }
        out += document[i];
    }
    return out;
}

struct ComposeRig {
    ComposeRig()
    {
        root.makeFolder("memo");
        picture.resize(7000);
        for (std::size_t i = 0; i < picture.size(); ++i)
            picture[i] = static_cast<char>((i * 13 + i / 7) & 0xFF);
        root.writeFile(kPhonePicture, picture);
    }
    ~ComposeRig()
    {
        if (server > 0)
            testStopProcess(server, 2000);
        if (driver.client()) {
            requester.stop();
            driver.runUntilIdle();
        }
    }

    // Gated: the service reads no request before openGate().
    bool start(const char* script, bool gated = false)
    {
        log = root.hostPath("vrax-server.log");
        std::vector<std::string> arguments {script, log, "--announce"};
        if (gated)
            arguments.insert(arguments.end(), {"--gate", log + ".gate"});
        std::uint16_t port = 0;
        server = testStartPythonPeer("vrax_server.py", arguments, log + ".out", &port);
        if (server <= 0 || !driver.startUp())
            return false;
        CVXLClient& client = *driver.client();
        client.settings().setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());
        client.settings().setPersistentString(kPersVraxId, "D42");
        client.settings().setPersistentString(kPersVraxRegComplete, "1");
        client.settings().store().set("vrax.max_image_upload_size", "100000");
        client.settings().store().set("vrax.max_audio_upload_size", "100000");
        // Sent messages leave the queue at once.
        client.settings().setConfigString(kCfgOption53, "1");
        client.startChild(&requester);
        driver.runUntilIdle();
        return queue().loaded();
    }

    void openGate() { std::ofstream(log + ".gate").put('\n'); }

    COutboundQueueManager& queue() { return driver.client()->getOutboundQueueManager(); }
    CMediaAccessManager& media() { return driver.client()->getMediaAccessManager(); }

    std::int32_t ask(CVXLEventHandler* to, CVXLEvent& request)
    {
        const std::size_t before = requester.results.size();
        requester.post(to, &request);
        driver.followRealTime([&] { return requester.results.size() > before; }, 5000);
        return requester.results.size() > before ? requester.results.back() : -999;
    }

    // Opens the phone's store and selects its picture.
    bool selectPhonePicture()
    {
        CMediaLocationRequest open(kReply);
        open.setStoreIndex(1);
        if (ask(&media(), open) != 0)
            return false;
        CMediaAccessQuery query(kReply);
        query.bind(0, 1);
        query.setPayload(0);
        const std::int32_t fetched = ask(&media(), query);
        if (fetched != 0 && fetched != kResultLastPage)
            return false;
        const CMediaCollection* list = media().currentCollection();
        const CMediaCollectionEntry* entry = list ? list->at(0) : nullptr;
        if (!entry || !entry->item)
            return false;
        media().toggleSelection(*entry->item);
        return media().countSelected() == 1;
    }

    // A composing screen with a picture list, recipients, subject and voice
    // annotation, as the screen flow submits it.
    std::int32_t submit()
    {
        screen.setId("__vxl_sendto_recipients");
        screen.setCookie("ck5");
        const struct {
            const char* id;
            const char* type;
            const char* value;
        } fields[] = {{"pics", "images", nullptr}, {"to", "addrList", nullptr}, {"subj", "subj", "Beach"},
            {"voice", "audioAnn", nullptr}};
        for (const auto& f : fields) {
            auto* field = new CScenarioField;
            field->setFieldId(f.id);
            field->fieldDescription().setType(f.type);
            field->setOutgoing(true);
            if (f.value)
                field->values().append(f.value);
            screen.addField(field);
        }
        COutboundSubmitRequest request(kReply);
        request.screen = &screen;
        request.recipients.insertAt("+15550111", 0);
        request.voiceMemo = &memo;
        request.priority = 2;
        return ask(&queue(), request);
    }

    std::string kept(int n) const { return log + "." + std::to_string(n) + ".xml"; }

    TempDeviceRoot root;
    EngineDriver driver {&root};
    TraceJob requester {"screen flow"};
    CScenarioLayout screen;
    StringVoiceMemo memo {std::string(9000, 'm') + std::string(3456, '\x01')};
    std::string picture;
    std::string log;
    pid_t server = -1;
};

} // namespace

// The picture and the memo are uploaded whole, the message names their uids,
// the sent counter rises by one and the entry leaves the queue.
TEST(VXLClientComposeSend, APictureAndAVoiceMemoAreSentEndToEnd)
{
    TESSEL_REQUIRE_TOOL(testToolXmllint());
    ComposeRig rig;
    ASSERT_TRUE(rig.start("upload-ack,upload-ack2,queued-uri"));
    ASSERT_TRUE(rig.selectPhonePicture());
    const std::int32_t sentBefore = rig.driver.client()->getCounters().get(kCounterMessagesSent);

    ASSERT_EQ(rig.submit(), 0);
    EXPECT_TRUE(rig.driver.followRealTime([&] { return rig.queue().count() == 0; }, 20000));

    const auto received = testFileLines(rig.log);
    ASSERT_EQ(received.size(), 3u);
    EXPECT_TRUE(has(received[0], "request=media-xfer")) << received[0];
    EXPECT_TRUE(
        has(received[0], " attachment=7000 sha256=" + testSha256OfFile(rig.root.hostPath(kPhonePicture))))
        << received[0];
    const std::string memoFile = rig.root.hostPath("memo/memo.bin");
    writeHost(memoFile, rig.memo.bytes);
    EXPECT_TRUE(has(received[1], "request=media-xfer")) << received[1];
    EXPECT_TRUE(has(received[1], " attachment=12456 sha256=" + testSha256OfFile(memoFile))) << received[1];
    EXPECT_TRUE(has(received[2], "request=mm-msg-xfer")) << received[2];

    EXPECT_EQ(testRunCommand("xmllint --noout '" + rig.kept(3) + "' 2>&1").status, 0)
        << readHost(rig.kept(3));
    const std::string document = compact(readHost(rig.kept(3)));
    for (const char* part : {"<scenario id=\"__vxl_sendto_recipients\" cookie=\"ck5\">",
             "<field fid=\"pics\"><li>U77</li></field>", "<field fid=\"to\"><li>+15550111</li></field>",
             "<field fid=\"subj\"><li>Beach</li></field>", "<field fid=\"voice\"><li>U78</li></field>"})
        EXPECT_TRUE(has(document, part)) << part << "\n" << document;

    EXPECT_EQ(rig.driver.client()->getCounters().get(kCounterMessagesSent), sentBefore + 1);
    EXPECT_EQ(readHost(rig.driver.storeFile("state.oq")).substr(5), std::string("\x00\x00\x00\x00\xFF", 5));
    EXPECT_EQ(readHost(rig.driver.storeFile("item_0.oq")), "");
    EXPECT_EQ(readHost(rig.driver.storeFile("audio_0.oq")), "");
}

// The service refuses the message with sub-code 273: a permanent refusal,
// so the entry is rejected with its attempts used up and never sent again;
// it leaves the queue once the subscriber is idle.
TEST(VXLClientComposeSend, ARefusalWithSubCode273RejectsTheEntry)
{
    ComposeRig rig;
    ASSERT_TRUE(rig.start("upload-ack,upload-ack2,error-info273", true));
    ASSERT_TRUE(rig.selectPhonePicture());
    const std::int32_t sentBefore = rig.driver.client()->getCounters().get(kCounterMessagesSent);

    ASSERT_EQ(rig.submit(), 0);
    ASSERT_EQ(rig.queue().count(), 1u);
    ASSERT_TRUE(rig.driver.followRealTime([&] { return rig.queue().entryAt(0).sending != 0; }, 5000));
    // The subscriber is busy from now on: the wake-up after the result
    // leaves the refused entry where it is. The service has read nothing
    // yet, so the result cannot come before.
    rig.driver.client()->beginActivity();
    rig.openGate();
    EXPECT_TRUE(rig.driver.followRealTime([&] { return rig.queue().entryAt(0).rejected != 0; }, 20000));
    rig.driver.runUntilIdle();

    ASSERT_EQ(testFileLines(rig.log).size(), 3u);
    EXPECT_EQ(rig.driver.client()->getCounters().get(kCounterMessagesSent), sentBefore);
    const std::string folder
        = rig.driver.storeFile("state.oq").substr(0, rig.driver.storeFile("state.oq").rfind('/'));
    int status = -1;
    const std::string read = msgstore({"queue-read", folder}, &status);
    ASSERT_EQ(status, 0) << read;
    EXPECT_TRUE(has(read, "\"rejected\": 1")) << read;
    EXPECT_TRUE(has(read, "\"attempts\": 3")) << read;
    ASSERT_EQ(rig.queue().count(), 1u);
    EXPECT_EQ(rig.queue().entryAt(0).status(), 4u);

    rig.driver.client()->endActivity();
    EXPECT_TRUE(rig.driver.followRealTime([&] { return rig.queue().count() == 0; }, 5000));
    EXPECT_EQ(testFileLines(rig.log).size(), 3u);
    EXPECT_EQ(readHost(rig.driver.storeFile("item_0.oq")), "");
    EXPECT_EQ(readHost(rig.driver.storeFile("audio_0.oq")), "");
}
