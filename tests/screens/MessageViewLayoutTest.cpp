// The message view's screen (type 15): its commands per state, typed from the
// product's table; what a link in the slide's text changes; and which
// commands can be submitted for the message, the slides and the slide's media.
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLLayoutMessageView.h"
#include "engine/screens/VXLSlideMediaItem.h"
#include "engine/screens/VXLSlideNavigator.h"
#include "engine/screens/VXLSmilPresentation.h"
#include "engine/screens/VXLUiJob.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class Owner : public CVXLUiJob {
public:
    int typeId() const override { return 35; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;
};

// The texts come from a real engine.
class MessageViewLayoutTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(engine.create());
        owner.setPool(engine.client()->getUiJobPool());
        layout.setOwner(&owner);
        layout.setNavigator(&navigator);
        layout.setLinkFlag(&link);
        layout.setTitle("+15550101");
    }
    // Slides of the presentation: 'v' a picture, 't' a text.
    void slides(const char* kinds)
    {
        presentation.clear();
        for (const char* k = kinds; *k; ++k) {
            auto* slide = new CVXLSmilNode(false);
            slide->addMedia(new CVXLSmilMedia(*k == 'v' ? kSmilImage : kSmilText));
            presentation.appendSlide(slide, true);
        }
        navigator.attach(&presentation);
        navigator.first();
    }

    EngineDriver engine;
    Owner owner;
    CVXLSmilPresentation presentation;
    CVXLSlideNavigator navigator;
    std::uint8_t link = 0;
    CVXLLayoutMessageView layout;
};

TEST_F(MessageViewLayoutTest, EachStateShowsItsTitleAndCommands)
{
    EXPECT_EQ(layout.getCommandCount(), 85u);
    EXPECT_EQ(layout.layoutType(), 15u);
    struct Case {
        std::uint32_t state;
        const char* text;
    };
    // With no message, slides or media, what cannot be submitted is marked.
    const Case cases[] = {
        {0,
            "+15550101 | left Reply, -menu Reply All, -menu Forward, -menu Save Media, -menu Assign Media, "
            "menu Save "
            "Message, -menu Print Media, menu Delete, -menu Next Slide, -menu Previous Slide, -menu Follow "
            "Url, -menu "
            "View Media, hard Back, hard Exit"},
        {1,
            "Sent Mail | -menu Forward, -menu Save Media, -menu Assign Media, menu Save Message, -menu Print "
            "Media, "
            "menu Delete, -menu Next Slide, -menu Previous Slide, -menu Follow Url, hard Back, hard Exit"},
        {2,
            "Saved Mail | left Reply, -menu Reply All, -menu Forward, -menu Save Media, -menu Assign Media, "
            "menu Save "
            "Message, -menu Print Media, menu Delete, -menu Next Slide, -menu Previous Slide, -menu Follow "
            "Url, hard "
            "Back, hard Exit"},
        {8,
            "Inbox | left Reply, -menu Reply All, -menu Forward, -menu Save Media, -menu Assign Media, menu "
            "Save "
            "Message, -menu Print Media, menu Delete, -menu Next Slide, -menu Previous Slide, -menu Follow "
            "Url, hard "
            "Back, hard Exit"},
        {10,
            "Saved Mail | left Reply, -menu Reply All, -menu Forward, -menu Save Media, -menu Assign Media, "
            "-menu "
            "Assign Audio, menu Save Message, -menu Print Media, menu Delete, -menu Next Slide, -menu "
            "Previous Slide, "
            "-menu Follow Url, hard Back, hard Exit"},
        {11, " | "},
        {16, " | "},
        {17, "+15550101 | "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        layout.setState(c.state);
        EXPECT_EQ(screenText(layout), c.text);
    }
    // State 2 swaps the labels of the two assign commands.
    layout.setState(2);
    EXPECT_STREQ(
        layout.getActionLabel(CVXLLayoutMessageView::eventOf(CVXLLayoutMessageView::kAssignAudio)).c_str(),
        "Assign Audio");
}

TEST_F(MessageViewLayoutTest, ALinkMakesFollowUrlTheLeftSoftKeyLabelledGo)
{
    slides("v");
    const std::uint32_t follow = CVXLLayoutMessageView::eventOf(CVXLLayoutMessageView::kFollowUrl);
    const std::uint32_t reply = CVXLLayoutMessageView::eventOf(CVXLLayoutMessageView::kReply);
    struct Case {
        std::uint32_t state;
        bool link;
        std::uint32_t followKind;
        const char* followLabel;
        bool followAllowed;
        std::uint32_t replyKind;
    };
    const Case cases[] = {
        {0, false, kActionKindMenuItem, "Follow Url", false, kActionKindLeftSoftKey},
        {0, true, kActionKindLeftSoftKey, "Go", true, kActionKindMenuItem},
        // Sent mail shows no Reply, link or not.
        {1, true, kActionKindLeftSoftKey, "Go", true, kActionKindNotApplicable},
        {8, true, kActionKindLeftSoftKey, "Go", true, kActionKindMenuItem},
        // No rows, no commands.
        {12, true, kActionKindUnplaced, "", false, kActionKindUnplaced},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.state) + (c.link ? " with a link" : ""));
        layout.setState(c.state);
        link = c.link ? 1 : 0;
        EXPECT_EQ(layout.getActionKind(follow), c.followKind);
        EXPECT_STREQ(layout.getActionLabel(follow).c_str(), c.followLabel);
        EXPECT_EQ(layout.canSubmitAction(follow), c.followAllowed);
        EXPECT_EQ(layout.getActionKind(reply), c.replyKind);
    }
}

TEST_F(MessageViewLayoutTest, WhatCanBeSubmittedFollowsTheMessageSlidesAndMedia)
{
    using View = CVXLLayoutMessageView;
    struct Case {
        const char* what;
        const char* slides;
        int recipients; // To and Cc together
        bool forwardLocked;
        std::int32_t images;
        bool mediaView;
        int element; // 0 none, 1 free, 2 assign-locked, 3 save-locked
        std::uint32_t action;
        bool allowed;
    };
    const Case cases[] = {
        {"next with two slides", "vv", 1, false, 1, false, 1, View::kNextSlide, true},
        {"previous with one slide", "v", 1, false, 1, false, 1, View::kPreviousSlide, false},
        {"next in visual mode over one visual slide of two", "tv", 1, false, 1, true, 1, View::kNextSlide,
            false},
        {"reply all to one recipient", "v", 1, false, 1, false, 1, View::kReplyAll, false},
        {"reply all to two", "v", 2, false, 1, false, 1, View::kReplyAll, true},
        {"forward", "v", 1, false, 1, false, 1, View::kForward, true},
        {"forward a forward-locked message", "v", 1, true, 1, false, 1, View::kForward, false},
        {"view media", "v", 1, false, 1, false, 1, View::kViewMedia, true},
        {"view media without pictures or videos", "t", 1, false, 0, false, 0, View::kViewMedia, false},
        {"view media while viewing media", "v", 1, false, 1, true, 1, View::kViewMedia, false},
        {"assign media", "v", 1, false, 1, false, 1, View::kAssignMedia, true},
        {"assign media without an element", "t", 1, false, 1, false, 0, View::kAssignMedia, false},
        {"assign media, assign-locked", "v", 1, false, 1, false, 2, View::kAssignMedia, false},
        {"save media, assign-locked", "v", 1, false, 1, false, 2, View::kSaveMedia, true},
        {"save media, save-locked", "v", 1, false, 1, false, 3, View::kSaveMedia, false},
        {"assign media, save-locked", "v", 1, false, 1, false, 3, View::kAssignMedia, false},
        {"print media", "v", 1, false, 1, false, 1, View::kPrintMedia, false},
        {"assign audio", "v", 1, false, 1, false, 1, View::kAssignAudio, false},
        {"save message", "v", 1, false, 1, false, 0, View::kSaveMessage, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        layout.setState(0);
        slides(c.slides);
        navigator.setAllSlides(!c.mediaView);
        layout.setMediaView(c.mediaView);
        CVXLMessageSummary summary;
        for (int i = 0; i < c.recipients; ++i)
            summary.addTo(1, CVXLString(("+1555000" + std::to_string(i)).c_str()), "");
        summary.setForwardLocked(c.forwardLocked);
        summary.setImageCount(c.images);
        layout.setSummary(&summary);
        layout.releaseSlide();
        if (c.element) {
            auto* item = new CVXLSlideMediaItem;
            item->setAssignLocked(c.element == 2);
            item->setSaveLocked(c.element == 3);
            layout.addElement(item);
        }
        EXPECT_EQ(layout.canSubmitAction(View::eventOf(c.action)), c.allowed);
        layout.setSummary(nullptr);
    }
}

TEST_F(MessageViewLayoutTest, ASlideIsReleasedWhole)
{
    layout.setDuration(5000);
    layout.setText("hello");
    CVXLMediaRefHandle audio;
    audio.setMimeType("audio/amr");
    layout.setAudio(audio);
    layout.setAudioLocked(true);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(layout.addElement(new CVXLSlideMediaItem));
    EXPECT_EQ(layout.elementCount(), 3u);
    EXPECT_EQ(layout.elementAt(0)->elementOwner(), &layout);
    EXPECT_EQ(layout.currentElement(), layout.elementAt(0));
    layout.releaseSlide();
    EXPECT_EQ(layout.elementCount(), 0u);
    EXPECT_EQ(layout.currentElement(), nullptr);
    EXPECT_FALSE(layout.hasDuration());
    EXPECT_FALSE(layout.hasText());
    EXPECT_FALSE(layout.hasAudio());
    EXPECT_TRUE(layout.audioLocked());
    layout.clearAudioFlags();
    EXPECT_FALSE(layout.audioLocked());
    // The loading flag is the layout's busy state.
    EXPECT_TRUE(layout.isBusy());
    layout.setLoading(false);
    EXPECT_TRUE(layout.isReady());
}

} // namespace
