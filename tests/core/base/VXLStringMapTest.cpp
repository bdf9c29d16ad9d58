#include "engine/core/base/VXLStringMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <strings.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct Item : CVXLObject {
    explicit Item(int id = 0, int* dtors = nullptr)
        : id(id)
        , dtors(dtors)
    {
    }
    ~Item() override
    {
        if (dtors)
            ++*dtors;
    }
    int id;
    int* dtors;
};

std::vector<std::pair<std::string, int>> pairs(const CVXLStringMap& map)
{
    std::vector<std::pair<std::string, int>> out;
    for (CVXLIndexIterator it = map.begin(); it != map.end(); it.advance())
        out.emplace_back(it.key().c_str(), static_cast<Item*>(it.value())->id);
    return out;
}

TEST(VXLStringMap, LookupExactOrIgnoringCase)
{
    Item a(1);
    struct Case {
        bool ignoreCase;
        const char* key;
        bool found;
    };
    const Case cases[] = {
        {false, "Content-Type", true},
        {false, "CONTENT-TYPE", false},
        {false, "content-type", false},
        {true, "CONTENT-TYPE", true},
        {true, "content-type", true},
        {true, "Content-Typ", false},
        {true, "Content-Type ", false},
        {false, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + (c.ignoreCase ? " ignoring case" : " exact"));
        CVXLStringMap map;
        map.set("Content-Type", &a);
        map.setCaseInsensitive(c.ignoreCase);
        EXPECT_EQ(map.contains(c.key), c.found);
        EXPECT_EQ(map.find(c.key), c.found ? &a : nullptr);
    }
}

TEST(VXLStringMap, SetReplacesTheValueAndKeepsTheFirstKey)
{
    Item a(1), b(2), c(3);
    CVXLStringMap map(2);
    map.setCaseInsensitive(true);
    EXPECT_TRUE(map.set("Name", &a));
    EXPECT_TRUE(map.set("other", &b));
    EXPECT_TRUE(map.set("NAME", &c));
    EXPECT_EQ(map.count(), 2u);
    EXPECT_EQ(pairs(map), (std::vector<std::pair<std::string, int>> {{"Name", 3}, {"other", 2}}));
    EXPECT_EQ(a.id, 1); // the old value is untouched
}

TEST(VXLStringMap, InsertionOrderSurvivesRemoval)
{
    Item items[4] = {Item(1), Item(2), Item(3), Item(4)};
    CVXLStringMap map;
    const char* keys[] = {"d", "b", "a", "c"};
    for (int i = 0; i < 4; ++i)
        map.set(keys[i], &items[i]);
    EXPECT_TRUE(map.remove("b"));
    EXPECT_FALSE(map.remove("b"));
    EXPECT_EQ(pairs(map), (std::vector<std::pair<std::string, int>> {{"d", 1}, {"a", 3}, {"c", 4}}));
    EXPECT_EQ(*map.keyAt(2), "c");
    EXPECT_EQ(map.keyAt(3), nullptr);
    EXPECT_EQ(map.valueAt(-1), nullptr);
}

TEST(VXLStringMap, ValuesAreDeletedOnlyWhenAsked)
{
    int dtors = 0;
    {
        CVXLStringMap map;
        auto* kept = new Item(1, &dtors);
        map.set("kept", kept);
        map.set("removed", new Item(2, &dtors));
        auto* removed = static_cast<Item*>(map.find("removed"));
        map.remove("removed");
        EXPECT_EQ(dtors, 0);
        delete removed;

        map.removeAll(false);
        EXPECT_EQ(map.count(), 0u);
        EXPECT_EQ(dtors, 1);
        map.set("again", kept);
        map.clear(); // with values
        EXPECT_EQ(dtors, 2);

        map.set("left", new Item(3, &dtors));
        delete static_cast<Item*>(map.find("left")); // the destructor leaves values alone
    }
    EXPECT_EQ(dtors, 3);
}

TEST(VXLStringMap, IndexIteratorStopsAtTheCount)
{
    Item a(1), b(2);
    CVXLStringMap map;
    map.set("a", &a);
    map.set("b", &b);
    CVXLIndexIterator it = map.begin();
    EXPECT_FALSE(it.atEnd());
    it.next();
    EXPECT_EQ(it.key(), "b");
    it.next();
    EXPECT_TRUE(it.atEnd());
    it.next();
    EXPECT_EQ(it.index(), 2u); // never past the count
    EXPECT_EQ(it.value(), nullptr);
    EXPECT_EQ(it.key(), "");
    EXPECT_FALSE(it != map.end());
    it.first();
    EXPECT_EQ(it.value(), &a);

    CVXLIndexIterator copy = map.end();
    copy = it;
    EXPECT_FALSE(copy != it);

    map.remove("a");
    map.remove("b");
    EXPECT_TRUE(it.atEnd()); // the map shrank under the iterator
    EXPECT_EQ(it.value(), nullptr);
}

// Large maps find keys through an index; every lookup must still answer as
// a front-to-back search of the pairs in insertion order would.
// Pairs appended without a search are found, ordered and replaced as set
// ones are, on either side of the size where the hash index begins.
TEST(VXLStringMap, AppendedPairsAnswerAsSetOnes)
{
    std::vector<Item> items(40);
    CVXLStringMap map;
    for (int i = 0; i < 40; ++i) {
        items[static_cast<std::size_t>(i)].id = i;
        const std::string key = "Key-" + std::to_string(i);
        ASSERT_TRUE(i % 2 ? map.append(key.c_str(), &items[static_cast<std::size_t>(i)])
                          : map.set(key.c_str(), &items[static_cast<std::size_t>(i)]));
        for (int k = 0; k <= i; ++k) {
            const auto* found = static_cast<Item*>(map.find(("Key-" + std::to_string(k)).c_str()));
            ASSERT_NE(found, nullptr) << k << " after " << i;
            EXPECT_EQ(found->id, k);
        }
    }
    Item replacement(99);
    ASSERT_TRUE(map.set("Key-7", &replacement));
    EXPECT_EQ(map.count(), 40u);
    EXPECT_EQ(static_cast<Item*>(map.find("Key-7"))->id, 99);
    map.setCaseInsensitive(true);
    EXPECT_EQ(static_cast<Item*>(map.find("KEY-33"))->id, 33);
    map.setCaseInsensitive(false);
    ASSERT_TRUE(map.remove("Key-0"));
    EXPECT_EQ(pairs(map).front(), (std::pair<std::string, int>("Key-1", 1)));
    EXPECT_EQ(pairs(map).back(), (std::pair<std::string, int>("Key-39", 39)));
}

TEST(VXLStringMap, LargeMapsAnswerAsALinearSearchWould)
{
    std::vector<Item> items(600);
    std::vector<std::string> keys; // the model: insertion order, minus removals
    CVXLStringMap map;
    auto key = [](int i) {
        // Every third key differs from an earlier one only in case.
        return (i % 3 == 2 ? "x-Header-" : "X-Header-") + std::to_string(i % 3 == 2 ? i - 1 : i);
    };
    for (int i = 0; i < 600; ++i) {
        items[static_cast<std::size_t>(i)].id = i;
        ASSERT_TRUE(map.set(key(i).c_str(), &items[static_cast<std::size_t>(i)]));
        keys.push_back(key(i));
    }
    // Removals from the front, the middle and the end renumber the pairs.
    for (int i : {0, 1, 299, 300, 301, 598, 599, 451}) {
        ASSERT_TRUE(map.remove(key(i).c_str()));
        keys.erase(std::find(keys.begin(), keys.end(), key(i)));
    }
    ASSERT_EQ(map.count(), keys.size());
    auto firstMatch = [&](const std::string& wanted, bool ignoreCase) {
        for (std::size_t i = 0; i < keys.size(); ++i) {
            if (ignoreCase ? strcasecmp(keys[i].c_str(), wanted.c_str()) == 0 : keys[i] == wanted)
                return std::stoi(keys[i].substr(keys[i].rfind('-') + 1)) + (keys[i][0] == 'x' ? 1 : 0);
        }
        return -1;
    };
    for (bool ignoreCase : {false, true}) {
        map.setCaseInsensitive(ignoreCase);
        for (int i = 0; i < 602; ++i) {
            for (const std::string& wanted :
                {key(i), "X-HEADER-" + std::to_string(i), "x-header-" + std::to_string(i)}) {
                SCOPED_TRACE(wanted + (ignoreCase ? " ignoring case" : " exactly"));
                const auto* found = static_cast<Item*>(map.find(wanted.c_str()));
                EXPECT_EQ(found ? found->id : -1, firstMatch(wanted, ignoreCase));
            }
        }
    }
    map.setCaseInsensitive(false);
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(keys[i], map.keyAt(static_cast<int>(i))->c_str());
}

} // namespace
