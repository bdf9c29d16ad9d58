#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/settings/VXLConfigReader.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/records/OutboundItem.h"
#include "engine/records/OutboundSummary.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Configuration items by number; an item not in the map is absent.
class MapConfig : public CVXLConfigReader {
public:
    explicit MapConfig(std::map<std::int32_t, std::string> items)
        : items_(std::move(items))
    {
    }
    bool readItem(std::int32_t item, CVXLString* text) const override
    {
        auto found = items_.find(item);
        if (found == items_.end())
            return false;
        *text = found->second.c_str();
        return true;
    }

private:
    std::map<std::int32_t, std::string> items_;
};

class NamedOwner : public CVXLEventHandler {
public:
    explicit NamedOwner(const char* name)
        : name_(name)
    {
    }
    const char* name() const override { return name_; }

private:
    const char* name_;
};

// Every item differs, so a swapped item shows.
const std::map<std::int32_t, std::string> kAllItems {
    {20, "image/pjpeg"},
    {36, "96"},
    {37, "72"},
    {38, "320"},
    {39, "240"},
    {24, "image/png"},
    {21, "80"},
    {22, "60"},
    {29, "176"},
    {30, "144"},
    // Sizes and types of other screens, not read here.
    {17, "11"},
    {18, "12"},
    {25, "13"},
    {26, "14"},
    {28, "image/bad"},
    {32, "video/bad"},
};

struct Slot {
    std::string location;
    std::string mimeType;
    std::int32_t width;
    std::int32_t height;
    int owner; // 0 online, 1 local
};

struct Part {
    std::int32_t number;
    const char* mimeType;
};

// The item's parts; the first image or video is the one referenced.
struct Case {
    const char* name;
    std::vector<Part> parts;
    std::int32_t number;
    const char* mimeType;
    std::vector<std::int32_t> absentItems;
    bool empty;
    std::vector<Slot> slots;
};

TEST(OutboundSummaryMediaRef, FollowsTheLocationKindAndTheConfiguration)
{
    const std::vector<Case> cases {
        {"parts neither image nor video", {{0x00010001, "audio/amr"}, {0x00010001, "text/plain"}}, 0, "", {},
            true, {}},
        {"online image", {{0x00070001, "image/jpeg"}}, 0x00070001, "image/jpeg", {}, false,
            {{"photo-17", "image/jpeg", -1, -1, 0}, {"photo-17", "image/pjpeg", 96, 72, 0},
                {"photo-17", "image/pjpeg", 320, 240, 0}}},
        {"online video after a sound; the value is the video's",
            {{0x00090003, "audio/amr"}, {0x00020001, "video/3gpp"}, {0x00050003, "image/gif"}}, 0x00020001,
            "video/3gpp", {}, false,
            {{"photo-17", "video/3gpp", -1, -1, 0}, {"photo-17", "image/png", 80, 60, 0},
                {"photo-17", "image/png", 176, 144, 0}}},
        {"local picture", {{0x00070003, "image/gif"}}, 0x00070003, "image/gif", {}, false,
            {{"\\My Pictures\\IMG_1.gif", "image/gif", -1, -1, 1}}},
        {"absent preview width and type", {{0x00000001, "image/png"}}, 0x00000001, "image/png", {36, 20},
            false,
            {{"photo-17", "image/png", -1, -1, 0}, {"photo-17", "", -1, 72, 0},
                {"photo-17", "", 320, 240, 0}}},
    };

    NamedOwner online("online");
    NamedOwner local("local");
    const CVXLEventHandler* owners[] = {&online, &local};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::map<std::int32_t, std::string> items = kAllItems;
        for (std::int32_t absent : c.absentItems)
            items.erase(absent);
        const MapConfig config(items);

        COutboundItem item;
        for (const Part& part : c.parts)
            item.addMediaPart(
                CVXLMediaIdentity(part.number, "photo-17", "\\My Pictures\\IMG_1.gif"), part.mimeType);
        COutboundSummary summary;
        ASSERT_TRUE(summary.fromItem(item));
        EXPECT_EQ(std::string(summary.mediaMimeType.c_str()), c.mimeType);
        const CVXLMediaRefHandle handle = summary.mediaRef(&online, &local, &config);

        if (c.empty) {
            EXPECT_FALSE(handle);
            continue;
        }
        ASSERT_TRUE(handle);
        const CVXLMediaRef* ref = handle.get();
        EXPECT_EQ(std::string(ref->getMimeType().c_str()), c.mimeType);
        EXPECT_EQ(ref->value(), c.number);
        for (std::uint32_t i = 0; i < CVXLMediaRef::kMaxRenditions; ++i) {
            SCOPED_TRACE(i);
            const CVXLRendition& r = ref->rendition(i);
            if (i >= c.slots.size()) {
                EXPECT_FALSE(r.inUse());
                continue;
            }
            const Slot& want = c.slots[i];
            EXPECT_EQ(std::string(r.location.c_str()), want.location);
            EXPECT_EQ(std::string(r.mimeType.c_str()), want.mimeType);
            EXPECT_EQ(r.width, want.width);
            EXPECT_EQ(r.height, want.height);
            EXPECT_EQ(r.sourceJob, owners[want.owner]);
        }
    }
}

} // namespace
