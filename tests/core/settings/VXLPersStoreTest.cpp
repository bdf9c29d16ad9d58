#include "engine/core/settings/VXLPersStore.h"
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/settings/VXLPersKeys.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes imageOf(const CVXLPersStore& store)
{
    CVXLByteStream out;
    store.save(out);
    return out.length() ? Bytes(out.data(), out.data() + out.length()) : Bytes();
}

bool loadBytes(CVXLPersStore& store, const Bytes& bytes)
{
    CVXLByteBuffer buffer;
    if (!bytes.empty())
        buffer.append(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    CVXLByteStream reader(buffer);
    return store.load(reader);
}

std::string valueOf(const CVXLPersStore& store, const char* key)
{
    CVXLString out;
    return store.get(key, &out) ? out.c_str() : "<none>";
}

// Counted string as the file stores it: length with the NUL, text, NUL.
void appendCounted(Bytes& bytes, const std::string& text)
{
    const std::uint32_t n = static_cast<std::uint32_t>(text.size() + 1);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

Bytes imageBytes(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    Bytes bytes {10};
    const std::uint32_t n = static_cast<std::uint32_t>(pairs.size());
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    for (const auto& [key, value] : pairs) {
        appendCounted(bytes, key);
        appendCounted(bytes, value);
    }
    return bytes;
}

TEST(VXLPersStore, SetGetLockAndRemove)
{
    CVXLPersStore store;
    EXPECT_EQ(valueOf(store, "pers.vrax.id"), "<none>");
    EXPECT_FALSE(store.has("pers"));
    EXPECT_EQ(store.lookup("pers"), nullptr);

    EXPECT_EQ(store.set("pers.vrax.id", "abc"), 1);
    EXPECT_EQ(store.set("int.progress_total", "120"), 1);
    EXPECT_EQ(store.set("Pers.vrax.id", "other"), 1);
    EXPECT_EQ(valueOf(store, "pers.vrax.id"), "abc");
    EXPECT_EQ(valueOf(store, "Pers.vrax.id"), "other");
    EXPECT_EQ(valueOf(store, "int.progress_total"), "120");
    // A branch holds no value, and a node is never both.
    EXPECT_EQ(valueOf(store, "pers.vrax"), "<none>");
    EXPECT_EQ(store.set("pers.vrax", "x"), 0);
    EXPECT_EQ(store.set("pers.vrax.id.more", "x"), 0);
    EXPECT_EQ(valueOf(store, "pers.vrax.id"), "abc");
    EXPECT_EQ(store.get("pers.vrax.id", nullptr), 0);

    EXPECT_EQ(store.set("pers.cool_sites.ids.0", "a", 1), 1);
    EXPECT_EQ(store.set("pers.cool_sites.ids.1", "b"), 1);
    EXPECT_EQ(store.set("pers.cool_sites.ids.0", "changed"), 0);
    EXPECT_EQ(valueOf(store, "pers.cool_sites.ids.0"), "a");
    ASSERT_NE(store.lookup("pers.cool_sites.ids"), nullptr);
    EXPECT_EQ(store.lookup("pers.cool_sites.ids")->count(), 2u);

    store.removeChildren("pers.cool_sites");
    EXPECT_FALSE(store.has("pers.cool_sites.ids.0"));
    ASSERT_NE(store.lookup("pers.cool_sites"), nullptr);
    EXPECT_EQ(store.lookup("pers.cool_sites")->count(), 0u);
    EXPECT_EQ(store.set("pers.cool_sites.ids.0", "new"), 1);
    EXPECT_EQ(valueOf(store, "pers.cool_sites.ids.0"), "new");
    store.removeChildren("no.such.key");
}

TEST(VXLPersStore, OnlyChangesUnderPersMakeTheStoreDirty)
{
    struct Case {
        const char* key;
        const char* value;
        bool dirty;
    };
    const Case cases[] = {
        {"pers.item_share", "1", false}, // the value it already holds
        {"pers.item_share", "2", true},
        {"pers.new_key", "", true}, // a new key, even with an empty value
        {"int.progress_total", "9", false},
        {"inbox.new_msg_count", "3", false},
        {"vrax.url", "http://x", false},
        {"persx.item", "1", false},
        {"pers", "1", false},
        {"PERS.item_share", "5", false},
        {"pers.locked", "other", true}, // refused by the lock, but different
        {"pers.locked", "fixed", false},
    };
    for (const Case& c : cases) {
        CVXLPersStore store;
        store.set("pers.item_share", "1");
        store.set("pers.locked", "fixed", 1);
        store.setDirty(false);
        store.set(c.key, c.value);
        EXPECT_EQ(store.isDirty(), c.dirty) << c.key << " = " << c.value;
    }
}

TEST(VXLPersStore, DirtyStaysWhenChangedWhileAWriteIsUnderWay)
{
    CVXLPersStore store;
    store.set("pers.a", "1");
    const std::uint32_t sent = store.changeCount();
    store.set("pers.a", "2");
    store.clearDirty(sent);
    EXPECT_TRUE(store.isDirty());
    const std::uint32_t again = store.changeCount();
    store.clearDirty(again);
    EXPECT_FALSE(store.isDirty());
}

TEST(VXLPersStore, ImageBytesFollowTheFileLayout)
{
    CVXLPersStore empty;
    EXPECT_EQ(imageOf(empty), (Bytes {0x0A, 0, 0, 0, 0}));

    CVXLPersStore one;
    one.set("int.progress_total", "5");
    one.set("vrax.url", "http://server");
    one.set("pers.item_share", "1");
    one.set("inbox.new_msg_count", "2");
    const Bytes expected = {0x0A, 0x01, 0, 0, 0, 0x15, 0, 0, 0, 'r', 'o', 'o', 't', '.', 'p', 'e', 'r', 's',
        '.', 'i', 't', 'e', 'm', '_', 's', 'h', 'a', 'r', 'e', 0, 0x02, 0, 0, 0, '1', 0};
    ASSERT_EQ(expected.size(), 36u);
    EXPECT_EQ(imageOf(one), expected);

    // Creation order, not name order; nested branches depth first.
    CVXLPersStore many;
    many.set("pers.zeta", "z");
    many.set("pers.vrax.id", "id");
    many.set("int.datacomm_active", "1");
    many.set("pers.alpha", "");
    many.set("pers.vrax.time_last_rsp", "77");
    EXPECT_EQ(imageOf(many),
        imageBytes({{"root.pers.zeta", "z"}, {"root.pers.vrax.id", "id"},
            {"root.pers.vrax.time_last_rsp", "77"}, {"root.pers.alpha", ""}}));
}

TEST(VXLPersStore, SaveThenLoadRestoresPersValuesUnlocked)
{
    CVXLPersStore source;
    for (int i = 0; i < kPersKeyCount; ++i)
        source.set(kPersKeys[i], CVXLString(i), i % 2);
    CVXLPersStore target;
    loadBytes(target, imageOf(source));
    EXPECT_FALSE(target.isDirty());
    for (int i = 0; i < kPersKeyCount; ++i) {
        const bool saved = std::string(kPersKeys[i]).rfind("pers.", 0) == 0;
        EXPECT_EQ(valueOf(target, kPersKeys[i]), saved ? std::to_string(i) : "<none>") << kPersKeys[i];
        if (saved) {
            EXPECT_EQ(target.set(kPersKeys[i], "changed"), 1) << kPersKeys[i];
        }
    }

    CVXLPersStore fromEmpty;
    loadBytes(fromEmpty, {0x0A, 0, 0, 0, 0});
    EXPECT_EQ(fromEmpty.lookup("pers"), nullptr);
}

TEST(VXLPersStore, LoadStoresOnlyPersKeysAndKeepsLockedValues)
{
    CVXLPersStore store;
    store.set("pers.locked", "mine", 1);
    store.set("vrax.url", "http://configured");
    store.setDirty(false);
    // A foreign file: other root names, keys outside "pers.".
    loadBytes(store,
        imageBytes(
            {{"root.vrax.url", "http://evil"}, {"x.pers.vrax.id", "42"}, {"root.int.progress_total", "7"},
                {"root.persx", "1"}, {"root.pers.locked", "theirs"}, {"nodot", "v"}}));
    EXPECT_EQ(valueOf(store, "vrax.url"), "http://configured");
    EXPECT_EQ(valueOf(store, "pers.vrax.id"), "42");
    EXPECT_EQ(valueOf(store, "int.progress_total"), "<none>");
    EXPECT_EQ(valueOf(store, "persx"), "<none>");
    EXPECT_EQ(valueOf(store, "pers.locked"), "mine");
    EXPECT_FALSE(store.isDirty());
}

// A dotted key with an empty component names no node: it is refused when set
// and when read from a file, so every image saved reads back to itself.
TEST(VXLPersStore, KeysWithEmptyComponentsAreRefused)
{
    CVXLPersStore store;
    for (const char* key : {".", "pers.", ".pers.a", "pers..a", "pers.a."})
        EXPECT_EQ(store.set(key, "v"), 0) << '"' << key << '"';
    EXPECT_FALSE(store.has("pers"));

    loadBytes(store, imageBytes({{"root.pers.", "42"}, {"root.pers.a..b", "1"}, {"root.pers.a.b", "x"}}));
    EXPECT_EQ(valueOf(store, "pers.a.b"), "x");
    const Bytes saved = imageOf(store);
    CVXLPersStore again;
    loadBytes(again, saved);
    EXPECT_EQ(imageOf(again), saved);
}

// Every cut of a good image, and images with lying counts and lengths, load
// without reading past the end and keep the pairs before the damage.
TEST(VXLPersStore, DamagedImagesKeepThePairsBeforeTheDamage)
{
    const Bytes good = imageBytes({{"root.pers.a", "1"}, {"root.pers.b", "22"}, {"root.pers.c", "333"}});
    const std::size_t endOfFirst = 5 + (4 + 12) + (4 + 2);
    const std::size_t endOfSecond = endOfFirst + (4 + 12) + (4 + 3);
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        CVXLPersStore store;
        EXPECT_FALSE(loadBytes(store, Bytes(good.begin(), good.begin() + static_cast<long>(cut)))) << cut;
        EXPECT_EQ(store.has("pers.a"), cut >= endOfFirst) << cut;
        EXPECT_EQ(store.has("pers.b"), cut >= endOfSecond) << cut;
        EXPECT_FALSE(store.has("pers.c")) << cut;
        EXPECT_FALSE(store.isDirty());
    }

    CVXLPersStore intact;
    EXPECT_TRUE(loadBytes(intact, good));

    struct Case {
        const char* what;
        Bytes image;
        std::vector<const char*> present;
    };
    Bytes hugeCount = good;
    hugeCount[1] = hugeCount[2] = hugeCount[3] = hugeCount[4] = 0xFF;
    Bytes hugeLength = good;
    hugeLength[5 + 16 + 6 + 3] = 0x7F; // second key's length
    Bytes wrongFormat = good;
    wrongFormat[0] = 11;
    Bytes trailing = good;
    trailing.push_back(0);
    const Case cases[] = {
        {"bytes after the last pair", trailing, {"pers.a", "pers.b", "pers.c"}},
        {"count larger than the pairs", hugeCount, {"pers.a", "pers.b", "pers.c"}},
        {"length beyond the end", hugeLength, {"pers.a"}},
        {"format byte not 10", wrongFormat, {}},
        {"empty image", {}, {}},
    };
    for (const Case& c : cases) {
        CVXLPersStore store;
        EXPECT_FALSE(loadBytes(store, c.image)) << c.what << ": damage reported";
        int found = 0;
        for (const char* key : {"pers.a", "pers.b", "pers.c"})
            found += store.has(key) ? 1 : 0;
        EXPECT_EQ(found, static_cast<int>(c.present.size())) << c.what;
        for (const char* key : c.present)
            EXPECT_TRUE(store.has(key)) << c.what << ": " << key;
    }
}

TEST(VXLPersStore, SplitFirstPathComponent)
{
    struct Case {
        const char* key;
        const char* first;
        const char* rest;
    };
    const Case cases[] = {
        {"pers.vrax.id", "pers", "vrax.id"},
        {"single", "single", ""},
        {"a..b", "a", ".b"},
        {".lead", "", "lead"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        CVXLString key = c.key;
        EXPECT_EQ(std::string(CVXLPersStore::splitFirstPathComponent(&key).c_str()), c.first) << c.key;
        EXPECT_EQ(std::string(key.c_str()), c.rest) << c.key;
    }
}

} // namespace
