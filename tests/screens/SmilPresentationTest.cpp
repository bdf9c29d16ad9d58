#include "engine/media/VXLMediaRef.h"
#include "engine/screens/VXLSlideMediaItem.h"
#include "engine/screens/VXLSlideNavigator.h"
#include "engine/screens/VXLSlideView.h"
#include "engine/screens/VXLSmilParser.h"
#include "engine/screens/VXLSmilPresentation.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/SmilDump.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kCorpus = std::string(TESSEL_SOURCE_DIR) + "/tests/screens/data/smil";

std::vector<std::string> corpusFiles()
{
    std::vector<std::string> files;
    if (DIR* dir = ::opendir(kCorpus.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() > 5 && name.substr(name.size() - 5) == ".smil")
                files.push_back(kCorpus + "/" + name);
        }
        ::closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string parsed(const std::string& text)
{
    CVXLSmilPresentation presentation;
    CVXLSmilParser parser;
    EXPECT_EQ(parser.parse(text.data(), static_cast<std::uint32_t>(text.size()), presentation), 1);
    return smilDump(presentation);
}

} // namespace

TEST(SmilParser, EveryCorpusFileIsValidXmlAndReadsAsTheIndependentCheckerReadsIt)
{
    TESSEL_REQUIRE_TOOL(testToolXmllint());
    const std::vector<std::string> files = corpusFiles();
    ASSERT_GE(files.size(), 8u);
    std::string command = testPython() + " '" + TESSEL_SOURCE_DIR + "/tests/screens/smil_check.py'";
    std::string expected;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const TestCommandResult lint = testRunCommand("xmllint --noout --nonet '" + file + "' 2>&1");
        EXPECT_EQ(lint.status, 0) << lint.output;
        command += " '" + file + "'";
        expected += "== " + file + "\n" + parsed(fileText(file));
    }
    const TestCommandResult checker = testRunCommand(command);
    ASSERT_EQ(checker.status, 0) << checker.output;
    EXPECT_EQ(expected, checker.output);
}

TEST(SmilParser, TimesAndPercentagesFollowTheirRules)
{
    struct Case {
        const char* text;
        std::int32_t time;
        std::int32_t percent;
        std::int32_t edge; // top or left
        std::int32_t size; // width or height
    };
    const Case cases[] = {
        {"5000ms", 5000, 5000, 5000, 5000},
        {"5s", 5000, 5, 5, 5},
        {"2.5s", 5000, 2, 2, 2},
        {"250ms", 250, 250, 250, 250},
        {"1s500ms", 500, 1, 1, 1},
        {"indefinite", 0, 0, 0, 0},
        {"", 0, 0, 0, 0},
        {"50%", 0, 50, 50, 50},
        {"12.5%", 0, 5, 5, 5},
        {"80", 0, 80, 80, 80},
        {" 80", 0, 0, 0, 0},
        {"176px", 0, 176, 0, 100},
        {"10%px", 0, 10, 10, 10},
        {"7px%", 0, 7, 0, 100},
        {"-20", 0, 0, 0, 0},
        // Past the largest int every value stays there.
        {"99999999999ms", 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
        {"3000000s", 0x7FFFFFFF, 3000000, 3000000, 3000000},
        {"99999999999%", 0, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CVXLSmilParser::timeOf(c.text), c.time);
        EXPECT_EQ(CVXLSmilParser::percentOf(c.text), c.percent);
        EXPECT_EQ(CVXLSmilParser::edgeOf(c.text, 0), c.edge);
        EXPECT_EQ(CVXLSmilParser::edgeOf(c.text, 100), c.size);
    }
}

TEST(SmilParser, HostileTextKeepsWhatFitsAndDropsTheRest)
{
    const std::string nested = [] {
        std::string text = "<smil><body>";
        for (int i = 0; i < 100000; ++i)
            text += "<par>";
        text += "<img src='deep'/>";
        for (int i = 0; i < 100000; ++i)
            text += "</par>";
        return text + "</body></smil>";
    }();
    struct Case {
        const char* what;
        std::string text;
        const char* dump;
    };
    const Case cases[] = {
        {"a medium directly in the body belongs to no slide",
            "<smil><body><img src='a'/><par><text src='t'/></par><audio src='b'/></body></smil>",
            "slides 1\nslide 1 visual 0 par dur 0 children 0\n"
            "media text src \"t\" region \"\" id \"\" begin 0 end 0\n"},
        {"an end tag that matches nothing stops the reader, keeping the slide before it",
            "<smil><body><par><img src='a'/></par></par><par><img src='b'/></par></body></smil>",
            "slides 1\nslide 1 visual 1 par dur 0 children 0\n"
            "media img src \"a\" region \"\" id \"\" begin 0 end 0\n"},
        {"a later region of the same id replaces the earlier one",
            "<smil><head><layout><region id='R' top='1'/><region id='S'/><region id='R' top='2'/>"
            "</layout></head></smil>",
            "slides 0\nregion R top 2 left 0 width 0 height 0 fit 0\n"
            "region S top 0 left 0 width 0 height 0 fit 0\n"},
        {"attributes with no object of their kind",
            "<smil dur='5s' src='x'><param name='n' value='v'/><body top='5'><par><param value='w'/>"
            "<img src='i'/></par></body></smil>",
            "slides 1\nslide 1 visual 1 par dur 0 children 0\n"
            "media img src \"i\" region \"\" id \"\" begin 0 end 0\n"},
        {"a document cut inside a slide keeps no part of it",
            "<smil><body><par dur='1s'><img src='a'/><par><text src='t'/>", "slides 0\n"},
        {"100,000 nested par: the reader stops at its depth limit and nothing is kept", nested, "slides 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(parsed(c.text), c.dump);
    }
}

// The callbacks directly, past what a well-formed document can say.
TEST(SmilParser, CallbacksOutOfOrderAreHarmless)
{
    CVXLSmilPresentation presentation;
    {
        CVXLSmilParser parser;
        parser.parse("", 0, presentation);
        parser.onElement("par", false);
        parser.onElement("seq", false);
        parser.onElement("region", false);
        parser.onElement("img", false);
        parser.onAttribute("src", "nowhere");
        parser.onElement("img", true);
        parser.onElement("video", true); // replaces the unfinished picture
        parser.onAttribute("src", "v");
        parser.onElement("video", false); // no container: dropped
        parser.onElement("region", true);
        parser.onElement("region", true); // replaces the unfinished region
        parser.onAttribute("id", "kept");
        parser.onElement("par", true);
        parser.onElement("img", true);
        // Left open: the parser deletes them.
    }
    EXPECT_EQ(presentation.slideCount(), 0u);

    // A presentation 100,000 nodes deep is freed without recursion.
    auto* top = new CVXLSmilNode(true);
    CVXLSmilNode* inner = top;
    for (int i = 0; i < 100000; ++i) {
        auto* child = new CVXLSmilNode(false);
        inner->addChild(child);
        inner = child;
    }
    inner->addMedia(new CVXLSmilMedia(kSmilImage));
    ASSERT_TRUE(presentation.appendSlide(top, true));
    presentation.clear();
    EXPECT_EQ(presentation.slides().count(), 0u);
}

TEST(SmilParser, EveryPrefixOfACorpusFileParsesSafely)
{
    for (const std::string& file : corpusFiles()) {
        SCOPED_TRACE(file);
        const std::string text = fileText(file);
        CVXLSmilParser parser;
        for (std::size_t n = 0; n <= text.size(); ++n) {
            CVXLSmilPresentation presentation;
            parser.parse(text.data(), static_cast<std::uint32_t>(n), presentation);
            ASSERT_LE(presentation.slideCount(), 4u);
        }
    }
}

namespace {

// Slides by what they hold: 'v' visual, 't' text only.
void buildSlides(CVXLSmilPresentation& presentation, const char* kinds)
{
    presentation.clear();
    std::int32_t visual = 0;
    for (const char* k = kinds; *k; ++k) {
        auto* slide = new CVXLSmilNode(false);
        slide->addMedia(new CVXLSmilMedia(*k == 'v' ? kSmilImage : kSmilText));
        slide->dur = 1000 * static_cast<std::int32_t>(k - kinds + 1);
        presentation.appendSlide(slide, true);
        if (*k == 'v')
            slide->visualNumber = ++visual;
    }
}

} // namespace

TEST(SlideNavigator, WalksAllOrVisualSlidesAndWrapsBothWays)
{
    enum Step { kFirst, kNext, kPrevious };
    struct Case {
        const char* what;
        const char* slides;
        bool all;
        std::vector<Step> steps;
        std::int32_t position; // of the view after the steps: 0 for none
        std::int32_t duration;
        std::uint32_t count;
        bool further;
    };
    const Case cases[] = {
        {"all: first", "vtv", true, {kFirst}, 1, 1000, 3, true},
        {"all: next", "vtv", true, {kFirst, kNext}, 2, 2000, 3, true},
        {"all: next from the last wraps", "vtv", true, {kFirst, kNext, kNext, kNext}, 1, 1000, 3, true},
        {"all: previous from the first wraps", "vtv", true, {kFirst, kPrevious}, 3, 3000, 3, false},
        {"visual: first skips a text slide", "tv", false, {kFirst}, 1, 2000, 1, false},
        {"visual: next of the only visual wraps to it", "tv", false, {kFirst, kNext}, 1, 2000, 1, false},
        {"visual: previous wraps to the last visual", "vtvt", false, {kFirst, kPrevious}, 2, 3000, 2, false},
        {"visual: a visual slide further on", "vtvt", false, {kFirst}, 1, 1000, 2, true},
        {"visual: no visual slide", "tt", false, {kFirst, kNext, kPrevious}, 0, 0, 0, false},
        {"no slides at all", "", true, {kFirst, kNext, kPrevious}, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLSmilPresentation presentation;
        buildSlides(presentation, c.slides);
        CVXLSlideNavigator navigator(c.all);
        navigator.attach(&presentation);
        for (Step step : c.steps) {
            if (step == kFirst)
                navigator.first();
            else if (step == kNext)
                navigator.next();
            else
                navigator.previous();
        }
        CVXLSlideView* view = navigator.currentView();
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view->position, c.position);
        EXPECT_EQ(view->duration, c.duration);
        EXPECT_EQ(view->media.count(), c.position ? 1u : 0u);
        EXPECT_EQ(navigator.count(), c.count);
        EXPECT_EQ(navigator.hasFurther(), c.further);
        // A second view replaces the first.
        EXPECT_NE(navigator.currentView(), nullptr);
    }

    CVXLSlideNavigator unattached;
    unattached.first();
    unattached.next();
    unattached.previous();
    EXPECT_EQ(unattached.count(), 0u);
    EXPECT_FALSE(unattached.hasFurther());
    ASSERT_NE(unattached.currentView(), nullptr);
    EXPECT_EQ(unattached.currentView()->media.count(), 0u);
}

TEST(SlideMediaItem, LocksValuesAndVideoPreview)
{
    CVXLSlideMediaItem item;
    EXPECT_EQ(item.elementType(), 10u);
    EXPECT_FALSE(item.changed());
    item.setValues(100, 100, 0, 0);
    EXPECT_TRUE(item.changed());
    item.commit();
    EXPECT_FALSE(item.changed());
    EXPECT_EQ(item.value(0), 100);

    item.setAssignLocked(true);
    EXPECT_TRUE(item.assignLocked());
    EXPECT_FALSE(item.saveLocked());
    item.setAssignLocked(false);
    item.setSaveLocked(true);
    EXPECT_TRUE(item.saveLocked());
    EXPECT_TRUE(item.assignLocked());

    CVXLEventHandler source;
    CVXLMediaRefHandle picture;
    picture.setMimeType("image/png");
    picture.addEntry("p", "image/png", &source, -1, -1, 10, true);
    item.setMedium(picture);
    EXPECT_TRUE(item.changed());
    EXPECT_FALSE(item.preview());

    CVXLMediaRefHandle video;
    video.setMimeType("video/3gpp");
    video.addEntry("clip", "video/3gpp", &source, -1, -1, 1000, true);
    item.setMedium(video);
    ASSERT_TRUE(item.preview());
    EXPECT_STREQ(item.preview().get()->rendition(0).mimeType.c_str(), "image/jpeg");
    EXPECT_STREQ(item.preview().get()->rendition(0).location.c_str(), "clip");
    EXPECT_EQ(item.preview().get()->value(), 1);
}
