// An outgoing message keeps the composing screen's outgoing fields: the
// screen walk of the outbound item, over a real scenario layout.
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/records/OutboundItem.h"
#include "engine/records/OutboundSummary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FieldRow {
    const char* id;
    const char* type;
    bool outgoing;
    std::vector<const char*> values;
};

struct GroupRow {
    const char* id;
    int listType;
    std::vector<std::string> values;
};

CScenarioLayout screenOf(const std::vector<FieldRow>& rows)
{
    CScenarioLayout screen;
    screen.setId("__vxl_sendto_recipients");
    screen.setCookie("c-17");
    for (const FieldRow& row : rows) {
        auto* field = new CScenarioField;
        field->setFieldId(row.id);
        field->fieldDescription().setType(row.type);
        field->setOutgoing(row.outgoing);
        for (const char* v : row.values)
            field->values().append(v);
        EXPECT_TRUE(screen.addField(field));
    }
    return screen;
}

std::vector<GroupRow> groupsOf(const COutboundItem& item)
{
    std::vector<GroupRow> groups;
    for (std::uint32_t i = 0; i < item.fieldGroupCount(); ++i) {
        const COutboundFieldGroup* g = item.fieldGroupAt(static_cast<int>(i));
        GroupRow row {g->fieldId.c_str(), g->listType, {}};
        for (std::uint32_t v = 0; v < g->values.count(); ++v)
            row.values.emplace_back(g->values.at(static_cast<int>(v)).c_str());
        groups.push_back(row);
    }
    return groups;
}

TEST(OutboundFieldGroups, EachOutgoingFieldOfTheScreenBecomesAGroupInOrder)
{
    struct Case {
        const char* name;
        std::vector<FieldRow> fields;
        std::vector<GroupRow> groups;
    };
    const Case cases[] = {
        {"texts kept for title, subject, albums, short message and address",
            {{"t", "title", true, {"T"}}, {"s", "subj", true, {"Hi", "there"}},
                {"al", "albums", true, {"a1"}}, {"m", "shortMsg", true, {"body"}},
                {"to", "addr", true, {"+1555"}}},
            {{"t", kFieldTitle, {"T"}}, {"s", kFieldSubject, {"Hi", "there"}}, {"al", kFieldAlbums, {"a1"}},
                {"m", kFieldShortMessage, {"body"}}, {"to", kFieldAddress, {"+1555"}}}},
        {"other list types keep no texts",
            {{"i", "images", true, {"IMG_1.jpg"}}, {"l", "addrList", true, {"x"}},
                {"k", "images,videos", true, {"y"}}, {"o", "whatever", true, {"z"}}},
            {{"i", kFieldImages, {}}, {"l", kFieldAddressList, {}}, {"k", kFieldTypeList, {}},
                {"o", kFieldOther, {}}}},
        {"fields that are not outgoing are left out",
            {{"h", "help", false, {"help"}}, {"m", "shortMsg", true, {"a"}}, {"x", "subj", false, {"b"}}},
            {{"m", kFieldShortMessage, {"a"}}}},
        {"a screen without fields gives none", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CScenarioLayout screen = screenOf(c.fields);
        COutboundItem item;
        ASSERT_TRUE(item.fillFieldGroups(screen));
        EXPECT_STREQ(item.scenarioId.c_str(), "__vxl_sendto_recipients");
        EXPECT_STREQ(item.cookie.c_str(), "c-17");
        const std::vector<GroupRow> groups = groupsOf(item);
        ASSERT_EQ(groups.size(), c.groups.size());
        for (std::size_t i = 0; i < groups.size(); ++i) {
            EXPECT_EQ(groups[i].id, std::string(c.groups[i].id));
            EXPECT_EQ(groups[i].listType, c.groups[i].listType);
            EXPECT_EQ(groups[i].values, c.groups[i].values);
        }
    }
}

// What the screen put in comes back from the item file, and the summary's
// text is the first subject group's.
TEST(OutboundFieldGroups, FilledGroupsSurviveTheItemFile)
{
    const CScenarioLayout screen = screenOf(
        {{"s", "subj", true, {"Hello ", "world"}}, {"to", "addr", true, {"+1555", "ann@example.com"}}});
    COutboundItem item;
    ASSERT_TRUE(item.fillFieldGroups(screen));
    CVXLByteBuffer bytes;
    ASSERT_TRUE(item.save(bytes));
    COutboundItem read;
    ASSERT_TRUE(read.load(bytes));
    EXPECT_STREQ(read.scenarioId.c_str(), "__vxl_sendto_recipients");
    EXPECT_STREQ(read.cookie.c_str(), "c-17");
    ASSERT_EQ(read.fieldGroupCount(), 2u);
    EXPECT_STREQ(read.fieldGroupAt(1)->fieldId.c_str(), "to");
    EXPECT_EQ(read.fieldGroupAt(1)->values.count(), 2u);
    COutboundSummary summary;
    ASSERT_TRUE(summary.fromItem(read));
    EXPECT_STREQ(summary.text.c_str(), "Hello world");
}

} // namespace
