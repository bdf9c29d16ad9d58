#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioField.h"

#include <gtest/gtest.h>

namespace {

TEST(ScenarioCodes, KeywordTables)
{
    struct Case {
        const char* value;
        std::int32_t type;
        std::uint32_t formats, modifiers, fonts;
        std::int32_t action;
    };
    const Case cases[] = {
        {"images", kFieldImages, 0, 0, 0, kActionNop},
        {"help", kFieldHelp, 0, 0, 0, kActionNop},
        {"images,videos", kFieldTypeList, 0, 0, 0, kActionNop},
        {"Images", kFieldOther, 0, 0, 0, kActionNop},
        {"send", kFieldOther, 0, 0, 0, kActionSend},
        {"view", kFieldOther, 0, 0, 0, kActionView},
        {"eml,tel", kFieldTypeList, kInputEmail | kInputPhone, 0, 0, kActionNop},
        {"npw", kFieldOther, 0, kModifierPw | kModifierNp, 0, kActionNop},
        {"icsncr", kFieldOther, 0, kModifierIcs | kModifierNcr, 0, kActionNop},
        {"bdit,un", kFieldTypeList, 0, 0, kFontBold | kFontItalic | kFontUnderline, kActionNop},
        {"", kFieldOther, 0, 0, 0, kActionNop},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(scenarioFieldTypeOf(c.value), c.type);
        EXPECT_EQ(scenarioInputFormatsOf(c.value), c.formats);
        EXPECT_EQ(scenarioModifiersOf(c.value), c.modifiers);
        EXPECT_EQ(scenarioFontsOf(c.value), c.fonts);
        EXPECT_EQ(scenarioActionOf(c.value), c.action);
    }
    EXPECT_TRUE(isRecipientVariable("__vxl_sendto_recipients"));
    EXPECT_TRUE(isRecipientVariable("__vxl_text_sendto_recipients"));
    EXPECT_FALSE(isRecipientVariable("__vxl_album_sendto_recipients"));
    EXPECT_FALSE(isRecipientVariable(nullptr));
}

TEST(ScenarioFieldDescription, CommaListsKeepEveryMember)
{
    CScenarioFieldDescription fieldDescription;
    fieldDescription.setMinList("1,,3");
    ASSERT_EQ(fieldDescription.minCount(), 3u);
    EXPECT_EQ(fieldDescription.minAt(0), 1);
    EXPECT_EQ(fieldDescription.minAt(1), 0);
    EXPECT_EQ(fieldDescription.minAt(2), 3);
    EXPECT_EQ(fieldDescription.minAt(3), 0);
    fieldDescription.setMaxList("");
    EXPECT_EQ(fieldDescription.maxCount(), 0u);
    fieldDescription.appendMax(-4);
    EXPECT_EQ(fieldDescription.maxAt(0), -4);

    fieldDescription.setType("images,videos");
    EXPECT_EQ(fieldDescription.typeCode(), kFieldTypeList);
    ASSERT_EQ(fieldDescription.typeNameCount(), 2u);
    EXPECT_EQ(fieldDescription.typeName(1), "videos");
    EXPECT_EQ(fieldDescription.typeIndex(kFieldVideos), 1);
    EXPECT_EQ(fieldDescription.typeIndex(kFieldAddress), -1);
    fieldDescription.setType("title");
    EXPECT_EQ(fieldDescription.typeNameCount(), 0u);
}

CScenarioField* field(const char* type, const char* min = "", const char* max = "", bool visible = true)
{
    auto* f = new CScenarioField();
    f->fieldDescription().setType(type);
    f->fieldDescription().setMinList(min);
    f->fieldDescription().setMaxList(max);
    f->fieldDescription().setVisible(visible);
    return f;
}

TEST(ScenarioLayout, FieldsAndFindField)
{
    CScenarioLayout layout;
    ASSERT_TRUE(layout.addField(field("title")));
    ASSERT_TRUE(layout.addField(field("images,videos")));
    EXPECT_FALSE(layout.addField(nullptr));
    EXPECT_EQ(layout.fieldCount(), 2u);
    EXPECT_EQ(layout.fieldAt(2), nullptr);
    EXPECT_EQ(layout.findField(kFieldImages), layout.fieldAt(1));
    EXPECT_EQ(layout.findField(kFieldVideos), layout.fieldAt(1));
    EXPECT_EQ(layout.findField(kFieldTitle), layout.fieldAt(0));
    EXPECT_EQ(layout.findField(kFieldAddress), nullptr);
    EXPECT_FALSE(layout.onlyHelpOrTitleVisible());
    layout.fieldAt(1)->fieldDescription().setVisible(false);
    EXPECT_TRUE(layout.onlyHelpOrTitleVisible());
}

TEST(ScenarioLayout, CopiesAreDeepAndResetsClearWhatTheySay)
{
    CScenarioLayout layout;
    layout.setId("s");
    layout.setDestinationUrl("http://d");
    layout.setIsConfiguration(true);
    layout.setHasConfiguration(true);
    layout.configLink().setConfigured(true);
    layout.configLink().setKind(kLinkScenario);
    layout.configLink().setLink("cfg");
    layout.addField(field("images", "1", "2"));
    layout.fieldAt(0)->values().append("v");

    CScenarioLayout copy(layout);
    layout.fieldAt(0)->fieldDescription().setMinList("9");
    layout.fieldAt(0)->values().append("w");
    EXPECT_EQ(copy.fieldAt(0)->fieldDescription().minAt(0), 1);
    EXPECT_EQ(copy.fieldAt(0)->values().count(), 1u);
    EXPECT_NE(copy.fieldAt(0), layout.fieldAt(0));

    copy.reset();
    EXPECT_EQ(copy.fieldCount(), 0u);
    EXPECT_FALSE(copy.isConfiguration());
    EXPECT_EQ(copy.destinationUrl(), "http://d");

    copy = layout;
    copy.resetForLoad();
    EXPECT_EQ(copy.id(), "");
    EXPECT_EQ(copy.destinationUrl(), "");
    EXPECT_FALSE(copy.configLink().configured());
    EXPECT_EQ(copy.configLink().link(), "");
    EXPECT_EQ(copy.configLink().kind(), kLinkScenario);
    EXPECT_TRUE(copy.hasConfiguration());
}

// The readings that the scenario program's built-ins rely on.
TEST(ScenarioLayout, ConfigurationAndMediaReadings)
{
    struct Case {
        const char* name;
        bool hasConfiguration, configured;
        std::int32_t kind;
        const char* link;
        bool isConfigured, hasConfigScenario, byUrl;
    };
    const Case configs[] = {
        {"no configuration", false, false, kLinkHttp, "", true, false, true},
        {"web page not yet visited", true, false, kLinkHttp, "http://c", false, true, true},
        {"scenario not yet run", true, false, kLinkScenario, "setup", false, true, false},
        {"scenario done", true, true, kLinkScenario, "setup", true, true, false},
        {"configuration without a link", true, false, kLinkScenario, "", false, false, true},
    };
    for (const Case& c : configs) {
        SCOPED_TRACE(c.name);
        CScenarioLayout layout;
        layout.setHasConfiguration(c.hasConfiguration);
        layout.configLink().setConfigured(c.configured);
        layout.configLink().setKind(c.kind);
        layout.configLink().setLink(c.link);
        EXPECT_EQ(layout.isConfigured(), c.isConfigured);
        EXPECT_EQ(layout.hasConfigScenario(), c.hasConfigScenario);
        EXPECT_EQ(layout.configScenario(), c.hasConfigScenario ? c.link : "");
        EXPECT_EQ(layout.configScenarioUrlCheck(), c.byUrl);
    }

    struct MediaCase {
        const char* type;
        const char* min;
        const char* max;
        bool image, video, textOnly;
    };
    const MediaCase media[] = {
        {"images", "", "", true, false, false},
        {"images,videos,shortMsg", "0,0", "5,0,1", true, false, true},
        {"images,videos,shortMsg", "0,1", "5,,1", true, true, false},
        {"shortMsg", "", "0", false, false, false},
        {"addr", "", "", false, false, false},
    };
    for (const MediaCase& c : media) {
        SCOPED_TRACE(std::string(c.type) + " min " + c.min + " max " + c.max);
        CScenarioLayout layout;
        layout.addField(field(c.type, c.min, c.max));
        EXPECT_EQ(layout.supportsImage(), c.image);
        EXPECT_EQ(layout.supportsVideo(), c.video);
        EXPECT_EQ(layout.supportsTextOnly(), c.textOnly);
    }
}

TEST(ScenarioLabel, CaptionFollowsTheChoice)
{
    CScenarioLabel label;
    label.captions().setFirst("Add");
    label.captions().setSecond("Change");
    EXPECT_EQ(label.caption(), "Change");
    label.captions().setChoice(true);
    EXPECT_EQ(label.caption(), "Add");
    label.setActionFromKeyword(true, "cancel");
    label.setActionFromKeyword(false, "unknown");
    EXPECT_EQ(label.actions().trueAction(), kActionCancel);
    EXPECT_EQ(label.actions().falseAction(), kActionNop);

    CScenarioFieldDescription fieldDescription;
    fieldDescription.setLeftSoftKey(label);
    EXPECT_EQ(fieldDescription.leftSoftKey().caption(), "Add");
    EXPECT_EQ(fieldDescription.rightSoftKey().actions().trueAction(), kActionUnset);
}

} // namespace
