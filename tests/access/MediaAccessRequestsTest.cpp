#include "engine/access/MediaAccessRequests.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Every request class: what a new one holds, and what a reset leaves.
TEST(MediaAccessRequests, DefaultsAndReset)
{
    struct Case {
        const char* name;
        std::function<CMediaAccessRequest*()> make;
        std::int32_t code;
    };
    const Case cases[] = {
        {"base", [] { return new CMediaAccessRequest(); }, -1},
        {"query", [] { return new CMediaAccessQuery(5); }, kMediaFetch},
        {"element", [] { return new CMediaElementRequest(kMediaAlbumAt, 5); }, kMediaAlbumAt},
        {"open album", [] { return new CMediaOpenAlbumRequest(5); }, kMediaOpenAlbum},
        {"location", [] { return new CMediaLocationRequest(5); }, kMediaOpenLocation},
        {"basic", [] { return new CMediaAccessBasicRequest(kMediaOpenMessage, 5); }, kMediaOpenMessage},
        {"album text", [] { return new CMediaAlbumTextRequest(kMediaCreateAlbum, 5); }, kMediaCreateAlbum},
        {"album operation", [] { return new CMediaAlbumOperationRequest(5); }, kMediaCopyItems},
        {"item event", [] { return new CMediaItemEvent(5); }, kMediaAddLocalFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CMediaAccessRequest> request(c.make());
        EXPECT_EQ(request->requestCode(), c.code);
        EXPECT_EQ(request->result(), 0);
        EXPECT_EQ(request->resultText().length(), 0u);
        EXPECT_EQ(request->mediaMask(), 3);
        EXPECT_EQ(request->getOwner(), 0);
        EXPECT_FALSE(request->isRefresh());
        EXPECT_EQ(request->getStoreIndex(), 0);

        request->setRefresh(true);
        request->setOwner(9);
        request->setStoreIndex(4);
        request->reset();
        EXPECT_FALSE(request->isRefresh());
        EXPECT_EQ(request->getOwner(), 0);
        EXPECT_EQ(request->mediaMask(), 7);
        EXPECT_EQ(request->getStoreIndex(), 4) << "the storage index is not the parameter word";
    }
}

TEST(MediaAccessRequests, ResetSetsTheThreeLowMaskBitsOnly)
{
    const struct {
        std::uint8_t before;
        std::uint8_t after;
    } cases[] = {{3, 7}, {0, 7}, {1, 7}, {0x10, 0x17}};
    for (const auto& c : cases) {
        CMediaLocationRequest request(1);
        request.setMediaMask(c.before);
        request.reset();
        EXPECT_EQ(request.mediaMask(), c.after) << int(c.before);
    }
}

TEST(MediaAccessRequests, TheOperationFlagPicksCopyOrMove)
{
    const struct {
        std::int32_t flag;
        std::int32_t code;
    } cases[] = {{0, 13}, {1, 14}, {-1, 14}, {7, 14}, {0, 13}};
    CMediaAlbumOperationRequest request(1);
    for (const auto& c : cases) {
        request.setFlag(c.flag);
        EXPECT_EQ(request.requestCode(), c.code) << c.flag;
    }
}

TEST(MediaAccessRequests, CursorBindClearsTheLookupAndUnbindEmptiesTheList)
{
    CMediaAccessQuery query(1);
    CVXLMediaDescriptor descriptor;
    descriptor.id = "a.jpg";
    query.setDescriptor(descriptor);
    EXPECT_TRUE(query.isLookup());
    query.bind(3, 10);
    EXPECT_FALSE(query.isLookup());
    EXPECT_EQ(query.getValue(), 10u);
    CVXLMediaItem item;
    query.getResultList().push_back(&item);
    query.setDescriptor(descriptor);
    query.unbind();
    EXPECT_TRUE(query.getResultList().empty());
    EXPECT_EQ(query.getValue(), 0u);
    EXPECT_EQ(query.caller(), 0);
    EXPECT_FALSE(query.isLookup());
}

} // namespace
