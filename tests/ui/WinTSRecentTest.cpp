#include "ui/WinTSRecent.h"
#include "platform/kernel/Registry.h"
#include "platform/kernel/TextCodec.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/WinTSRegistry.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::u16string>;
// Registry values of section Recent by slot; a slot not named has no value.
using Slots = std::map<int, std::u16string>;

std::u16string slot(int i)
{
    return u"SLOT" + tessel::kernel::utf8ToWide(std::to_string(i));
}

Texts listed(const CWinTSRecent& recent)
{
    Texts texts;
    for (int i = 0; i < recent.Count(); ++i)
        texts.push_back(recent.Get(i));
    return texts;
}

// Every SLOT value present, "-" for a missing one.
Texts stored()
{
    Texts values;
    for (int i = 0; i < 12; ++i) {
        std::u16string text;
        values.push_back(registryRead(u"Recent", slot(i), &text) ? text : u"-");
    }
    return values;
}

Texts numbered(const char16_t* stem, int from, int to)
{
    Texts texts;
    for (int i = from; i <= to; ++i)
        texts.push_back(stem + tessel::kernel::utf8ToWide(std::to_string(i)));
    return texts;
}

TEST(WinTSRecent, NewestFirstKeptInPlaceAndWrittenOnlyWhenChanged)
{
    struct Case {
        const char* name;
        std::uint32_t size; // 0: no "Size" value
        Slots before;
        Texts added;
        Texts memory;
        Texts after; // SLOT0 to SLOT11 once the list is gone
    };
    const Texts eleven = numbered(u"a", 0, 10);
    Texts elevenNewestFirst(eleven.rbegin(), eleven.rend() - 1);
    Texts elevenStored = elevenNewestFirst;
    elevenStored.insert(elevenStored.end(), {u"-", u"-"});
    Texts sizeThree = numbered(u"n", 1, 8);
    sizeThree = Texts(sizeThree.rbegin(), sizeThree.rend());
    sizeThree.insert(sizeThree.end(), {u"s0", u"s1"});
    Texts sizeThreeStored = sizeThree;
    sizeThreeStored.insert(sizeThreeStored.end(), {u"-", u"-"});
    const Case cases[] = {
        {"an address already listed keeps its place", 0, {{0, u"a"}, {1, u"b"}}, {u"b"}, {u"a", u"b"},
            {u"a", u"b", u"-", u"-", u"-", u"-", u"-", u"-", u"-", u"-", u"-", u"-"}},
        {"an eleventh address drops the oldest", 0, {}, eleven, elevenNewestFirst, elevenStored},
        {"Size 3 reads three slots but holds and writes ten", 3,
            {{0, u"s0"}, {1, u"s1"}, {2, u"s2"}, {3, u"s3"}}, numbered(u"n", 1, 8), sizeThree,
            sizeThreeStored},
        {"an empty slot leaves no gap and a save clears the slots left free", 0,
            {{0, u""}, {1, u"x"}, {5, u"old"}, {10, u"beyond"}}, {u"y"}, {u"y", u"x", u"old"},
            {u"y", u"x", u"old", u"", u"", u"", u"", u"", u"", u"", u"beyond", u"-"}},
        {"a size above ten reads ten", 40, {{9, u"nine"}, {10, u"ten"}}, {}, {u"nine"},
            {u"-", u"-", u"-", u"-", u"-", u"-", u"-", u"-", u"-", u"nine", u"ten", u"-"}},
        {"a list that only loaded writes nothing", 0, {{0, u"a"}, {3, u"z"}}, {}, {u"a", u"z"},
            {u"a", u"-", u"-", u"z", u"-", u"-", u"-", u"-", u"-", u"-", u"-", u"-"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDeviceRoot root;
        if (c.size)
            registryWriteDword(u"Recent", u"Size", c.size);
        for (const auto& [index, text] : c.before)
            registryWrite(u"Recent", slot(index), text);
        {
            CWinTSRecent recent;
            for (const std::u16string& address : c.added)
                recent.Add(address);
            EXPECT_EQ(listed(recent), c.memory);
            EXPECT_EQ(recent.Get(recent.Count()), u"") << "past the used slots";
            EXPECT_EQ(recent.Get(-1), u"");
        }
        EXPECT_EQ(stored(), c.after);
        std::uint32_t size = 0;
        registryReadDword(u"Recent", u"Size", &size, 0);
        EXPECT_EQ(size, c.size) << "Size is never written";
    }
}

TEST(WinTSRecent, ASaveAfterAGapResurrectsNothing)
{
    TempDeviceRoot root;
    registryWrite(u"Recent", slot(0), u"");
    registryWrite(u"Recent", slot(1), u"");
    registryWrite(u"Recent", slot(2), u"a@example.com");
    {
        CWinTSRecent recent;
        ASSERT_EQ(listed(recent), (Texts {u"a@example.com"}));
        recent.Add(u"4255550100");
    }
    CWinTSRecent again;
    EXPECT_EQ(listed(again), (Texts {u"4255550100", u"a@example.com"}))
        << "the address written from slot 0 on is not read a second time from its old slot";
}

} // namespace
