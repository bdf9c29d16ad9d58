#include "engine/access/MediaCollection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

CVXLMediaItem* item(int n)
{
    auto* made = new CVXLMediaItem();
    made->setId(("item" + std::to_string(n)).c_str());
    return made;
}

// An open collection of `count` entries, each used once and released, so
// that position 0 is the least recently used.
void fill(CMediaCollection& collection, int count)
{
    for (int position = 0; position < count; ++position) {
        collection.use(collection.insert(position, item(position)));
        collection.release(position);
    }
}

// Inserting past 48 unselected entries: which one goes.
TEST(MediaCollection, EvictionTakesTheLeastRecentlyUsedFreeUnselectedEntry)
{
    struct Case {
        const char* name;
        std::vector<int> selected;
        std::vector<int> inUse;
        std::vector<int> touched; // used and released again, in this order
        int evicted; // -1: none
    };
    std::vector<int> all;
    for (int p = 0; p < 48; ++p)
        all.push_back(p);
    std::vector<int> allButFive = all;
    allButFive.erase(allButFive.begin() + 5);
    const Case cases[] = {
        {"oldest goes", {}, {}, {}, 0},
        {"a touched entry is recent", {}, {}, {0}, 1},
        {"selected entries stay", {0, 1}, {}, {}, 2},
        {"entries in use stay", {}, {0, 1, 2}, {}, 3},
        {"the only free one goes though recent", {}, allButFive, {5}, 5},
        {"none when every unselected entry is in use", {}, all, {}, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMediaCollection collection(CMediaCollectionKey::onlineAlbum("C1", 3));
        collection.open();
        fill(collection, 48);
        for (int p : c.selected) {
            collection.at(p)->selected = true;
            collection.insert(48 + p + 100, item(500 + p)); // keeps the unselected count at 48
        }
        for (int p : c.inUse)
            collection.use(collection.at(p));
        for (int p : c.touched) {
            collection.use(collection.at(p));
            collection.release(p);
        }
        const std::uint32_t before = collection.cachedCount();
        collection.use(collection.insert(48, item(48)));
        ASSERT_NE(collection.at(48), nullptr);
        for (int p = 0; p < 48; ++p)
            EXPECT_EQ(collection.at(p) == nullptr, p == c.evicted) << "position " << p;
        EXPECT_EQ(collection.cachedCount(), c.evicted < 0 ? before + 1 : before);
        for (int p : c.selected)
            EXPECT_NE(collection.at(p), nullptr);
    }
}

// What a release to zero does, open or not, selected or not; and what a
// close leaves.
TEST(MediaCollection, ReleaseAndCloseKeepSelectedEntries)
{
    struct Case {
        const char* name;
        bool open;
        bool selected;
        bool keptAfterRelease;
        std::uint16_t usesAfterRelease;
        bool keptAfterClose;
    };
    const Case cases[] = {
        {"open, unselected", true, false, true, 0, false},
        {"open, selected", true, true, true, 1, true},
        {"not open, unselected", false, false, false, 0, false},
        {"not open, selected", false, true, false, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CMediaCollection collection(CMediaCollectionKey::localLocation(1, 3));
        if (c.open)
            collection.open();
        CMediaCollectionEntry* entry = collection.insert(0, item(0));
        entry->selected = c.selected;
        collection.use(entry);
        collection.release(0);
        ASSERT_EQ(collection.at(0) != nullptr, c.keptAfterRelease);
        if (!c.keptAfterRelease)
            continue;
        EXPECT_EQ(collection.at(0)->useCount, c.usesAfterRelease);
        collection.close();
        EXPECT_EQ(collection.at(0) != nullptr, c.keptAfterClose);
    }
}

TEST(MediaCollection, AnEntryInUseOutlivesTheCloseUntilItsRelease)
{
    CMediaCollection collection(CMediaCollectionKey::onlineAlbum("C1", 3));
    collection.open();
    collection.use(collection.insert(0, item(0)));
    collection.close();
    ASSERT_NE(collection.at(0), nullptr);
    collection.release(0);
    EXPECT_EQ(collection.at(0), nullptr);
    EXPECT_EQ(collection.cachedCount(), 0u);
}

TEST(MediaCollection, KeysAreEqualOnlyWithTheSameKindMaskAndIdentity)
{
    using K = CMediaCollectionKey;
    const struct {
        K a;
        K b;
        bool equal;
    } cases[] = {
        {K::onlineAlbum("C1", 3), K::onlineAlbum("C1", 3), true},
        {K::onlineAlbum("C1", 3), K::onlineAlbum("C1", 7), false},
        {K::onlineAlbum("C1", 3), K::onlineAlbum("C2", 3), false},
        {K::localLocation(1, 3), K::localLocation(1, 3), true},
        {K::localLocation(1, 3), K::localLocation(2, 3), false},
        {K::messageMedia("i1", 0, 0, 2), K::messageMedia("i1", 0, 0, 2), true},
        {K::messageMedia("i1", 0, 0, 2), K::messageMedia("i1", 0, 1, 2), false},
        {K::messageMedia("i1", 0, 0, 0), K::messageMedia("i1", 0, 0, 1), false},
        {K::messageMedia("i1", 0, 0, 2), K::messageMedia("i1", 4, 0, 2), false},
        {K::messageMedia("C1", 0, 0, 0), K::onlineAlbum("C1", 1), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(K::messageMedia("i1", 0, 0, 0).mediaMask(), 1);
    EXPECT_EQ(K::messageMedia("i1", 0, 0, 1).mediaMask(), 2);
    EXPECT_EQ(K::messageMedia("i1", 0, 0, 2).mediaMask(), 7);
}

} // namespace
