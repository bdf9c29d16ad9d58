#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLBigEndian.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const CVXLByteBuffer& b)
{
    return b.length() ? Bytes(b.data(), b.data() + b.length()) : Bytes();
}

CVXLByteBuffer make(const Bytes& bytes)
{
    CVXLByteBuffer b;
    if (!bytes.empty())
        b.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return b;
}

CVXLByteBuffer make(const std::string& text)
{
    return make(Bytes(text.begin(), text.end()));
}

// Each row writes one item into a fresh stream and must produce exactly the
// given bytes, written down by hand from the file format.
TEST(VXLByteStream, WritersProduceTheFileFormatBytes)
{
    struct Case {
        const char* what;
        std::function<bool(CVXLByteStream&)> write;
        Bytes expected;
    };
    const Case cases[] = {
        {"byte", [](CVXLByteStream& s) { return s.writeByte(0xAB); }, {0xAB}},
        {"uint16", [](CVXLByteStream& s) { return s.writeUInt16(0x0102); }, {0x02, 0x01}},
        {"uint32", [](CVXLByteStream& s) { return s.writeUInt32(0x01020304); }, {0x04, 0x03, 0x02, 0x01}},
        {"bool true", [](CVXLByteStream& s) { return s.writeBool(true); }, {0x01}},
        {"bool false", [](CVXLByteStream& s) { return s.writeBool(false); }, {0x00}},
        {"string abc", [](CVXLByteStream& s) { return s.writeString("abc"); },
            {0x04, 0, 0, 0, 'a', 'b', 'c', 0}},
        {"empty string", [](CVXLByteStream& s) { return s.writeString(""); }, {0x01, 0, 0, 0, 0}},
        {"buffer",
            [](CVXLByteStream& s) {
                return s.writeBuffer(make(Bytes {0, 0xFF, 7}));
            },
            {0x03, 0, 0, 0, 0, 0xFF, 7}},
        {"empty buffer", [](CVXLByteStream& s) { return s.writeBuffer(CVXLByteBuffer()); }, {0, 0, 0, 0}},
        {"be16", [](CVXLByteStream& s) { return vxlAppendUInt16BE(s, 0x0102); }, {0x01, 0x02}},
        {"be24 keeps the low 24 bits", [](CVXLByteStream& s) { return vxlAppendUInt24BE(s, 0x01020304); },
            {0x02, 0x03, 0x04}},
        {"be32", [](CVXLByteStream& s) { return vxlAppendUInt32BE(s, 0x01020304); },
            {0x01, 0x02, 0x03, 0x04}},
        {"put be32 past the end", [](CVXLByteStream& s) { return vxlPutUInt32BE(s, 2, 0x01020304); },
            {0, 0, 0x01, 0x02, 0x03, 0x04}},
    };
    for (const Case& c : cases) {
        CVXLByteStream s;
        ASSERT_TRUE(c.write(s)) << c.what;
        EXPECT_EQ(bytesOf(s), c.expected) << c.what;
        EXPECT_FALSE(s.isBad()) << c.what;
    }
}

TEST(VXLByteStream, ScalarsAndCountedFormsRoundTrip)
{
    const std::uint16_t u16s[] = {0, 1, 0x7FFF, 0x8000, 0xFFFF};
    const std::uint32_t u32s[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x01020304};
    const std::string texts[] = {"", "a", "hello world", std::string(300, 'x')};

    CVXLByteStream out;
    for (int b = 0; b < 256; ++b)
        out.writeByte(static_cast<std::uint8_t>(b));
    for (std::uint16_t v : u16s)
        out.writeUInt16(v);
    for (std::uint32_t v : u32s)
        out.writeUInt32(v);
    out.writeBool(true);
    out.writeBool(false);
    for (const std::string& t : texts) {
        out.writeString(t.c_str());
        out.writeBuffer(make(t));
    }
    const Bytes binary = {0, 1, 0, 0xFF, 0};
    out.writeBuffer(make(binary));
    ASSERT_FALSE(out.isBad());

    CVXLByteStream in(out);
    EXPECT_TRUE(in.sharesWith(out)) << "a reader shares the block it reads";
    for (int b = 0; b < 256; ++b)
        ASSERT_EQ(in.readByte(), b);
    for (std::uint16_t v : u16s)
        EXPECT_EQ(in.readUInt16(), v);
    for (std::uint32_t v : u32s)
        EXPECT_EQ(in.readUInt32(), v);
    EXPECT_TRUE(in.readBool());
    EXPECT_FALSE(in.readBool());
    for (const std::string& t : texts) {
        EXPECT_EQ(std::string(in.readString().c_str()), t);
        EXPECT_EQ(bytesOf(in.readBuffer()), Bytes(t.begin(), t.end()));
    }
    EXPECT_EQ(bytesOf(in.readBuffer()), binary);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_FALSE(in.isBad());
}

TEST(VXLByteStream, ReadersInterpretBytesAsTheFormatSays)
{
    CVXLByteStream signedBytes(make(Bytes {0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0x02, 0x01}));
    EXPECT_EQ(signedBytes.readInt16(), -1);
    EXPECT_EQ(signedBytes.readUInt16(), 65535);
    EXPECT_EQ(signedBytes.readChar(), -128);
    EXPECT_FALSE(signedBytes.readBool()) << "only 1 is true";
    EXPECT_TRUE(signedBytes.readBool());

    // The text ends at the first NUL inside the counted bytes.
    CVXLByteStream text(make(Bytes {4, 0, 0, 0, 'a', 0, 'b', 0}));
    EXPECT_EQ(text.readString(), "a");
    EXPECT_FALSE(text.isBad());

    // A counted form without any NUL keeps all its bytes.
    CVXLByteStream unterminated(make(Bytes {2, 0, 0, 0, 'o', 'k'}));
    EXPECT_EQ(unterminated.readString(), "ok");
}

TEST(VXLByteStream, OverlongCountReadsEmptyAndResumesAfterTheLength)
{
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"one byte short", {5, 0, 0, 0, 'a', 'b', 'c', 'd'}},
        {"length near 2^32 must not wrap", {0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c', 'd'}},
        {"length 2^31", {0, 0, 0, 0x80, 'a', 'b', 'c', 'd'}},
    };
    for (const Case& c : cases) {
        CVXLByteStream in(make(c.bytes));
        EXPECT_EQ(in.readBuffer().length(), 0u) << c.what;
        EXPECT_TRUE(in.isBad()) << c.what;
        EXPECT_EQ(in.position(), 4u) << c.what;
        EXPECT_EQ(in.readByte(), 'a') << c.what << ": the next read starts after the length";
        EXPECT_TRUE(in.isBad()) << c.what << ": the flag stays set";
    }
}

TEST(VXLByteStream, ScalarReadsPastTheEndYieldZero)
{
    CVXLByteStream in(make(Bytes {1, 2, 3}));
    EXPECT_EQ(in.readUInt32(), 0u);
    EXPECT_TRUE(in.isBad());
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(in.readByte(), 0);
    EXPECT_FALSE(in.readBool());

    CVXLByteStream empty;
    EXPECT_EQ(empty.readUInt16(), 0);
    EXPECT_EQ(empty.readString(), "");
    EXPECT_TRUE(empty.isBad());
}

// A record in the shape of a state file: each field is read back from every
// truncation of it. Fields wholly before the cut keep their values, the
// reader ends bad, and nothing reads outside the truncated buffer.
TEST(VXLByteStream, EveryTruncationOfARecordIsDetected)
{
    CVXLByteStream out;
    out.writeByte(0x42);
    out.writeString("settings");
    out.writeUInt16(0xBEEF);
    out.writeUInt32(0xCAFEF00D);
    out.writeBool(true);
    out.writeBuffer(make(Bytes {9, 8, 7, 6, 5}));
    out.writeString("");
    out.writeByte(0x7F);
    const Bytes full = bytesOf(out);

    auto readAll = [](CVXLByteStream& in, std::vector<std::uint32_t>& ends) {
        std::vector<std::string> fields;
        fields.push_back(std::to_string(in.readByte()));
        ends.push_back(in.position());
        fields.push_back(in.readString().c_str());
        ends.push_back(in.position());
        fields.push_back(std::to_string(in.readUInt16()));
        ends.push_back(in.position());
        fields.push_back(std::to_string(in.readUInt32()));
        ends.push_back(in.position());
        fields.push_back(std::to_string(in.readBool()));
        ends.push_back(in.position());
        const Bytes b = bytesOf(in.readBuffer());
        fields.push_back(std::string(b.begin(), b.end()));
        ends.push_back(in.position());
        fields.push_back(in.readString().c_str());
        ends.push_back(in.position());
        fields.push_back(std::to_string(in.readByte()));
        ends.push_back(in.position());
        return fields;
    };

    std::vector<std::uint32_t> fullEnds;
    CVXLByteStream whole(out);
    const std::vector<std::string> expected = readAll(whole, fullEnds);
    ASSERT_FALSE(whole.isBad());

    for (std::size_t cut = 0; cut < full.size(); ++cut) {
        CVXLByteStream in(make(Bytes(full.begin(), full.begin() + cut)));
        std::vector<std::uint32_t> ends;
        const std::vector<std::string> got = readAll(in, ends);
        EXPECT_TRUE(in.isBad()) << "cut at " << cut;
        for (std::size_t i = 0; i < expected.size() && fullEnds[i] <= cut; ++i)
            EXPECT_EQ(got[i], expected[i]) << "field " << i << " cut at " << cut;
        for (std::uint32_t end : ends)
            EXPECT_LE(end, cut) << "the cursor never passes the end";
    }
}

TEST(VXLBigEndian, GettersReadInRangeAndFlagOutOfRange)
{
    const CVXLByteBuffer b = make(Bytes {0x01, 0x02, 0x03, 0x04, 0xFF});
    struct Case {
        const char* what;
        std::function<std::uint32_t(bool*)> get;
        std::uint32_t expected;
        bool bad;
    };
    const Case cases[] = {
        {"u8 first", [&](bool* bad) { return vxlGetUInt8(b, 0, bad); }, 0x01, false},
        {"u8 last", [&](bool* bad) { return vxlGetUInt8(b, 4, bad); }, 0xFF, false},
        {"u8 at the end", [&](bool* bad) { return vxlGetUInt8(b, 5, bad); }, 0, true},
        {"u16", [&](bool* bad) { return vxlGetUInt16BE(b, 0, bad); }, 0x0102, false},
        {"u16 last pair", [&](bool* bad) { return vxlGetUInt16BE(b, 3, bad); }, 0x04FF, false},
        {"u16 one short", [&](bool* bad) { return vxlGetUInt16BE(b, 4, bad); }, 0, true},
        {"u24", [&](bool* bad) { return vxlGetUInt24BE(b, 1, bad); }, 0x020304, false},
        {"u24 one short", [&](bool* bad) { return vxlGetUInt24BE(b, 3, bad); }, 0, true},
        {"u32", [&](bool* bad) { return vxlGetUInt32BE(b, 0, bad); }, 0x01020304, false},
        {"u32 at 1", [&](bool* bad) { return vxlGetUInt32BE(b, 1, bad); }, 0x020304FF, false},
        {"u32 one short", [&](bool* bad) { return vxlGetUInt32BE(b, 2, bad); }, 0, true},
        {"offset that would wrap", [&](bool* bad) { return vxlGetUInt32BE(b, 0xFFFFFFFE, bad); }, 0, true},
    };
    for (const Case& c : cases) {
        bool bad = false;
        EXPECT_EQ(c.get(&bad), c.expected) << c.what;
        EXPECT_EQ(bad, c.bad) << c.what;
    }
    EXPECT_EQ(vxlGetUInt32BE(CVXLByteBuffer(), 0), 0u) << "no flag pointer is fine";

    bool sticky = true;
    vxlGetUInt8(b, 0, &sticky);
    EXPECT_TRUE(sticky) << "a good read never clears the flag";

    CVXLByteStream stream(b);
    EXPECT_EQ(vxlGetUInt16BE(stream, 1), 0x0203);
    EXPECT_FALSE(stream.isBad());
    EXPECT_EQ(vxlGetUInt24BE(stream, 4), 0u);
    EXPECT_TRUE(stream.isBad()) << "the stream forms set the reader's flag";
}

TEST(VXLBigEndian, PutStoresInPlaceInsideTheLength)
{
    CVXLByteBuffer b = make(Bytes {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF});
    CVXLByteBuffer sharer(b);
    ASSERT_TRUE(vxlPutUInt32BE(b, 1, 0x01020304));
    EXPECT_EQ(bytesOf(b), (Bytes {0xAA, 0x01, 0x02, 0x03, 0x04, 0xFF}));
    EXPECT_EQ(bytesOf(sharer), bytesOf(b)) << "a write inside the length stores into the shared block";
    ASSERT_TRUE(vxlPutUInt32BE(b, 4, 0x05060708));
    EXPECT_EQ(bytesOf(b), (Bytes {0xAA, 0x01, 0x02, 0x03, 0x05, 0x06, 0x07, 0x08}));
}

} // namespace
