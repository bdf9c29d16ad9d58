#include "platform/com/Guid.h"
#include "platform/com/ClassFactory.h"

#include <gtest/gtest.h>

using namespace tessel::com;

TEST(Guid, TextAndBackAndWhatIsNoIdentifier)
{
    struct Case {
        const char* text;
        bool ok;
        const char* formatted;
    } cases[] = {
        {"{EB6C1AB1-C215-444C-85DB-1412091E536D}", true, "{EB6C1AB1-C215-444C-85DB-1412091E536D}"},
        {"{8dcaf4e4-b1de-4721-bbed-06186ecca898}", true, "{8DCAF4E4-B1DE-4721-BBED-06186ECCA898}"},
        {"0000000C-0000-0000-C000-000000000046", true, "{0000000C-0000-0000-C000-000000000046}"},
        {"{EB6C1AB1-C215-444C-85DB-1412091E536D", false, nullptr},
        {"{EB6C1AB1-C215-444C-85DB-1412091E536DX}", false, nullptr},
        {"{EB6C1AB1_C215-444C-85DB-1412091E536D}", false, nullptr},
        {"{EB6C1AB1-C215-444C-85DB-1412091E536G}", false, nullptr},
        {"(EB6C1AB1-C215-444C-85DB-1412091E536D)", false, nullptr},
        {"", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Guid g;
        g.data1 = 7;
        EXPECT_EQ(parseGuid(c.text, &g), c.ok);
        if (c.ok) {
            EXPECT_EQ(formatGuid(g), c.formatted);
        } else {
            EXPECT_EQ(g.data1, 7u) << "left alone";
        }
    }
    constexpr Guid stream = guid("{0000000C-0000-0000-C000-000000000046}");
    static_assert(stream.data1 == 0x0C && stream.data4[0] == 0xC0 && stream.data4[7] == 0x46);
    static_assert(!(kIidIUnknown == kIidIClassFactory));
    EXPECT_EQ(formatGuid(kIidIClassFactory), "{00000001-0000-0000-C000-000000000046}");
}

TEST(Com, ResultValuesAreTheUsualOnesAndTellFailureBySign)
{
    struct Case {
        HResult value;
        std::uint32_t bits;
        bool failure;
    } cases[] = {
        {kSOk, 0, false},
        {kSFalse, 1, false},
        {kENotImpl, 0x80004001, true},
        {kENoInterface, 0x80004002, true},
        {kEPointer, 0x80004003, true},
        {kEFail, 0x80004005, true},
        {kEOutOfMemory, 0x8007000E, true},
        {kEInvalidArg, 0x80070057, true},
        {kClassENoAggregation, 0x80040110, true},
        {kClassEClassNotAvailable, 0x80040111, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(static_cast<std::uint32_t>(c.value), c.bits);
        EXPECT_EQ(failed(c.value), c.failure);
        EXPECT_EQ(succeeded(c.value), !c.failure);
    }
}
