#include "engine/messaging/store/VXLHeaderBlock.h"
#include "engine/messaging/store/VXLStoredMessageId.h"
#include "tests/messaging/MessagingTestSupport.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

struct Pair {
    const char* name;
    const char* value;
};

CVXLHeaderMap mapOf(const std::vector<Pair>& pairs)
{
    CVXLHeaderMap map;
    for (const Pair& p : pairs)
        map.add(p.name, p.value);
    return map;
}

CVXLHeaderMap withParameters(const char* name, const char* value, CVXLHeaderMap parameters)
{
    CVXLHeaderMap map;
    map.add(name, value);
    map.setValueObject(name, 0, new CVXLHeaderMap(parameters));
    return map;
}

struct WriteCase {
    const char* fact;
    CVXLHeaderMap map;
    std::string bytes;
    std::string readBack; // as the peer prints it
};

TEST(HeaderBlockTest, WritesEachValueUnderItsNameAndReadsBackTheSameMap)
{
    CVXLHeaderMap inner = withParameters("charset", "utf-8", mapOf({{"q", "1"}}));
    const std::vector<WriteCase> cases = {
        {"two values repeat the name", mapOf({{"To", "a"}, {"To", "b"}}), "To\0a\0To\0b\0"s,
            R"([["To", "a", null], ["To", "b", null]])"},
        {"a parameter map follows its value",
            withParameters("Content-Type", "image/jpeg", mapOf({{"name", "a.jpg"}})),
            "Content-Type\0image/jpeg\0\xE0\0name\0a.jpg\0\xEA\0"s,
            R"([["Content-Type", "image/jpeg", [["name", "a.jpg", null]]]])"},
        {"a name without a value is left out and shifts nothing", mapOf({{"X", ""}, {"Y", "c"}, {"Z", "d"}}),
            "Y\0c\0Z\0d\0"s, R"([["Y", "c", null], ["Z", "d", null]])"},
        {"an empty value among others is skipped", mapOf({{"To", ""}, {"To", "b"}}), "To\0b\0"s,
            R"([["To", "b", null]])"},
        {"parameter maps nest", withParameters("Content-Type", "text/plain", inner),
            "Content-Type\0text/plain\0\xE0\0charset\0utf-8\0\xE0\0q\0"
            "1\0\xEA\0\xEA\0"s,
            R"([["Content-Type", "text/plain", [["charset", "utf-8", [["q", "1", null]]]]]])"},
        {"an empty name is skipped", mapOf({{"", "x"}, {"A", "b"}}), "A\0b\0"s, R"([["A", "b", null]])"},
        {"a name beginning with a mark byte is left out: it would read back as the mark",
            mapOf({{"A", "b"}, {"\xE0x", "v"}, {"\xEA", "w"}, {"C", "d"}}), "A\0b\0C\0d\0"s,
            R"([["A", "b", null], ["C", "d", null]])"},
        {"a parameter map with nothing to write gets no marks",
            withParameters("Content-Type", "text/plain", mapOf({{"\xE0q", "1"}, {"e", ""}})),
            "Content-Type\0text/plain\0"s, R"([["Content-Type", "text/plain", null]])"},
    };
    TempDeviceRoot root;
    for (const WriteCase& c : cases) {
        CVXLByteBuffer out;
        ASSERT_TRUE(CVXLHeaderBlock::write(c.map, out)) << c.fact;
        EXPECT_EQ(stringOf(out), c.bytes) << c.fact;
        CVXLHeaderMap back;
        CVXLHeaderBlock::read(out, 0, out.length(), back);
        EXPECT_EQ(jsonOf(back), c.readBack) << c.fact;

        const std::string file = root.hostPath("block");
        writeHost(file, c.bytes);
        EXPECT_EQ(msgstore({"block-read", file}), c.readBack) << c.fact;
        writeHost(root.hostPath("block.json"), c.readBack);
        msgstore({"block-write", root.hostPath("block.json"), file});
        EXPECT_EQ(readHost(file), c.bytes) << c.fact;
    }
}

TEST(HeaderBlockTest, ReadingStopsAtTheBlocksEndForEveryLength)
{
    const std::string block = "Content-Type\0image/jpeg\0\xE0\0name\0a.jpg\0\xEA\0To\0a\0To\0b\0"s;
    // The block sits inside a larger buffer whose later bytes must not be read.
    const std::string tail = "Evil\0value\0"s;
    TempDeviceRoot root;
    for (std::size_t length = 0; length <= block.size(); ++length) {
        CVXLHeaderMap map;
        CVXLHeaderBlock::read(bytesOf("xx" + block + tail), 2, static_cast<std::uint32_t>(length), map);
        EXPECT_FALSE(map.contains("Evil")) << length;
        writeHost(root.hostPath("prefix"), block.substr(0, length));
        EXPECT_EQ(jsonOf(map), msgstore({"block-read", root.hostPath("prefix")})) << length;
    }
}

TEST(HeaderBlockTest, ParameterMapsTooDeepAreReadWithoutRecursingFurther)
{
    std::string block;
    for (int i = 0; i < 100000; ++i)
        block += "n\0v\0\xE0\0"s;
    CVXLHeaderMap map;
    CVXLHeaderBlock::read(bytesOf(block), 0, static_cast<std::uint32_t>(block.size()), map);
    EXPECT_TRUE(map.contains("n"));
}

TEST(HeaderBlockTest, IndexFilesListIdsEachWithOneNul)
{
    struct Case {
        const char* fact;
        std::string bytes;
        std::vector<std::string> ids;
    };
    const std::vector<Case> cases = {
        {"three ids", "i1_0\0i1_1\0s2_0\0"s, {"i1_0", "i1_1", "s2_0"}},
        {"empty strings between ids are no ids", "\0\0a\0\0b\0"s, {"a", "b"}},
        {"a last id without its NUL still counts", "a\0b"s, {"a", "b"}},
    };
    TempDeviceRoot root;
    for (const Case& c : cases) {
        CVXLHeaderMap ids;
        CVXLHeaderBlock::readIndex(bytesOf(c.bytes), ids);
        ASSERT_EQ(ids.nameCount(), c.ids.size()) << c.fact;
        std::string json = "[";
        for (std::size_t i = 0; i < c.ids.size(); ++i) {
            EXPECT_EQ(ids.nameAt(static_cast<int>(i)), c.ids[i].c_str()) << c.fact;
            json += (i ? ", \"" : "\"") + c.ids[i] + "\"";
        }
        writeHost(root.hostPath("index"), c.bytes);
        EXPECT_EQ(msgstore({"index-read", root.hostPath("index")}), json + "]") << c.fact;
    }
    CVXLHeaderMap ids;
    for (const char* id : {"mms.new", "mms.notyet", "i5_0"})
        ids.add(id, "");
    CVXLByteBuffer out;
    CVXLHeaderBlock::writeIndex(ids, out);
    EXPECT_EQ(stringOf(out), "mms.new\0mms.notyet\0i5_0\0"s);
}

TEST(StoredMessageIdTest, NumbersIdsWithinOneSecondAndTellsTheKindByTheFirstByte)
{
    CVXLStoredMessageId maker;
    EXPECT_EQ(maker.make(VXLMessageStoreKind::Inbox, 100), "i100_0");
    EXPECT_EQ(maker.make(VXLMessageStoreKind::Sent, 100), "s100_1");
    EXPECT_EQ(maker.make(VXLMessageStoreKind::Premium, 101), "p101_0");
    EXPECT_EQ(maker.make(static_cast<VXLMessageStoreKind>(9), 101), "i101_1");
    struct Case {
        const char* name;
        VXLMessageStoreKind kind;
    };
    for (const Case& c : {Case {"i1_0", VXLMessageStoreKind::Inbox},
             Case {"m1_0", VXLMessageStoreKind::Mailbox}, Case {"p1_0", VXLMessageStoreKind::Premium},
             Case {"s1_0", VXLMessageStoreKind::Sent}, Case {"t1_0", VXLMessageStoreKind::Temporary},
             Case {"x", VXLMessageStoreKind::Inbox}, Case {"", VXLMessageStoreKind::Inbox}})
        EXPECT_EQ(CVXLStoredMessageId::kindOf(c.name), c.kind) << c.name;
}

} // namespace
