#include "ui/Elements/WinTSElementText.h"
#include "engine/screens/VXLDisplayTextElement.h"
#include "platform/kernel/TextCodec.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/ui/Elements/ElementHost.h"
#include "ui/WinTSHelpers.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace tessel;

// A text element over its own display text, 200 pixels wide.
struct TextField {
    explicit TextField(const char* text)
    {
        value.setRecordText(text);
        element = std::make_unique<CWinTSElementText>(ElementHost::link());
        element->Create(&host, &value, ui::Rect {0, 0, 200, 100}, 0xE00, 0);
    }
    ~TextField() { element.reset(); }
    void show(const char* text)
    {
        value.setRecordText(text);
        element->Refresh(&value);
    }

    ElementHost host;
    CVXLDisplayTextElement value;
    std::unique_ptr<CWinTSElementText> element;
};

TEST(WinTSElementText, AnEmptyTextIsHiddenAndStillTellsItsHeight)
{
    TempDeviceRoot root;
    TextField field("");
    const std::int64_t empty
        = CWinTSElementText::kMargin + CWinTSElementText::kTextPadding + CWinTSElementText::kBottomPadding;
    EXPECT_EQ(field.host.heights(), std::vector<std::int64_t> {empty}) << "no lines, its padding only";
    EXPECT_FALSE(field.element->text().visible());

    field.show("Hello");
    EXPECT_TRUE(field.element->text().visible());
    EXPECT_EQ(field.element->text().text(), u"Hello");
    const std::vector<std::int64_t> one = field.host.heights();
    ASSERT_EQ(one.size(), 1u);
    EXPECT_GT(one[0], empty);

    field.show("");
    EXPECT_FALSE(field.element->text().visible());
    EXPECT_EQ(field.host.heights(), std::vector<std::int64_t> {empty});
}

TEST(WinTSElementText, ThreeWrappedLinesPostTwoLinesMoreAndTheSameTextPostsNothing)
{
    TempDeviceRoot root;
    TextField field("One line");
    const std::vector<std::int64_t> first = field.host.heights();
    ASSERT_EQ(first.size(), 1u);

    // Three words each wider than half the text's width: one per line.
    const std::shared_ptr<ui::Font> font = CWinTSElement::RegistryFont(u"ElementText");
    const int width = field.element->textRect().width();
    const auto widthOf = [&](const std::u16string& word) {
        ui::Rect box {0, 0, width, 0};
        MeasureText(word, &box, font, true);
        return box.width();
    };
    std::u16string word = u"W";
    while (widthOf(word) <= width / 2)
        word += u"w";
    ASSERT_LT(widthOf(word), width);
    const std::string text = kernel::wideToUtf8(word + u" " + word + u" " + word);
    field.show(text.c_str());
    EXPECT_EQ(field.host.heights(), std::vector<std::int64_t> {first[0] + 2 * font->lineHeight()});
    EXPECT_EQ(field.element->text().windowRect().height(),
        3 * font->lineHeight() + CWinTSElementText::kTextPadding);

    field.show(text.c_str());
    EXPECT_TRUE(field.host.heights().empty()) << "the same text posts nothing";
    field.element->Layout(field.element->contentRect());
    EXPECT_EQ(field.host.heights(), std::vector<std::int64_t> {first[0] + 2 * font->lineHeight()})
        << "a new layout tells its height again";
}

} // namespace
