#include "engine/core/base/VXLObject.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(VXLAlloc, PayloadsAreZeroFilledGuardedAndDistinct)
{
    for (std::uint32_t size : {0u, 1u, 7u, 16u, 4096u}) {
        SCOPED_TRACE(size);
        auto* a = static_cast<unsigned char*>(vxlAlloc(size));
        auto* b = static_cast<unsigned char*>(vxlAlloc(size));
        ASSERT_NE(a, nullptr);
        ASSERT_NE(a, b);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(a) % 16, 0u);
        EXPECT_TRUE(vxlIsHeapObject(a));
        for (std::uint32_t i = 0; i < size; ++i)
            ASSERT_EQ(a[i], 0) << "byte " << i;
        std::uintptr_t guard;
        std::memcpy(&guard, a - sizeof guard, sizeof guard);
        EXPECT_EQ(guard, reinterpret_cast<std::uintptr_t>(a) - 16 + 0xD00F);
        vxlFree(a);
        vxlFree(b);
    }
}

TEST(VXLAlloc, FreeIgnoresNullForeignAndInteriorAddresses)
{
    vxlFree(nullptr);
    EXPECT_FALSE(vxlIsHeapObject(nullptr));

    auto* block = static_cast<unsigned char*>(vxlAlloc(64));
    EXPECT_FALSE(vxlIsHeapObject(block + 24));
    vxlFree(block + 24); // not a block: no-op
    EXPECT_TRUE(vxlIsHeapObject(block));

    std::vector<unsigned char> foreign(64, 0xAB);
    EXPECT_FALSE(vxlIsHeapObject(foreign.data() + 32));
    vxlFree(foreign.data() + 32);
    vxlFree(block);
}

struct Counted : CVXLObject {
    explicit Counted(int* dtors)
        : dtors(dtors)
    {
    }
    ~Counted() override { ++*dtors; }
    int* dtors;
    int payload[4];
};

struct Holder : CVXLObject {
    int before = 1;
    Counted inner;
    explicit Holder(int* dtors)
        : inner(dtors)
    {
    }
};

TEST(VXLObject, NewIsZeroFilledAndDeleteFreesOnlyHeapBlocks)
{
    int dtors = 0;
    auto* heap = new Counted(&dtors);
    ASSERT_NE(heap, nullptr);
    EXPECT_TRUE(vxlIsHeapObject(heap));
    for (int v : heap->payload)
        EXPECT_EQ(v, 0);
    delete heap;
    EXPECT_EQ(dtors, 1);

    // Local object deleted through its virtual destructor: destructor runs, nothing freed.
    Counted local(&dtors);
    CVXLObject* asRoot = &local;
    EXPECT_FALSE(vxlIsHeapObject(asRoot));
    asRoot->~CVXLObject();
    EXPECT_EQ(dtors, 2);
    new (&local) Counted(&dtors); // rebuild so scope exit destroys a live object

    // An embedded member is not a block of its own even though its owner is.
    auto* holder = new Holder(&dtors);
    EXPECT_TRUE(vxlIsHeapObject(holder));
    EXPECT_FALSE(vxlIsHeapObject(&holder->inner));
    void* volatile inner = &holder->inner;
    vxlFree(inner); // must not free the holder's block
    EXPECT_TRUE(vxlIsHeapObject(holder));
    delete holder;
    EXPECT_EQ(dtors, 3);
}

TEST(VXLMemory, PrimitivesFollowTheCRuntime)
{
    char buf[] = "abcdef";
    vxlMemMove(buf + 1, buf, 4);
    EXPECT_STREQ(buf, "aabcdf");
    EXPECT_EQ(vxlStrLen("hello"), 5u);
    EXPECT_STREQ(vxlStrChr("a.b", '.'), ".b");
    EXPECT_EQ(vxlStrStr("abc", "x"), nullptr);
    EXPECT_EQ(vxlSpan("aabxa", "ab"), 3u);
    EXPECT_EQ(vxlComplementSpan("abc;d", ";"), 3u);
    EXPECT_EQ(vxlSwap16(0x1234), 0x3412);
    EXPECT_EQ(vxlSwap32(0x12345678u), 0x78563412u);

    struct {
        const char* text;
        int value;
    } cases[] = {
        {"  -12x", -12},
        {"+7", 7},
        {"x", 0},
        {"", 0},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vxlAtoi(c.text), c.value) << c.text;
}

} // namespace
