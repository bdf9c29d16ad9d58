#include "engine/records/MediaUploadRequest.h"
#include "engine/records/OutboundItem.h"
#include "engine/records/OutboundSummary.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

// JSON as the peer prints it (json.dumps, sorted keys); printable ASCII texts.
std::string q(const CVXLString& s)
{
    std::string out = "\"";
    for (const char* c = s.c_str(); *c; ++c) {
        if (*c == '"' || *c == '\\')
            out += '\\';
        out += *c;
    }
    return out + "\"";
}

std::string identityJson(const CVXLMediaIdentity& id)
{
    return "[" + std::to_string(static_cast<std::uint32_t>(id.number())) + ", " + q(id.first()) + ", "
        + q(id.second()) + "]";
}

std::string partJson(const COutboundMediaPart& part)
{
    return "[" + identityJson(part.identity) + ", " + q(part.mimeType) + "]";
}

std::string listJson(const CVXLStringArray& texts)
{
    std::string out = "[";
    for (std::uint32_t i = 0; i < texts.count(); ++i)
        out += (i ? ", " : "") + q(texts.at(static_cast<int>(i)));
    return out + "]";
}

std::string itemJson(const COutboundItem& item)
{
    const std::string head = "\"created\": " + std::to_string(item.createdTime) + ", \"kind\": "
        + std::to_string(item.kind) + ", \"location\": " + std::to_string(item.mediaLocation);
    if (item.kind == COutboundItem::kKindPreparedMms) {
        std::string texts;
        for (int i = 0; i < COutboundItem::kPreparedTexts; ++i)
            texts += (i ? ", " : "") + q(item.texts[i]);
        return "{" + head + ", \"strings\": [" + texts + "], \"value\": " + std::to_string(item.value) + "}";
    }
    std::string parts, groups;
    for (std::uint32_t i = 0; i < item.partCount(); ++i)
        parts += (i ? ", " : "") + partJson(*item.partAt(static_cast<int>(i)));
    for (std::uint32_t i = 0; i < item.fieldGroupCount(); ++i) {
        const COutboundFieldGroup* g = item.fieldGroupAt(static_cast<int>(i));
        groups += (i ? ", " : "")
            + ("[" + q(g->fieldId) + ", " + std::to_string(g->listType) + ", " + listJson(g->values) + "]");
    }
    return "{\"audio\": " + q(item.audioName) + ", \"cookie\": " + q(item.cookie)
        + ", \"created\": " + std::to_string(item.createdTime) + ", \"groups\": [" + groups
        + "], \"id\": " + q(item.messageId) + ", \"kind\": " + std::to_string(item.kind)
        + ", \"location\": " + std::to_string(item.mediaLocation) + ", \"main\": " + partJson(item.mainMedium)
        + ", \"parts\": [" + parts + "], \"priority\": " + std::to_string(item.priority)
        + ", \"recipients\": " + listJson(item.recipients) + ", \"scenario\": " + q(item.scenarioId) + "}";
}

std::string summaryJson(const COutboundSummary& s)
{
    return "{\"created\": " + std::to_string(s.createdTime) + ", \"extra\": " + std::to_string(s.extra)
        + ", \"id\": " + q(s.messageId) + ", \"identity\": " + identityJson(s.identity) + ", \"images\": "
        + std::to_string(s.imageCount) + ", \"location\": " + std::to_string(s.mediaLocation)
        + ", \"mime\": " + q(s.mediaMimeType) + ", \"priority\": " + std::to_string(s.priority)
        + ", \"recipients\": " + q(s.recipients) + ", \"text\": " + q(s.text) + ", \"videos\": "
        + std::to_string(s.videoCount) + ", \"voice\": " + std::to_string(s.hasVoice) + "}";
}

CVXLStringArray textsOf(const std::vector<const char*>& texts)
{
    CVXLStringArray array;
    for (const char* t : texts)
        array.insertAt(CVXLString(t), -1);
    return array;
}

// A composed message with every list filled.
void fillComposed(COutboundItem& item)
{
    item.kind = COutboundItem::kKindComposed;
    item.createdTime = 1700000000;
    item.addMediaPart(
        CVXLMediaIdentity(0x00070003, "IMG_1.jpg", "\\My Documents\\My Pictures"), "image/jpeg");
    item.addMediaPart(CVXLMediaIdentity(1, "clip", "album 9"), "video/3gpp");
    item.addMediaPart(CVXLMediaIdentity(0x00020004, "memo.wav", ""), "audio/wav");
    item.recipients = textsOf({"+15550001", "ann@example.com"});
    item.scenarioId = "__vxl_sendto_recipients";
    item.cookie = "c42";
    item.addFieldGroup("msg_text", 4, textsOf({"Hello ", "there"}));
    item.addFieldGroup("msg_choice", 2, textsOf({"dropped"}));
    item.addFieldGroup("msg_list", 9, textsOf({}));
    item.audioName = "voice1";
    item.messageId = "o1700000000_3";
    item.priority = 2;
}

void fillPrepared(COutboundItem& item, std::vector<const char*> texts, std::uint32_t value)
{
    item.kind = COutboundItem::kKindPreparedMms;
    item.createdTime = 5;
    item.mediaLocation = 6;
    for (int i = 0; i < COutboundItem::kPreparedTexts; ++i)
        item.texts[i] = texts[static_cast<std::size_t>(i)];
    item.value = value;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

std::string saved(const COutboundItem& item)
{
    CVXLByteBuffer out;
    EXPECT_TRUE(item.save(out));
    return stringOf(out);
}

TEST(OutboundItemTest, PreparedMmsOfEmptyTextsIsThirtyNineBytes)
{
    COutboundItem item;
    fillPrepared(item, {"", "", "", "", ""}, 0x01020304);
    const std::string empty = "\x01\0\0\0\0"s;
    EXPECT_EQ(saved(item),
        "\x0B\x02\x05\0\0\0\x06\0\0\0"s + empty + empty + empty + empty + empty + "\x04\x03\x02\x01"s);
    EXPECT_EQ(saved(item).size(), 39u);
}

// Each record is written by the engine and read by the peer, written by the
// peer and read by the engine: same fields, same bytes. One peer run each way.
TEST(OutboundItemTest, EngineAndPeerReadEachOthersItemsFieldForField)
{
    std::vector<COutboundItem*> items;
    fillComposed(*items.emplace_back(new COutboundItem()));
    items.emplace_back(new COutboundItem()); // a composed message with nothing in it
    fillPrepared(*items.emplace_back(new COutboundItem()), {"", "", "", "", ""}, 0);
    fillPrepared(
        *items.emplace_back(new COutboundItem()), {"m1", "+1555,+1556", "x", "y", "Subject"}, 0xFFFFFFFF);

    TempDeviceRoot root;
    std::string json = "[", files;
    for (std::size_t i = 0; i < items.size(); ++i) {
        json += (i ? ", " : "") + itemJson(*items[i]);
        writeHost(root.hostPath("c" + std::to_string(i)), saved(*items[i]));
        files += " " + root.hostPath("c" + std::to_string(i));
    }
    writeHost(root.hostPath("items.json"), json + "]");
    ASSERT_EQ(msgstore({"write-each", "item", root.hostPath("items.json"), root.hostPath("")}), "");

    std::vector<std::string> args = {"read-each", "item"};
    for (std::size_t i = 0; i < items.size(); ++i)
        args.push_back(root.hostPath("c" + std::to_string(i)));
    const std::vector<std::string> peerRead = lines(msgstore(args));
    ASSERT_EQ(peerRead.size(), items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        const std::string expected = itemJson(*items[i]);
        EXPECT_EQ(peerRead[i], expected) << "peer reads engine item " << i;
        const std::string peerBytes = readHost(root.hostPath(std::to_string(i)));
        EXPECT_EQ(peerBytes, saved(*items[i])) << "same bytes, item " << i;
        COutboundItem back;
        ASSERT_TRUE(back.load(bytesOf(peerBytes))) << i;
        EXPECT_EQ(itemJson(back), expected) << "engine reads peer item " << i;
        delete items[i];
    }
}

TEST(OutboundItemTest, DamagedItemsAreRefusedWhole)
{
    COutboundItem full;
    fillComposed(full);
    const std::string bytes = saved(full);

    struct Case {
        const char* fact;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"empty", ""},
        {"another format byte", "\x0A"s + bytes.substr(1)},
        {"recipient count beyond the bytes", ""},
        {"a string longer than the file", ""},
    };
    const std::size_t recipientCount = bytes.find("\x0A\0\0\0+15550001"s) - 2;
    cases[2].bytes = bytes.substr(0, recipientCount) + "\xFF\xFF"s + bytes.substr(recipientCount + 2);
    cases[3].bytes
        = bytes.substr(0, recipientCount + 2) + "\xFF\xFF\xFF\x7F"s + bytes.substr(recipientCount + 6);
    for (std::size_t n = 0; n < bytes.size(); ++n)
        cases.push_back({"a prefix", bytes.substr(0, n)});

    TempDeviceRoot root;
    std::vector<std::string> args = {"read-each", "item"};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        COutboundItem item;
        EXPECT_FALSE(item.load(bytesOf(cases[i].bytes))) << cases[i].fact << " " << cases[i].bytes.size();
        EXPECT_EQ(item.recipients.count(), 0u) << cases[i].fact << " " << cases[i].bytes.size();
        EXPECT_EQ(item.partCount(), 0u) << cases[i].fact;
        writeHost(root.hostPath("d" + std::to_string(i)), cases[i].bytes);
        args.push_back(root.hostPath("d" + std::to_string(i)));
    }
    const std::vector<std::string> peer = lines(msgstore(args));
    ASSERT_EQ(peer.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(peer[i].rfind("bad", 0), 0u) << "the peer refuses it too: " << cases[i].fact << " " << i;

    COutboundItem reused;
    fillComposed(reused);
    EXPECT_FALSE(reused.load(bytesOf(bytes.substr(0, bytes.size() - 1))));
    EXPECT_EQ(itemJson(reused), itemJson(COutboundItem())) << "a refused load leaves nothing of the old item";
}

struct SummaryCase {
    const char* fact;
    void (*build)(COutboundItem&);
    const char* recipients;
    const char* text;
    const char* mime;
    int images;
    int videos;
    int voice;
    std::uint32_t location;
};

TEST(OutboundSummaryTest, SummaryOfAnItem)
{
    const std::vector<SummaryCase> cases = {
        {"a full message", fillComposed, "+15550001, ann@example.com", "Hello there", "image/jpeg", 1, 1, 1,
            0x00020004},
        {"parts neither image nor video give no main medium",
            [](COutboundItem& i) {
                i.addMediaPart(CVXLMediaIdentity(7, "a", "b"), "audio/amr");
                i.addMediaPart(CVXLMediaIdentity(8, "c", "d"), "text/plain");
            },
            "", "", "", 0, 0, 0, 8},
        {"a picture then a video: the picture is main, the location the video's",
            [](COutboundItem& i) {
                i.addMediaPart(CVXLMediaIdentity(3, "p", ""), "image/gif");
                i.addMediaPart(CVXLMediaIdentity(4, "v", ""), "video/mp4");
            },
            "", "", "image/gif", 1, 1, 0, 4},
        {"a video first is main",
            [](COutboundItem& i) {
                i.addMediaPart(CVXLMediaIdentity(4, "v", ""), "video/mp4");
                i.addMediaPart(CVXLMediaIdentity(3, "p", ""), "image/gif");
            },
            "", "", "video/mp4", 1, 1, 0, 3},
        {"\"image/\" must begin the type",
            [](COutboundItem& i) { i.addMediaPart(CVXLMediaIdentity(3, "p", ""), "x-image/gif"); }, "", "",
            "", 0, 0, 0, 3},
        {"one recipient, no separator", [](COutboundItem& i) { i.recipients = textsOf({"+1"}); }, "+1", "",
            "", 0, 0, 0, 0},
        {"the first text group only",
            [](COutboundItem& i) {
                i.addFieldGroup("a", 3, textsOf({"not text"}));
                i.addFieldGroup("b", 4, textsOf({"one", "two"}));
                i.addFieldGroup("c", 4, textsOf({"three"}));
            },
            "", "onetwo", "", 0, 0, 0, 0},
        {"a list type without texts keeps none",
            [](COutboundItem& i) { i.addFieldGroup("a", 5, textsOf({"x"})); }, "", "", "", 0, 0, 0, 0},
    };
    for (const SummaryCase& c : cases) {
        COutboundItem item;
        c.build(item);
        COutboundSummary summary;
        summary.extra = 9;
        ASSERT_TRUE(summary.fromItem(item)) << c.fact;
        EXPECT_EQ(std::string(summary.recipients.c_str()), c.recipients) << c.fact;
        EXPECT_EQ(std::string(summary.text.c_str()), c.text) << c.fact;
        EXPECT_EQ(std::string(summary.mediaMimeType.c_str()), c.mime) << c.fact;
        EXPECT_EQ(summary.imageCount, c.images) << c.fact;
        EXPECT_EQ(summary.videoCount, c.videos) << c.fact;
        EXPECT_EQ(summary.hasVoice, c.voice) << c.fact;
        EXPECT_EQ(summary.mediaLocation, c.location) << c.fact;
        EXPECT_EQ(summary.extra, 0u) << c.fact;
    }
    COutboundItem other;
    other.kind = 3;
    COutboundSummary untouched;
    untouched.text = "kept";
    EXPECT_FALSE(untouched.fromItem(other));
    EXPECT_EQ(std::string(untouched.text.c_str()), "kept");
}

TEST(OutboundSummaryTest, EngineAndPeerReadEachOthersSummaries)
{
    COutboundItem item;
    fillComposed(item);
    std::vector<COutboundSummary> summaries(3);
    summaries[0].fromItem(item);
    summaries[0].priority = -1;
    summaries[1].messageId = "o1_1"; // all else empty
    summaries[2].fromItem(item);
    summaries[2].extra = 0xFFFFFFFF;
    summaries[2].createdTime = 0x80000000;

    TempDeviceRoot root;
    std::string json = "[";
    std::vector<std::string> args = {"read-each", "summary"};
    std::vector<std::string> engineBytes;
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        json += (i ? ", " : "") + summaryJson(summaries[i]);
        CVXLByteStream out;
        ASSERT_TRUE(summaries[i].save(out));
        engineBytes.push_back(stringOf(out));
        writeHost(root.hostPath("s" + std::to_string(i)), engineBytes.back());
        args.push_back(root.hostPath("s" + std::to_string(i)));
    }
    writeHost(root.hostPath("s.json"), json + "]");
    ASSERT_EQ(msgstore({"write-each", "summary", root.hostPath("s.json"), root.hostPath("")}), "");
    const std::vector<std::string> peer = lines(msgstore(args));
    ASSERT_EQ(peer.size(), summaries.size());
    for (std::size_t i = 0; i < summaries.size(); ++i) {
        EXPECT_EQ(peer[i], summaryJson(summaries[i])) << i;
        const std::string peerBytes = readHost(root.hostPath(std::to_string(i)));
        EXPECT_EQ(peerBytes, engineBytes[i]) << i;
        CVXLByteStream in(bytesOf(peerBytes));
        COutboundSummary back;
        ASSERT_TRUE(back.load(in)) << i;
        EXPECT_EQ(summaryJson(back), summaryJson(summaries[i])) << i;
    }

    // Inside "state.oq" a summary is followed by more; a cut one is refused.
    for (std::size_t n = 0; n < engineBytes[0].size(); ++n) {
        CVXLByteStream in(bytesOf(engineBytes[0].substr(0, n)));
        COutboundSummary back;
        back.text = "before";
        EXPECT_FALSE(back.load(in)) << n;
        EXPECT_EQ(std::string(back.text.c_str()), "before") << n;
    }
    CVXLByteStream two(bytesOf(engineBytes[0] + engineBytes[1]));
    COutboundSummary first, second;
    EXPECT_TRUE(first.load(two) && second.load(two));
    EXPECT_EQ(summaryJson(second), summaryJson(summaries[1]));
}

TEST(OutboundSummaryTest, ClearingKeepsLocationAndId)
{
    COutboundItem item;
    fillComposed(item);
    COutboundSummary summary;
    summary.fromItem(item);
    summary.extra = 4;
    summary.clear();
    COutboundSummary expected;
    expected.mediaLocation = item.mediaLocation;
    expected.messageId = item.messageId;
    EXPECT_EQ(summaryJson(summary), summaryJson(expected));
}

// A selection walked into an upload request: every item from the start, the
// iterator kept, and given back exactly once (by reset, by a new selection,
// or when the request goes).
class CountingSelection : public CMediaItemIterator {
public:
    explicit CountingSelection(std::vector<CMediaUploadItem> all)
        : items(std::move(all))
    {
    }
    void reset() override { at = 0; }
    bool done() const override { return at >= items.size(); }
    CMediaUploadItem current() const override { return items[at]; }
    void next() override { ++at; }
    void release() override { ++released; }

    std::vector<CMediaUploadItem> items;
    std::size_t at = 0;
    int released = 0;
};

TEST(MediaUploadRequestTest, ASelectionIsWalkedWholeAndGivenBackOnce)
{
    CountingSelection first({{0x10003, "u1", "a.jpg"}, {0x10004, "", "b.jpg"}});
    CountingSelection second({{1, "u9", "c.jpg"}});
    {
        CMediaUploadRequest request;
        first.at = 1; // walked from its start, wherever it stood
        request.addSelection(&first);
        ASSERT_EQ(request.items.size(), 2u);
        EXPECT_EQ(request.items[0].location, 0x10003u);
        EXPECT_EQ(std::string(request.items[1].identity.c_str()), "b.jpg");
        EXPECT_EQ(first.released, 0);

        request.addSelection(&second);
        EXPECT_EQ(first.released, 1);
        EXPECT_EQ(request.items.size(), 3u);

        request.reset();
        EXPECT_TRUE(request.items.empty());
        EXPECT_EQ(second.released, 1);
        request.reset();
        EXPECT_EQ(second.released, 1);

        request.addSelection(&first);
    }
    EXPECT_EQ(first.released, 2);
    EXPECT_EQ(second.released, 1);
}

} // namespace
