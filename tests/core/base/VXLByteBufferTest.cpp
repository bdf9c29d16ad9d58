#include "engine/core/base/VXLByteBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include <sys/resource.h>

namespace {

std::string bytesOf(const CVXLByteBuffer& b)
{
    return b.length() ? std::string(reinterpret_cast<const char*>(b.data()), b.length()) : std::string();
}

CVXLByteBuffer make(const std::string& text)
{
    CVXLByteBuffer b;
    b.append(text.data(), static_cast<std::uint32_t>(text.size()));
    return b;
}

// A change made to one buffer, and the bytes it should hold after it.
struct BufferChange {
    const char* name;
    std::function<bool(CVXLByteBuffer&)> change;
    std::string expected;
};

// Writes text into the room extend answers.
bool putAtEnd(CVXLByteBuffer& b, const std::string& text)
{
    std::uint8_t* at = b.extend(static_cast<std::uint32_t>(text.size()));
    if (at)
        std::memcpy(at, text.data(), text.size());
    return at != nullptr;
}

TEST(VXLByteBuffer, NewBuffersAreEmptyAndGrowByDoubling)
{
    auto* heap = new CVXLByteBuffer;
    ASSERT_NE(heap, nullptr);
    EXPECT_EQ(heap->data(), nullptr);
    EXPECT_EQ(heap->length(), 0u);
    delete heap;

    CVXLByteBuffer none(0);
    EXPECT_EQ(none.data(), nullptr);

    CVXLByteBuffer b(10);
    ASSERT_NE(b.data(), nullptr);
    EXPECT_EQ(b.length(), 0u);
    EXPECT_EQ(b.capacity(), 18u);
    const std::uint8_t* block = b.data();
    for (int i = 0; i < 18; ++i)
        ASSERT_TRUE(b.append("x", 1));
    EXPECT_EQ(b.data(), block) << "18 bytes fit the block made for 10";
    ASSERT_TRUE(b.append("y", 1));
    EXPECT_NE(b.data(), block);
    EXPECT_EQ(b.length(), 19u);
    EXPECT_EQ(b.capacity(), 2 * 18u + 8);
    EXPECT_EQ(bytesOf(b), std::string(18, 'x') + "y");
}

// Growth by a few spare bytes made a run of small appends quadratic.
TEST(VXLByteBuffer, ByteByByteGrowthReallocatesLogarithmicallyOften)
{
    struct Case {
        const char* what;
        std::function<bool(CVXLByteBuffer&, std::uint32_t)> grow;
    } cases[] = {
        {"append", [](CVXLByteBuffer& b, std::uint32_t) { return b.append("x", 1); }},
        {"write at the end", [](CVXLByteBuffer& b, std::uint32_t i) { return b.write(i, "x", 1); }},
        {"fill at the end", [](CVXLByteBuffer& b, std::uint32_t i) { return b.fill(i, 'x', 1); }},
        {"insert at the front", [](CVXLByteBuffer& b, std::uint32_t) { return b.insert(0, "x", 1); }},
        {"extend and write the new byte", [](CVXLByteBuffer& b, std::uint32_t) { return putAtEnd(b, "x"); }},
    };
    constexpr std::uint32_t kBytes = 20000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLByteBuffer b;
        int blocks = 0;
        const std::uint8_t* last = nullptr;
        for (std::uint32_t i = 0; i < kBytes; ++i) {
            ASSERT_TRUE(c.grow(b, i));
            if (b.data() != last) {
                ++blocks;
                last = b.data();
            }
        }
        EXPECT_EQ(bytesOf(b), std::string(kBytes, 'x'));
        EXPECT_LE(blocks, 16);
    }
}

TEST(VXLByteBuffer, TruncateKeepsTheBlockUnlessShared)
{
    CVXLByteBuffer b = make("abcdef");
    const std::uint8_t* block = b.data();
    ASSERT_TRUE(b.truncate(2));
    EXPECT_EQ(bytesOf(b), "ab");
    EXPECT_EQ(b.data(), block);
    ASSERT_TRUE(b.append("XYZ", 3));
    EXPECT_EQ(bytesOf(b), "abXYZ");
    EXPECT_EQ(b.data(), block);
    ASSERT_TRUE(b.truncate(9));
    EXPECT_EQ(bytesOf(b), "abXYZ");

    CVXLByteBuffer sharer(b);
    ASSERT_TRUE(b.truncate(1));
    EXPECT_EQ(bytesOf(b), "a");
    EXPECT_EQ(bytesOf(sharer), "abXYZ");
    EXPECT_FALSE(b.sharesWith(sharer));
    ASSERT_TRUE(b.truncate(0));
    EXPECT_EQ(b.length(), 0u);
}

TEST(VXLByteBuffer, GapsLeftByWriteAndFillReadZero)
{
    CVXLByteBuffer b;
    ASSERT_TRUE(b.write(5, "ab", 2));
    EXPECT_EQ(bytesOf(b), std::string("\0\0\0\0\0ab", 7));
    ASSERT_TRUE(b.fill(9, 'z', 2));
    EXPECT_EQ(bytesOf(b), std::string("\0\0\0\0\0ab\0\0zz", 11));
    // An overlapping write extends the length only as far as it reaches.
    ASSERT_TRUE(b.write(10, "QRS", 3));
    EXPECT_EQ(bytesOf(b), std::string("\0\0\0\0\0ab\0\0zQRS", 13));
}

TEST(VXLByteBuffer, CopiesOfEmptyBuffersHaveNoBlock)
{
    CVXLByteBuffer empty;
    CVXLByteBuffer reserved(32); // a block, but length 0
    CVXLByteBuffer a(empty), b(reserved);
    EXPECT_EQ(a.data(), nullptr);
    EXPECT_EQ(b.data(), nullptr);
    EXPECT_FALSE(reserved.isShared());
    CVXLByteBuffer c = make("x");
    c = reserved;
    EXPECT_EQ(c.data(), nullptr);
}

TEST(VXLByteBuffer, LengthChangesDetachASharer)
{
    const BufferChange cases[] = {
        {"append", [](CVXLByteBuffer& b) { return b.append("!", 1); }, "hello!"},
        {"appendCString", [](CVXLByteBuffer& b) { return b.appendCString("!?"); }, "hello!?"},
        {"insert", [](CVXLByteBuffer& b) { return b.insert(0, ">", 1); }, ">hello"},
        {"remove", [](CVXLByteBuffer& b) { return b.remove(1, 3); }, "ho"},
        {"assign",
            [](CVXLByteBuffer& b) {
                b = make("other");
                return true;
            },
            "other"},
        {"write past the end", [](CVXLByteBuffer& b) { return b.write(4, "OO", 2); }, "hellOO"},
        {"fill past the end", [](CVXLByteBuffer& b) { return b.fill(5, '.', 2); }, "hello.."},
        {"extend", [](CVXLByteBuffer& b) { return putAtEnd(b, "!?"); }, "hello!?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CVXLByteBuffer source = make("hello");
        CVXLByteBuffer sharer(source);
        ASSERT_TRUE(sharer.sharesWith(source));
        ASSERT_TRUE(c.change(sharer));
        EXPECT_EQ(bytesOf(sharer), c.expected);
        EXPECT_EQ(bytesOf(source), "hello");
        EXPECT_EQ(source.length(), 5u);
        EXPECT_FALSE(sharer.sharesWith(source));
        EXPECT_FALSE(source.isShared());
        EXPECT_FALSE(sharer.isShared());
    }
}

TEST(VXLByteBuffer, ReserveMakesRoomThatAppendsFillInPlace)
{
    struct Case {
        const char* what;
        std::function<void(CVXLByteBuffer&, CVXLByteBuffer&)> setUp; // (buffer, other holder)
        std::string before;
    };
    const Case cases[] = {
        {"empty", [](CVXLByteBuffer&, CVXLByteBuffer&) {}, ""},
        {"own bytes", [](CVXLByteBuffer& b, CVXLByteBuffer&) { b = make("abc"); }, "abc"},
        {"shared bytes",
            [](CVXLByteBuffer& b, CVXLByteBuffer& other) {
                other = make("abc");
                b = other;
            },
            "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLByteBuffer b, other;
        c.setUp(b, other);
        const std::string otherBefore = bytesOf(other);
        ASSERT_TRUE(b.reserve(100));
        EXPECT_EQ(bytesOf(b), c.before);
        EXPECT_GE(b.capacity(), 100u);
        EXPECT_FALSE(b.isShared());
        const std::uint8_t* block = b.data();
        ASSERT_TRUE(b.append(std::string(100 - c.before.size(), 'z').data(),
            static_cast<std::uint32_t>(100 - c.before.size())));
        EXPECT_EQ(b.data(), block) << "appends up to the reserved room stay in its block";
        EXPECT_EQ(bytesOf(b), c.before + std::string(100 - c.before.size(), 'z'));
        EXPECT_EQ(bytesOf(other), otherBefore) << "the other holder keeps its bytes";
        // Less room than the buffer has changes nothing.
        ASSERT_TRUE(b.reserve(10));
        EXPECT_EQ(b.data(), block);
    }
}

TEST(VXLByteBuffer, InPlaceWritesShowInEverySharer)
{
    const BufferChange cases[] = {
        {"write", [](CVXLByteBuffer& b) { return b.write(1, "EL", 2); }, "hELlo"},
        {"fill", [](CVXLByteBuffer& b) { return b.fill(0, '*', 5); }, "*****"},
        {"copyRange into a long enough buffer",
            [](CVXLByteBuffer& b) { return b.copyRange(make("xyz"), 2, 1); }, "yzllo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CVXLByteBuffer first = make("hello");
        CVXLByteBuffer second(first);
        CVXLByteBuffer third(second);
        ASSERT_TRUE(c.change(second));
        EXPECT_EQ(bytesOf(first), c.expected);
        EXPECT_EQ(bytesOf(second), c.expected);
        EXPECT_EQ(bytesOf(third), c.expected);
        EXPECT_TRUE(first.sharesWith(third));
    }
}

TEST(VXLByteBuffer, DestroyingTheMiddleSharerKeepsTheOuterTwoLinked)
{
    CVXLByteBuffer first = make("abc");
    auto* middle = new CVXLByteBuffer(first);
    CVXLByteBuffer last(*middle);
    delete middle;

    EXPECT_TRUE(first.sharesWith(last));
    EXPECT_TRUE(first.isShared());
    EXPECT_TRUE(last.isShared());
    ASSERT_TRUE(last.write(0, "X", 1));
    EXPECT_EQ(bytesOf(first), "Xbc");

    // If the chain were broken, first would still believe it shares and leak
    // or double-free the block (the sanitizer build catches both).
    last.clear();
    EXPECT_FALSE(first.isShared());
    EXPECT_EQ(bytesOf(first), "Xbc");
    EXPECT_EQ(last.data(), nullptr);
}

TEST(VXLByteBuffer, ABorrowerChangesPrivatelyAndItsCopiesLinkToTheOwner)
{
    const BufferChange cases[] = {
        {"append", [](CVXLByteBuffer& b) { return b.append("!", 1); }, "owned!"},
        {"remove", [](CVXLByteBuffer& b) { return b.remove(0, 2); }, "ned"},
        {"truncate", [](CVXLByteBuffer& b) { return b.truncate(3); }, "own"},
        {"extend", [](CVXLByteBuffer& b) { return putAtEnd(b, "?"); }, "owned?"},
        {"clear",
            [](CVXLByteBuffer& b) {
                b.clear();
                return true;
            },
            ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CVXLByteBuffer owner = make("owned");
        CVXLByteBuffer borrower;
        borrower.borrow(owner);
        ASSERT_TRUE(borrower.sharesWith(owner));
        EXPECT_TRUE(borrower.borrows(owner));
        EXPECT_TRUE(borrower.isShared());
        // Borrowing links nothing: the owner still counts as alone.
        EXPECT_FALSE(owner.isShared());
        ASSERT_TRUE(c.change(borrower));
        EXPECT_EQ(bytesOf(borrower), c.expected);
        EXPECT_EQ(bytesOf(owner), "owned");
        EXPECT_FALSE(borrower.sharesWith(owner));
    }

    // A copy of a borrower (or of a borrower's borrower) is a real sharer
    // of the owner's block and keeps it when the owner and borrowers go.
    auto* owner = new CVXLByteBuffer(make("kept"));
    auto* borrower = new CVXLByteBuffer;
    borrower->borrow(*owner);
    CVXLByteBuffer second;
    second.borrow(*borrower);
    EXPECT_TRUE(second.borrows(*owner));
    CVXLByteBuffer copy(second);
    CVXLByteBuffer assigned;
    assigned = *borrower;
    EXPECT_TRUE(copy.sharesWith(*owner));
    EXPECT_TRUE(owner->isShared());
    second.clear();
    delete borrower;
    delete owner;
    EXPECT_EQ(bytesOf(copy), "kept");
    EXPECT_TRUE(copy.sharesWith(assigned));
}

TEST(VXLByteBuffer, RemoveCutsAtTheEndAndShrinksToFit)
{
    struct Case {
        std::uint32_t offset, count;
        bool accepted;
        const char* expected;
    } cases[] = {
        {1, 2, true, "adef"},
        {4, 100, true, "abcd"}, // past the end: to the end
        {6, 3, true, "abcdef"}, // offset at the end: nothing
        {7, 1, false, "abcdef"}, // offset past the end: refused
        {0, 0, true, "abcdef"},
        {2, 0xFFFFFFFFu, true, "ab"}, // offset + count would wrap
        {0, 6, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset << "+" << c.count);
        CVXLByteBuffer b = make("abcdef");
        EXPECT_EQ(b.remove(c.offset, c.count), c.accepted);
        EXPECT_EQ(bytesOf(b), c.expected);
        if (*c.expected == 0) {
            EXPECT_EQ(b.data(), nullptr);
            EXPECT_EQ(b.length(), 0u);
        } else {
            EXPECT_EQ(b.capacity(), b.length() + 8);
        }
    }
    CVXLByteBuffer none;
    EXPECT_TRUE(none.remove(0, 5));
    EXPECT_EQ(none.data(), nullptr);
}

TEST(VXLByteBuffer, OffsetsOutsideTheBufferAreRefused)
{
    CVXLByteBuffer b = make("abc");
    EXPECT_NE(b.at(2), nullptr);
    EXPECT_EQ(*b.at(2), 'c');
    EXPECT_EQ(b.at(3), nullptr);
    EXPECT_EQ(b.at(0xFFFFFFFFu), nullptr);
    EXPECT_EQ(CVXLByteBuffer().at(0), nullptr);

    struct Case {
        const char* name;
        std::function<bool(CVXLByteBuffer&)> change;
    } refused[] = {
        {"insert past the end", [](CVXLByteBuffer& x) { return x.insert(4, "z", 1); }},
        {"insert without bytes", [](CVXLByteBuffer& x) { return x.insert(0, nullptr, 1); }},
        {"write wrapping", [](CVXLByteBuffer& x) { return x.write(0xFFFFFFF0u, "z", 0x20); }},
        {"write past the largest length",
            [](CVXLByteBuffer& x) { return x.write(CVXLByteBuffer::kMaxLength, "z", 1); }},
        {"fill wrapping", [](CVXLByteBuffer& x) { return x.fill(2, 'z', 0xFFFFFFFFu); }},
        {"append growing past the largest length",
            [](CVXLByteBuffer& x) { return x.append("z", CVXLByteBuffer::kMaxLength - 2); }},
        {"copyRange from past the source's end",
            [](CVXLByteBuffer& x) { return x.copyRange(make("12"), 1, 3); }},
        {"appendCString of null", [](CVXLByteBuffer& x) { return x.appendCString(nullptr); }},
        {"extend by nothing", [](CVXLByteBuffer& x) { return x.extend(0) != nullptr; }},
        {"extend past the largest length",
            [](CVXLByteBuffer& x) { return x.extend(CVXLByteBuffer::kMaxLength - 2) != nullptr; }},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.name);
        CVXLByteBuffer x = make("abc");
        const std::uint8_t* block = x.data();
        EXPECT_FALSE(c.change(x));
        EXPECT_EQ(bytesOf(x), "abc");
        EXPECT_EQ(x.data(), block);
    }
}

TEST(VXLByteBuffer, RangeConstructorAndCopyRangeClampToTheSource)
{
    const CVXLByteBuffer source = make("abcdef");
    struct Case {
        std::uint32_t start, count;
        const char* expected;
        bool shares;
    } cases[] = {
        {0, 6, "abcdef", true},
        {0, 3, "abc", false},
        {4, 10, "ef", false},
        {6, 1, "", false},
        {9, 1, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << "+" << c.count);
        CVXLByteBuffer range(source, c.start, c.count);
        EXPECT_EQ(bytesOf(range), c.expected);
        EXPECT_EQ(range.sharesWith(source), c.shares);
        if (*c.expected == 0) {
            EXPECT_EQ(range.data(), nullptr);
        }

        CVXLByteBuffer copied;
        EXPECT_EQ(copied.copyRange(source, c.count, c.start), c.start <= 6);
        EXPECT_EQ(bytesOf(copied), c.expected);
        EXPECT_EQ(copied.sharesWith(source), c.shares);
    }

    // A longer destination keeps its tail; a shorter one grows to the count.
    CVXLByteBuffer longer = make("0123456789");
    ASSERT_TRUE(longer.copyRange(source, 3, 2));
    EXPECT_EQ(bytesOf(longer), "cde3456789");
    CVXLByteBuffer shorter = make("01");
    ASSERT_TRUE(shorter.copyRange(source, 4, 1));
    EXPECT_EQ(bytesOf(shorter), "bcde");
    // An empty source leaves the destination alone.
    ASSERT_TRUE(shorter.copyRange(CVXLByteBuffer(), 0, 0));
    EXPECT_EQ(bytesOf(shorter), "bcde");
}

TEST(VXLByteBuffer, InsertMovesTheTail)
{
    struct Case {
        const char* initial;
        std::uint32_t offset;
        const char* bytes;
        const char* expected;
    } cases[] = {
        {"", 0, "abc", "abc"},
        {"ac", 1, "b", "abc"},
        {"bc", 0, "a", "abc"},
        {"ab", 2, "c", "abc"},
        {"abc", 1, "", "abc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        CVXLByteBuffer b = make(c.initial);
        EXPECT_TRUE(b.insert(c.offset, c.bytes, static_cast<std::uint32_t>(std::strlen(c.bytes))));
        EXPECT_EQ(bytesOf(b), c.expected);
    }
}

TEST(VXLByteBuffer, SourcesInsideTheOwnBlockSurviveReallocation)
{
    CVXLByteBuffer b = make("abcdefgh");
    ASSERT_EQ(b.capacity(), 16u);
    // Each of these reallocates while reading from the block being replaced.
    ASSERT_TRUE(b.append(b.data(), b.length()));
    EXPECT_EQ(bytesOf(b), "abcdefghabcdefgh");
    ASSERT_TRUE(b.insert(1, b.data() + 8, 8));
    EXPECT_EQ(bytesOf(b), "aabcdefghbcdefghabcdefgh");
    ASSERT_TRUE(b.write(20, b.data(), 10));
    EXPECT_EQ(bytesOf(b), "aabcdefghbcdefghabcdaabcdefghb");
    ASSERT_TRUE(b.write(0, b.data() + 1, 4)); // overlapping, in place
    EXPECT_EQ(bytesOf(b), "abcddefghbcdefghabcdaabcdefghb");
}

#if !defined(TESSEL_ASAN)
// With the address space capped, a large block cannot be had: the buffer must
// stay as it was instead of crashing.
TEST(VXLByteBufferDeathTest, HeapExhaustionLeavesTheBufferUnchanged)
{
    EXPECT_EXIT(
        {
            CVXLByteBuffer b;
            b.append("abc", 3);
            CVXLByteBuffer sharer(b);
            std::string big(64u << 20, 'x');
            rlimit cap {};
            getrlimit(RLIMIT_AS, &cap);
            cap.rlim_cur = 0; // every new mapping now fails
            setrlimit(RLIMIT_AS, &cap);
            bool ok = !b.append(big.data(), static_cast<std::uint32_t>(big.size()))
                && !b.insert(0, big.data(), static_cast<std::uint32_t>(big.size()))
                && !b.write(0, big.data(), static_cast<std::uint32_t>(big.size()))
                && !b.extend(static_cast<std::uint32_t>(big.size())) && bytesOf(b) == "abc"
                && b.sharesWith(sharer);
            std::_Exit(ok ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
#endif

} // namespace
