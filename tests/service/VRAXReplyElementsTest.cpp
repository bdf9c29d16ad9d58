#include "engine/core/base/VXLByteStream.h"
#include "engine/core/jobs/VXLResultCodes.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/core/text/VXLDateTime.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/service/VRAXContainerOperation.h"
#include "engine/service/VRAXContainerReply.h"
#include "engine/service/VRAXContainerRequest.h"
#include "engine/service/VRAXContentsReply.h"
#include "engine/service/VRAXErrorInfoReply.h"
#include "engine/service/VRAXListChoiceAckReply.h"
#include "engine/service/VRAXMediaReqReply.h"
#include "engine/service/VRAXMediaXferReply.h"
#include "engine/service/VRAXMgmtReply.h"
#include "engine/service/VRAXPageRequest.h"
#include "engine/service/VRAXUploadReply.h"
#include "engine/service/VRAXUriReply.h"
#include "engine/transfer/VXLOnlineUploadRequest.h"
#include "tests/service/ReplyPartReading.h"
#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

namespace {

std::string runCommand(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char chunk[4096];
    std::size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.append(chunk, n);
    pclose(pipe);
    return out;
}

// The reply document of a reply the test server sends.
CVXLByteBuffer serverDocument(const char* name)
{
    const std::string body
        = runCommand(std::string("python3 " TESSEL_SOURCE_DIR "/tests/peers/vrax_server.py --reply ") + name);
    const std::string parts = readReply({body});
    const std::string prefix = "document ";
    if (parts.compare(0, prefix.size(), prefix) != 0)
        return CVXLByteBuffer();
    return bytesOf(parts.substr(prefix.size(), parts.find("</VRAX>") + 7 - prefix.size()));
}

std::string mediaLine(const CVRAXPageRequest::Media& m)
{
    char line[256];
    std::snprintf(line, sizeof line, "%s %s %s t=%d up=%d/%d %dx%d s=%d %d,%d", m.uid.c_str(),
        m.mimeType.c_str(), m.title.c_str(), m.captureTime, m.uploadTime, m.hasUploadTime ? 1 : 0, m.width,
        m.height, m.size, m.latitude, m.longitude);
    return line;
}

TEST(VRAXReplyElementsTest, AlbumListPagesFillTheirEntriesAndMarkTheLastPage)
{
    FakeVraxEnvironment env;
    CVRAXPageRequest page;
    page.setWindow(10, 5);
    CVRAXContentsReply reader(env);
    reader.reset();
    reader.setAlbumList(&page);
    EXPECT_EQ(reader.parse(serverDocument("albums-last")), kVraxReplyDone);
    EXPECT_EQ(page.result, kResultLastPage);
    EXPECT_EQ(page.received, 5);
    EXPECT_EQ(page.total, 15);
    for (int n = 0; n < 5; ++n) {
        SCOPED_TRACE(n);
        const CVRAXPageRequest::Album& a = page.albums[n];
        EXPECT_EQ(a.containerId, CVXLString("C") + CVXLString(n));
        EXPECT_EQ(a.title, CVXLString("Album ") + CVXLString(n));
        EXPECT_EQ(a.imageCount, n * 2);
        EXPECT_EQ(a.videoCount, 1);
        EXPECT_EQ(a.created, parseDateTimeText(CVXLString("2027-01-0") + CVXLString(n + 1), "10:00:00"));
        EXPECT_EQ(a.changed, 0u);
    }
    // Positions 5 and 3 are outside the three icons and land in the first.
    EXPECT_EQ(page.albums[0].icons[0].id, "I0");
    EXPECT_EQ(page.albums[4].icons[0].id, "I4");
    EXPECT_EQ(page.albums[1].icons[1].id, "I1");
    EXPECT_EQ(page.albums[2].icons[2].id, "I2");
    EXPECT_EQ(page.albums[3].icons[0].id, "I3");
    EXPECT_EQ(page.albums[3].icons[0].type, "image/jpeg");
    EXPECT_EQ(page.albums[3].icons[1].id, "");
}

// Count and offset are the server's: values at the ends of their range
// neither overflow (the sanitizer build checks) nor end the list.
TEST(VRAXReplyElementsTest, CountAndOffsetAtTheEndsOfTheirRangeAreNotTheLastPage)
{
    const char* cases[][2] = {{"2147483647", "10"}, {"10", "2147483647"}, {"-2147483648", "-1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c[0]) + " + " + c[1]);
        FakeVraxEnvironment env;
        CVRAXPageRequest page;
        page.setWindow(0, 5);
        CVRAXContentsReply reader(env);
        reader.reset();
        reader.setAlbumList(&page);
        const std::string document = std::string("<?xml version=\"1.0\" ?>\n<VRAX ver=\"5.1\" seq=\"1\">")
            + "<contents offset=\"" + c[0] + "\" count=\"" + c[1] + "\" total=\"-2147483639\">"
            + "<container id=\"C0\"><attr name=\"TITLE\">A</attr></container></contents></VRAX>";
        reader.parse(bytesOf(document));
        EXPECT_NE(page.result, kResultLastPage);
    }
}

TEST(VRAXReplyElementsTest, AlbumContentsFillThePageDropTheRestAndMarkAnEmptyAlbum)
{
    const std::string u1 = "U1 image/jpeg Beach t=1700000000 up=1700000500/1 640x480 s=51234 -1234,5678";
    // A size without a comma leaves both sides unknown.
    const std::string u2 = "U2 video/3gpp Waves t=0 up=0/0 -1x-1 s=0 0,0";
    const std::string u3 = "U3 image/png Dropped t=0 up=0/0 -1x-1 s=0 0,0";
    const std::string blank = "   t=0 up=0/0 -1x-1 s=0 0,0";
    struct Case {
        const char* reply;
        std::int32_t capacity;
        std::int32_t result;
        std::vector<std::string> entries;
    };
    const Case cases[] = {
        {"items", 2, 0, {u1, u2}},
        {"items", 5, 0, {u1, u2, u3, blank, blank}},
        {"items-empty", 3, kResultAlbumEmpty, {blank, blank, blank}},
        {"items-empty", 0, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reply) + " capacity " + std::to_string(c.capacity));
        FakeVraxEnvironment env;
        CVRAXPageRequest page;
        page.setWindow(0, c.capacity);
        CVRAXContentsReply reader(env);
        reader.setAlbumContents(&page);
        EXPECT_EQ(reader.parse(serverDocument(c.reply)), kVraxReplyDone);
        EXPECT_EQ(page.result, c.result);
        std::vector<std::string> entries;
        for (const CVRAXPageRequest::Media& m : page.media)
            entries.push_back(mediaLine(m));
        EXPECT_EQ(entries, c.entries);
    }
}

TEST(VRAXReplyElementsTest, ErrorInfoAndChoiceAckAreReadFromTheirOwnElements)
{
    struct Case {
        const char* reply;
        std::int32_t result;
        std::int32_t id;
        const char* msg;
    };
    const Case cases[] = {
        // The inner "error" does not end the parse; "error-info"'s end does.
        {"error-info266", kVraxReplyDone, 266, "Unknown subscriber"},
        {"error-info273", kVraxReplyDone, 273, "Item refused"},
        // An error without its info has no code: not done.
        {"error266", kVraxReplyUndecided, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        FakeVraxEnvironment env;
        CVRAXErrorInfoReply reader(env);
        EXPECT_EQ(reader.parse(serverDocument(c.reply)), c.result);
        EXPECT_EQ(reader.errorId(), c.id);
        EXPECT_EQ(reader.message(), c.msg);
        reader.reset();
        EXPECT_EQ(reader.errorId(), 0);
        EXPECT_EQ(reader.message(), "");
    }

    FakeVraxEnvironment env;
    CVRAXListChoiceAckReply ack(env);
    EXPECT_EQ(ack.parse(serverDocument("choice-ack")), kVraxReplyDone);
    EXPECT_EQ(ack.choiceId(), "a2");
}

std::string regFileDump(const CVXLPersStore& store)
{
    CVXLByteStream image;
    store.save(image);
    char path[] = "/tmp/vrax-reg-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return "";
    const bool written = write(fd, image.data(), image.length()) == static_cast<ssize_t>(image.length());
    close(fd);
    const std::string dump = written
        ? runCommand(std::string("python3 " TESSEL_SOURCE_DIR "/tests/peers/vxl_reg_reader.py ") + path)
        : "";
    std::remove(path);
    return dump;
}

TEST(VRAXReplyElementsTest, RegistrationStoresTheIdAndTheNamedPagesInTheSavedSettings)
{
    FakeVraxEnvironment env;
    env.now = 1800000000;
    CVRAXMgmtReply reader(env);
    EXPECT_EQ(reader.parse(serverDocument("mgmt")), kVraxReplyDone);
    EXPECT_EQ(env.get(kPersVraxRegComplete), "1");
    ASSERT_EQ(reader.uris().size(), 4u);
    EXPECT_EQ(reader.uris()[3].name, "help");
    EXPECT_EQ(reader.uris()[3].uri, "http://svc.example/help");
    EXPECT_EQ(regFileDump(env.store),
        "root.pers.vrax.time_last_rsp=1800000000\n"
        "root.pers.vrax.id=D42\n"
        "root.pers.item_share=http://svc.example/share\n"
        "root.pers.account_mgmt=http://svc.example/account\n"
        "root.pers.media_browse=http://svc.example/browse\n");
    reader.reset();
    EXPECT_TRUE(reader.uris().empty());

    // No id: not registered, and the reply gives no result.
    FakeVraxEnvironment bare;
    CVRAXMgmtReply idless(bare);
    EXPECT_EQ(idless.parse(serverDocument("mgmt-no-id")), kVraxReplyUndecided);
    EXPECT_EQ(bare.get(kPersVraxRegComplete), "");
    EXPECT_EQ(bare.get(kPersVraxId), "");
    EXPECT_EQ(idless.uris().size(), 1u);
}

TEST(VRAXReplyElementsTest, SmallReadersHandTheirValueBack)
{
    FakeVraxEnvironment env;

    CVXLMediaItem record;
    CVRAXUploadReply upload(env);
    upload.setItem(&record);
    EXPECT_EQ(upload.parse(serverDocument("upload-ack")), kVraxReplyDone);
    EXPECT_EQ(record.uid(), "U77");
    EXPECT_EQ(record.location(), "U77");

    CVXLMediaItem item;
    CVXLOnlineUploadRequest request(0);
    request.item = &item;
    CVRAXMediaXferReply xfer(env);
    xfer.setUpload(&request);
    EXPECT_EQ(xfer.parse(serverDocument("upload-ack")), kVraxReplyDone);
    EXPECT_EQ(item.uid(), "U77");

    CVRAXUriReply uri(env);
    EXPECT_EQ(uri.parse(serverDocument("queued-uri")), kVraxReplyDone);
    EXPECT_EQ(uri.parse(serverDocument("queued-uri-other")), kVraxReplyDone);
    EXPECT_EQ(env.urls, std::vector<std::string> {"http://svc.example/sent/9"});

    CVRAXMediaReqReply lookup(env);
    EXPECT_EQ(lookup.parse(serverDocument("lookup-found")), kVraxReplyDone);
    EXPECT_TRUE(lookup.sawItem());
    lookup.reset();
    EXPECT_EQ(lookup.parse(serverDocument("lookup-none")), kVraxReplyDone);
    EXPECT_FALSE(lookup.sawItem());
}

TEST(VRAXReplyElementsTest, AContainerIdIsKeptOnlyForAnAlbumOperation)
{
    const CVXLByteBuffer reply
        = bytesOf("<VRAX><container-update><container id=\"A99\"/></container-update></VRAX>");
    for (const bool albumOperation : {true, false}) {
        SCOPED_TRACE(albumOperation);
        FakeVraxEnvironment env;
        CVRAXContainerOperation operation;
        operation.containerId = "A7";
        CVRAXContainerRequest request(env);
        if (albumOperation)
            request.setContainerOperation(&operation);
        else
            request.setItemOperation(&operation);
        CVRAXContainerReply reader(env);
        reader.setRequest(&request);
        EXPECT_EQ(reader.parse(reply), kVraxReplyDone);
        EXPECT_EQ(request.containerId(), albumOperation ? "A99" : "A7");
    }
}

} // namespace
