#include "engine/media/VXLMediaIdentity.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<std::uint8_t> bytesOf(const CVXLByteBuffer& buffer)
{
    return {buffer.data(), buffer.data() + buffer.length()};
}

TEST(VXLMediaIdentity, SavesNumberThenSecondThenFirstText)
{
    CVXLByteStream out;
    ASSERT_TRUE(CVXLMediaIdentity(0x01020304, "ab", "c").save(out));
    const std::vector<std::uint8_t> expected = {
        0x04, 0x03, 0x02, 0x01, // number, little-endian
        2, 0, 0, 0, 'c', 0, // second text with its NUL
        3, 0, 0, 0, 'a', 'b', 0, // first text with its NUL
    };
    EXPECT_EQ(bytesOf(out), expected);
}

TEST(VXLMediaIdentity, RoundTripsAndComparesEveryField)
{
    const CVXLMediaIdentity saved(-7, "album/1", "photo.jpg");
    CVXLByteStream out;
    ASSERT_TRUE(saved.save(out));
    CVXLByteStream in(out);
    CVXLMediaIdentity loaded;
    ASSERT_TRUE(loaded.load(in));
    EXPECT_EQ(loaded, saved);

    struct Case {
        CVXLMediaIdentity other;
        bool equal;
    } cases[] = {
        {CVXLMediaIdentity(-7, "album/1", "photo.jpg"), true},
        {CVXLMediaIdentity(-7, "photo.jpg", "album/1"), false}, // texts swapped
        {CVXLMediaIdentity(7, "album/1", "photo.jpg"), false},
        {CVXLMediaIdentity(-7, "album/1", ""), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(saved == c.other, c.equal) << c.other.first().c_str() << " " << c.other.second().c_str();
}

TEST(VXLMediaIdentity, TruncatedRecordLeavesTheIdentityUnchanged)
{
    CVXLByteStream out;
    ASSERT_TRUE(CVXLMediaIdentity(5, "first", "second").save(out));
    for (std::uint32_t cut = 0; cut < out.length(); ++cut) {
        CVXLByteStream in(CVXLByteBuffer(out, 0, cut));
        CVXLMediaIdentity target(1, "keep", "me");
        EXPECT_FALSE(target.load(in)) << "cut " << cut;
        EXPECT_TRUE(in.isBad());
        EXPECT_EQ(target, CVXLMediaIdentity(1, "keep", "me"));
    }
}

} // namespace
