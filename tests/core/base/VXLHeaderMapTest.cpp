#include "engine/core/base/VXLHeaderMap.h"

#include <gtest/gtest.h>

#include <cctype>

#include <string>
#include <vector>

namespace {

std::vector<std::string> names(const CVXLHeaderMap& map)
{
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < map.nameCount(); ++i)
        out.emplace_back(map.nameAt(static_cast<int>(i)).c_str());
    return out;
}

std::vector<std::string> values(const CVXLHeaderMap& map, const char* name)
{
    std::vector<std::string> out;
    for (std::uint32_t i = 0; i < map.valueCount(name); ++i)
        out.emplace_back(map.value(name, static_cast<int>(i)).c_str());
    return out;
}

CVXLHeaderMap sample()
{
    CVXLHeaderMap map;
    EXPECT_TRUE(map.add("Content-Type", "text/plain"));
    EXPECT_TRUE(map.add("To", "a@example.org"));
    EXPECT_TRUE(map.add("Subject", "hi"));
    EXPECT_TRUE(map.add("To", "b@example.org"));
    EXPECT_TRUE(map.add("To", "a@example.org"));
    return map;
}

TEST(VXLHeaderMap, Lookups)
{
    const CVXLHeaderMap map = sample();
    struct Case {
        const char* name;
        int index;
        bool ignoreCase;
        bool present;
        const char* text;
    };
    const Case cases[] = {
        {"Content-Type", 0, false, true, "text/plain"},
        {"content-type", 0, false, false, ""},
        {"content-type", 0, true, true, "text/plain"},
        {"CONTENT-TYPE", 0, true, true, "text/plain"},
        {"To", 1, false, true, "b@example.org"},
        {"to", 2, true, true, "a@example.org"},
        {"To", 3, false, true, ""}, // name present, index absent
        {"To", -1, false, true, ""},
        {"Cc", 0, true, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(
            std::string(c.name) + "/" + std::to_string(c.index) + (c.ignoreCase ? " ignoring case" : ""));
        EXPECT_EQ(map.contains(c.name, c.ignoreCase), c.present);
        EXPECT_EQ(map.value(c.name, c.index, c.ignoreCase), c.text);
    }
    // The flag lasts for one lookup only.
    EXPECT_TRUE(map.contains("subject", true));
    EXPECT_FALSE(map.contains("subject"));
    EXPECT_EQ(map.valueCount("to"), 0u); // counts are exact-case
}

TEST(VXLHeaderMap, ValuesAndNamesKeepTheirOrder)
{
    CVXLHeaderMap map = sample();
    EXPECT_EQ(names(map), (std::vector<std::string> {"Content-Type", "To", "Subject"}));
    EXPECT_EQ(
        values(map, "To"), (std::vector<std::string> {"a@example.org", "b@example.org", "a@example.org"}));
    EXPECT_EQ(map.nameAt(3), "");
    EXPECT_EQ(map.nameAt(-1), "");

    EXPECT_TRUE(map.remove("To"));
    EXPECT_FALSE(map.remove("To"));
    EXPECT_FALSE(map.remove("subject")); // exact case
    EXPECT_TRUE(map.add("To", "c@example.org")); // a new name goes last
    EXPECT_EQ(names(map), (std::vector<std::string> {"Content-Type", "Subject", "To"}));
    EXPECT_EQ(values(map, "To"), std::vector<std::string> {"c@example.org"});
    EXPECT_TRUE(map.add("to", "d")); // names differing in case are distinct
    EXPECT_EQ(map.nameCount(), 4u);
}

// A few names live in the map's body, more in a string map: order, lookups,
// removal and copies behave alike on both sides of the switch.
TEST(VXLHeaderMap, ManyNamesBehaveAsFew)
{
    for (const int count : {1, 5, 6, 7, 12, 40}) {
        SCOPED_TRACE(std::to_string(count) + " names");
        CVXLHeaderMap map;
        std::vector<std::string> expected;
        for (int round = 0; round < 2; ++round) {
            for (int i = 0; i < count; ++i) {
                const std::string name = "X-Name-" + std::to_string(i);
                ASSERT_TRUE(map.add(name.c_str(), (name + "/" + std::to_string(round)).c_str()));
                if (round == 0)
                    expected.push_back(name);
            }
        }
        EXPECT_EQ(names(map), expected);
        for (int i = 0; i < count; ++i) {
            const std::string name = "X-Name-" + std::to_string(i);
            EXPECT_EQ(values(map, name.c_str()), (std::vector<std::string> {name + "/0", name + "/1"}));
            std::string upper = name;
            for (char& ch : upper)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            EXPECT_FALSE(map.contains(upper.c_str()));
            EXPECT_EQ(std::string(map.value(upper.c_str(), 1, true).c_str()), name + "/1");
        }

        // A copy changes privately; the original keeps every name.
        CVXLHeaderMap copy(map);
        const int middle = count / 2;
        const std::string removed = "X-Name-" + std::to_string(middle);
        ASSERT_TRUE(copy.remove(removed.c_str()));
        EXPECT_FALSE(copy.contains(removed.c_str()));
        EXPECT_EQ(names(map), expected);
        std::vector<std::string> left = expected;
        left.erase(left.begin() + middle);
        EXPECT_EQ(names(copy), left);

        // A name added after a removal goes last, and may be the one removed.
        ASSERT_TRUE(copy.add(removed.c_str(), "again"));
        left.push_back(removed);
        EXPECT_EQ(names(copy), left);
        EXPECT_EQ(values(copy, removed.c_str()), std::vector<std::string> {"again"});

        copy.clear();
        EXPECT_EQ(copy.nameCount(), 0u);
        ASSERT_TRUE(copy.add("Late", "1"));
        EXPECT_EQ(names(copy), std::vector<std::string> {"Late"});
        EXPECT_EQ(names(map), expected);
    }
}

TEST(VXLHeaderMap, EveryValueOfALongListIsReachedByPosition)
{
    // Around the length from which values are kept by position, and past
    // several growths of that index.
    for (const int count : {1, 7, 8, 9, 16, 17, 33, 1000}) {
        SCOPED_TRACE(count);
        CVXLHeaderMap map;
        std::vector<std::string> expected;
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(map.add("To", ("v" + std::to_string(i)).c_str()));
            ASSERT_TRUE(map.add("Cc", "c"));
            expected.push_back("v" + std::to_string(i));
            // The newest value is reachable at once.
            EXPECT_EQ(std::string(map.value("to", i, true).c_str()), expected.back());
        }
        EXPECT_EQ(values(map, "To"), expected);
        EXPECT_EQ(std::string(map.value("To", count).c_str()), "");
        EXPECT_EQ(std::string(map.value("To", -1).c_str()), "");
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(map.setValueObject("To", i, new CVXLHeaderMap));
        EXPECT_FALSE(map.setValueObject("To", count, nullptr));
        map.valueObject("To", count - 1)->add("name", "last");

        // A private copy and a removed and re-added name reach theirs as well.
        CVXLHeaderMap copy(map);
        ASSERT_TRUE(copy.add("X", "1"));
        EXPECT_EQ(values(copy, "To"), expected);
        EXPECT_EQ(std::string(copy.valueObject("To", count - 1)->value("name").c_str()), "last");
        ASSERT_TRUE(copy.remove("To"));
        ASSERT_TRUE(copy.add("To", "again"));
        EXPECT_EQ(values(copy, "To"), std::vector<std::string> {"again"});
        EXPECT_EQ(values(map, "To"), expected);
    }
}

TEST(VXLHeaderMap, HandlesShareTheBodyUntilOneChangesIt)
{
    struct Case {
        const char* what;
        bool (*change)(CVXLHeaderMap&);
        std::vector<std::string> changedNames;
    };
    const Case cases[] = {
        {"add", [](CVXLHeaderMap& m) { return m.add("X-New", "1"); },
            {"Content-Type", "To", "Subject", "X-New"}},
        {"remove", [](CVXLHeaderMap& m) { return m.remove("To"); }, {"Content-Type", "Subject"}},
        {"setValueObject", [](CVXLHeaderMap& m) { return m.setValueObject("Subject", 0, new CVXLHeaderMap); },
            {"Content-Type", "To", "Subject"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLHeaderMap original = sample();
        CVXLHeaderMap copy(original);
        CVXLHeaderMap assigned;
        assigned = original;
        EXPECT_TRUE(copy.sharesBodyWith(original));
        EXPECT_TRUE(assigned.sharesBodyWith(original));

        EXPECT_TRUE(c.change(copy));
        EXPECT_FALSE(copy.sharesBodyWith(original));
        EXPECT_TRUE(assigned.sharesBodyWith(original));
        EXPECT_EQ(names(copy), c.changedNames);
        EXPECT_EQ(names(original), (std::vector<std::string> {"Content-Type", "To", "Subject"}));
        EXPECT_EQ(values(copy, "Subject"), std::vector<std::string> {"hi"});
        EXPECT_EQ(original.valueObject("Subject", 0), nullptr);

        // The two that still share a body change privately as well.
        EXPECT_TRUE(assigned.add("X-Late", "2"));
        EXPECT_EQ(original.valueCount("X-Late"), 0u);
    }
}

TEST(VXLHeaderMap, ClearEmptiesEverySharer)
{
    CVXLHeaderMap a = sample();
    CVXLHeaderMap b(a);
    b.clear();
    EXPECT_EQ(a.nameCount(), 0u);
    EXPECT_EQ(b.nameCount(), 0u);
    EXPECT_TRUE(a.sharesBodyWith(b));
    EXPECT_EQ(a.value("To"), "");
    EXPECT_TRUE(a.add("To", "x"));
    EXPECT_EQ(b.nameCount(), 0u);
}

TEST(VXLHeaderMap, MapsThatWereNeverWrittenStayApart)
{
    CVXLHeaderMap empty;
    CVXLHeaderMap copy(empty);
    CVXLHeaderMap assigned;
    assigned = empty;
    for (const CVXLHeaderMap* map : {&empty, &copy, &assigned}) {
        EXPECT_EQ(map->nameCount(), 0u);
        EXPECT_EQ(map->nameAt(0), "");
        EXPECT_FALSE(map->contains("To"));
        EXPECT_EQ(map->value("To"), "");
        EXPECT_EQ(map->valueObject("To", 0), nullptr);
    }
    EXPECT_TRUE(empty.add("To", "x"));
    EXPECT_TRUE(copy.add("Cc", "y"));
    EXPECT_EQ(names(empty), std::vector<std::string> {"To"});
    EXPECT_EQ(names(copy), std::vector<std::string> {"Cc"});
    EXPECT_EQ(assigned.nameCount(), 0u);

    // Taking an empty map lets go of the body: its other sharers keep it.
    CVXLHeaderMap full = sample();
    CVXLHeaderMap sharer(full);
    full = CVXLHeaderMap();
    EXPECT_EQ(full.nameCount(), 0u);
    EXPECT_EQ(values(sharer, "To").size(), 3u);
    EXPECT_TRUE(full.add("X", "1"));
    EXPECT_FALSE(full.sharesBodyWith(sharer));
    EXPECT_EQ(sharer.valueCount("X"), 0u);
    sharer = full;
    EXPECT_TRUE(sharer.sharesBodyWith(full));
    full.clear();
    EXPECT_EQ(sharer.nameCount(), 0u);
}

TEST(VXLHeaderMap, ParameterObjectsAreOwnedAndSharedOnCopy)
{
    CVXLHeaderMap map;
    map.add("Content-Type", "multipart/related");
    auto* params = new CVXLHeaderMap;
    params->add("boundary", "xyz");
    EXPECT_TRUE(map.setValueObject("Content-Type", 0, params));
    EXPECT_TRUE(map.setValueObject("Content-Type", 0, params)); // the same object again: kept, not freed
    EXPECT_EQ(map.valueObject("Content-Type", 0), params);
    EXPECT_EQ(map.valueObject("content-type", 0), nullptr); // exact case

    auto* stray = new CVXLHeaderMap;
    EXPECT_FALSE(map.setValueObject("Content-Type", 1, stray));
    EXPECT_FALSE(map.setValueObject("Accept", 0, stray));
    delete stray; // refused objects stay the caller's

    // A private copy shares each parameter body rather than copying it.
    CVXLHeaderMap copy(map);
    copy.add("X", "1");
    CVXLHeaderMap* copied = copy.valueObject("Content-Type", 0);
    ASSERT_NE(copied, nullptr);
    EXPECT_NE(copied, params);
    EXPECT_TRUE(copied->sharesBodyWith(*params));
    copied->add("charset", "utf-8");
    EXPECT_EQ(params->valueCount("charset"), 0u);
    EXPECT_EQ(copied->value("boundary"), "xyz");

    // Replacing deletes the old parameters; the sanitizer build sees leaks.
    EXPECT_TRUE(map.setValueObject("Content-Type", 0, new CVXLHeaderMap));
    EXPECT_TRUE(copy.remove("Content-Type"));
}

TEST(VXLHeaderMap, AssignmentWithinOneBodyKeepsIt)
{
    struct Case {
        const char* what;
        bool shared;
        bool self;
    };
    const Case cases[] = {
        {"alone, to itself", false, true},
        {"shared, to itself", true, true},
        {"to a sharer", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLHeaderMap map = sample();
        CVXLHeaderMap other(map);
        if (!c.shared)
            other.add("Detach", "1");
        const CVXLHeaderMap& source = c.self ? map : other;
        map = source;
        EXPECT_EQ(values(map, "To").size(), 3u);
        EXPECT_TRUE(map.add("Y", "1"));
    }

    CVXLHeaderMap a = sample();
    CVXLHeaderMap b;
    b.add("Only", "b");
    a = b; // a's body goes; a now shares b's
    EXPECT_TRUE(a.sharesBodyWith(b));
    EXPECT_EQ(names(a), std::vector<std::string> {"Only"});
}

} // namespace
