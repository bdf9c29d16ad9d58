#include "engine/media/VXLMediaLocation.h"
#include "engine/media/VXLLocalMediaRequest.h"

#include <gtest/gtest.h>

namespace {

TEST(VXLMediaLocation, PackingAndDecodingStoreIds)
{
    struct Case {
        const char* name;
        std::uint32_t packed;
        std::uint32_t kind;
        std::uint16_t store;
    };
    const Case cases[] = {
        {"kind 3 carries its store", 0x00070003u, 3, 7},
        {"kind 4 carries its store", 0xFFFF0004u, 4, 0xFFFF},
        {"kind 5 is store 1 whatever the high half", 0x12340005u, 5, 1},
        {"kind 7 carries none", 0x00090007u, 7, 0},
        {"kind 0 carries none", 0x00090000u, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(vxlLocationKind(c.packed), c.kind);
        EXPECT_EQ(vxlLocationStoreId(c.packed), c.store);
        CVXLMediaLocation location(c.packed);
        EXPECT_TRUE(location.byNumber());
        EXPECT_EQ(location.number(), c.store);
    }

    EXPECT_EQ(vxlPackLocation(7, 1), 0x00070003u);
    EXPECT_EQ(vxlPackLocation(7, 2), 0x00070004u);
    EXPECT_EQ(vxlPackLocation(7, 9), 0x00070000u);
    EXPECT_EQ(vxlPackLocation(7, kStoreKindUnknown), 0u);
    EXPECT_EQ(vxlLocationStoreId(vxlPackLocation(0xABCD, 2)), 0xABCD);

    EXPECT_EQ(vxlLocationKindForFlag(1), 5u);
    EXPECT_EQ(vxlLocationKindForFlag(0), 6u);
    EXPECT_EQ(vxlLocationKindForFlag(2), 0u);
}

TEST(VXLMediaLocation, DefaultsAndTheLocalMediaRequest)
{
    CVXLMediaLocation location;
    EXPECT_FALSE(location.byNumber());
    EXPECT_FALSE(location.secondFlag());
    EXPECT_STREQ(location.name().c_str(), "");
    EXPECT_EQ(location.number(), 0);

    CVXLLocalMediaRequest request;
    EXPECT_EQ(request.requestCode(), 0x8000019);
    EXPECT_EQ(request.replyCode(), 0x800002a);
    EXPECT_TRUE(request.replyWanted());
    EXPECT_EQ(request.flags(), 3u);
    EXPECT_EQ(request.object(), nullptr);
}

} // namespace
