#include "engine/screens/VXLListModel.h"

#include "engine/core/base/VXLElement.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class Item : public CVXLElement {
public:
    explicit Item(char name)
        : name(name)
    {
    }
    std::uint32_t elementType() const override { return kElementDisplayText; }
    char name;
};

// The list as one line: window, cursor, change, then each array slot as the
// item's name ("." for an empty one), with its absolute index.
std::string describe(const CVXLListModel& list)
{
    std::string out = "first " + std::to_string(list.first()) + " length " + std::to_string(list.length())
        + " cursor " + std::to_string(list.cursor()) + (list.isChanged() ? " changed" : " committed") + " [";
    for (std::uint32_t i = 0; i < list.slotCount(); ++i) {
        const std::int32_t absolute = list.first() + static_cast<std::int32_t>(i);
        const auto* item = static_cast<const Item*>(list.itemAt(absolute));
        out += item ? item->name : '.';
    }
    return out + "]";
}

struct Case {
    const char* what;
    std::function<std::string(CVXLListModel&, Item*)> run;
    const char* expected;
};

// items[0..3] are A, B, C, D.
const Case kCases[] = {
    {"a new list reports no change",
        [](CVXLListModel& l, Item*) { return describe(l) + " stop " + std::to_string(l.stopAtEnd()); },
        "first -1 length -1 cursor -1 committed [] stop 1"},
    {"clear with length 5 makes five empty positions",
        [](CVXLListModel& l, Item* items) {
            l.setWindow(0, 5);
            l.insertAt(&items[0], 2);
            l.clear();
            std::string has;
            for (int i = -1; i <= 5; ++i)
                has += l.hasItemAt(i) ? 'y' : 'n';
            return describe(l) + " " + has;
        },
        "first 0 length 5 cursor -1 committed [.....] nnnnnnn"},
    {"insertAt outside the window changes nothing",
        [](CVXLListModel& l, Item* items) {
            l.setWindow(10, 3);
            l.clear();
            const std::string results = std::to_string(l.insertAt(&items[0], 9))
                + std::to_string(l.insertAt(&items[1], 13)) + std::to_string(l.insertAt(&items[2], 12))
                + std::to_string(l.insertAt(&items[3], -1));
            return describe(l) + " " + results;
        },
        "first 10 length 3 cursor -1 committed [..C] 0010"},
    {"insertAt grows the array up to the position",
        [](CVXLListModel& l, Item* items) {
            l.setWindow(4, 6);
            l.insertAt(&items[1], 7);
            l.insertAt(&items[0], 4);
            return describe(l);
        },
        "first 4 length 6 cursor -1 committed [A..B]"},
    {"advance with stop-at-end ends at -1",
        [](CVXLListModel& l, Item*) {
            l.setWindow(0, 3);
            l.rewind();
            std::string cursors = std::to_string(l.cursor());
            for (int i = 0; i < 3; ++i) {
                l.advance();
                cursors += " " + std::to_string(l.cursor());
            }
            return describe(l) + " " + cursors;
        },
        "first 0 length 3 cursor -1 committed [] 0 1 2 -1"},
    {"advance without stop-at-end pages on",
        [](CVXLListModel& l, Item*) {
            l.setWindow(6, 3);
            const std::uint8_t before = l.setStopAtEnd(0);
            l.cursorToLast();
            const CVXLWindowedList copy = l.postIncrement();
            return describe(l) + " was " + std::to_string(copy.first()) + "/" + std::to_string(copy.cursor())
                + " stop " + std::to_string(before);
        },
        "first 9 length 3 cursor 0 changed [] was 6/2 stop 1"},
    {"an empty window rewinds to none and its last is 0",
        [](CVXLListModel& l, Item*) {
            l.setWindow(0, 0);
            l.rewind();
            const std::string rewound = std::to_string(l.cursor());
            l.cursorToLast();
            return describe(l) + " " + rewound;
        },
        "first 0 length 0 cursor 0 committed [] -1"},
    {"shiftDown at first 0 moves nothing",
        [](CVXLListModel& l, Item* items) {
            l.setWindow(0, 4);
            l.clear();
            l.insertAt(&items[0], 0);
            l.insertAt(&items[1], 1);
            l.shiftDown(2);
            return describe(l);
        },
        "first 0 length 4 cursor -1 committed [AB..]"},
    {"shiftDown keeps every item at its absolute index and stops at 0",
        [](CVXLListModel& l, Item* items) {
            l.setWindow(2, 4);
            l.clear();
            l.insertAt(&items[0], 2);
            l.insertAt(&items[1], 3);
            l.insertAt(&items[2], 5);
            l.shiftDown(5);
            const auto* at2 = static_cast<Item*>(l.itemAt(2));
            return describe(l) + " at 2 " + (at2 ? at2->name : '-');
        },
        "first 0 length 4 cursor -1 committed [..AB] at 2 A"},
    {"setAtPosition below first or past the end is refused",
        [](CVXLListModel& l, Item* items) {
            l.setWindow(10, 2);
            l.clear();
            const std::string results = std::to_string(l.setAtPosition(&items[0], 9))
                + std::to_string(l.setAtPosition(&items[1], -2147483647 - 1))
                + std::to_string(l.setAtPosition(&items[2], 12))
                + std::to_string(l.setAtPosition(&items[3], 11));
            return describe(l) + " " + results;
        },
        "first 10 length 2 cursor -1 committed [.D] 0001"},
    {"selectAt writes the index into the item; scroll commits",
        [](CVXLListModel& l, Item* items) {
            l.setWindow(20, 3);
            l.insertAt(&items[3], 21);
            const bool none = l.selectAt(20) == nullptr;
            CVXLElement* selected = l.selectAt(21);
            const std::string index = std::to_string(selected ? selected->indexWord() : -1);
            l.scroll(2);
            return describe(l) + " " + index + (none ? " none" : " some");
        },
        "first 22 length 3 cursor 2 committed [.D] 21 none"},
    {"applyToAll sets the valid flag of each item",
        [](CVXLListModel& l, Item* items) {
            l.setWindow(0, 3);
            l.clear();
            l.insertAt(&items[0], 0);
            l.insertAt(&items[2], 2);
            l.applyToAll(1);
            return describe(l) + " " + std::to_string(items[0].commitMark())
                + std::to_string(items[1].commitMark()) + std::to_string(items[2].commitMark()) + " end "
                + std::to_string(l.lastIndexPlusOne());
        },
        "first 0 length 3 cursor -1 committed [A.C] 101 end 3"},
    {"a moved window is a change until committed",
        [](CVXLListModel& l, Item*) {
            l.setWindow(0, 5);
            l.setFirst(5);
            const std::string moved = describe(l);
            l.commit();
            return moved + " / " + describe(l);
        },
        "first 5 length 5 cursor -1 changed [] / first 5 length 5 cursor -1 committed []"},
};

TEST(ListModel, WindowCursorAndItemsFollowTheirRules)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        Item items[] = {Item('A'), Item('B'), Item('C'), Item('D')};
        CVXLListModel list;
        EXPECT_EQ(c.run(list, items), c.expected);
    }
}

} // namespace
