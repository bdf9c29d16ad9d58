#include "engine/screens/VXLLayout.h"

#include "engine/client/VXLClient.h"
#include "engine/core/base/VXLReleasable.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLChoiceElement.h"
#include "engine/screens/VXLErrorTable.h"
#include "engine/screens/VXLFolderEntry.h"
#include "engine/screens/VXLLayoutAudio.h"
#include "engine/screens/VXLLayoutCaptureChoice.h"
#include "engine/screens/VXLLayoutChoiceSelection.h"
#include "engine/screens/VXLLayoutContactChooser.h"
#include "engine/screens/VXLLayoutError.h"
#include "engine/screens/VXLLayoutFolderList.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLLayoutMediaBrowser.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLLayoutProgressBar.h"
#include "engine/screens/VXLLayoutProgressSpinner.h"
#include "engine/screens/VXLUiJob.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ScreenOwnerJob.h"
#include "tests/support/ScreenText.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// Takes the actions its layouts submit.
class ActionJob : public CVXLUiJob {
public:
    explicit ActionJob(int type)
        : type_(type)
    {
    }
    int typeId() const override { return type_; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }
    std::vector<std::uint32_t> actions;

private:
    int type_;
};

// Counts how often it is let go of; the registry must let go of it once.
class CountedHandler : public CVXLReleasable {
public:
    explicit CountedHandler(int* releases)
        : releases_(releases)
    {
    }
    bool release() override
    {
        ++*releases_;
        return false;
    }

private:
    int* releases_;
};

// A table with a row of kind 4 between offered ones, and a second state.
class TableLayout : public CVXLLayout {
public:
    TableLayout()
        : CVXLLayout(kLayoutMenuList)
    {
    }
    const CVXLLayoutCommandRow* getCommandTable() const override { return kRows; }
    std::uint32_t getCommandCount() const override { return static_cast<std::uint32_t>(std::size(kRows)); }

    static constexpr CVXLLayoutCommandRow kRows[] = {
        {1, 0xA0069, kActionKindMenuItem, 8},
        {0, 0xA0067, kActionKindNotApplicable, 6},
        {0, 0xA0065, kActionKindLeftSoftKey, 10},
        {1, 0xA0065, kActionKindHardKey, 14},
        {0, 0xA0066, kActionKindRightSoftKey, 11},
        {0, 0xA0067, kActionKindHardKey, 12},
    };
};

// A media browser with an item of its own focused.
class FocusedMediaBrowser : public CVXLLayoutMediaBrowser {
public:
    FocusedMediaBrowser()
    {
        addElement(&item_, 0);
        setCurrentElement(&item_);
    }

private:
    CVXLMediaItem item_;
};

// A folder list with a row of its own current; its window comes from the
// owner's configuration.
class FocusedFolderList : public CVXLLayoutFolderList {
public:
    explicit FocusedFolderList(CVXLUiJob& owner)
    {
        setOwner(&owner);
        prepare();
        addEntry(&entry_, 0);
    }

private:
    CVXLFolderEntry entry_;
};

std::unique_ptr<CVXLLayout> makeLayout(std::uint32_t type, CVXLUiJob& owner)
{
    switch (type) {
    case kLayoutAudio:
        return std::make_unique<CVXLLayoutAudio>();
    case kLayoutFolderList:
        return std::make_unique<FocusedFolderList>(owner);
    case kLayoutCaptureChoice:
        return std::make_unique<CVXLLayoutCaptureChoice>();
    case kLayoutChoiceSelection: {
        auto layout = std::make_unique<CVXLLayoutChoiceSelection>();
        layout->addChoice(new CVXLChoiceElement);
        return layout;
    }
    case kLayoutContactChooser:
        return std::make_unique<CVXLLayoutContactChooser>();
    case kLayoutError:
        return std::make_unique<CVXLLayoutError>();
    case kLayoutInformation: {
        auto layout = std::make_unique<CVXLLayoutInformation>();
        layout->setMode(CVXLLayoutInformation::kModeConfirm);
        return layout;
    }
    case kLayoutMediaBrowser:
        return std::make_unique<FocusedMediaBrowser>();
    case kLayoutMenuList:
        return std::make_unique<CVXLLayoutMenuList>();
    case kLayoutProgressBar:
        return std::make_unique<CVXLLayoutProgressBar>();
    case kLayoutProgressSpinner:
        return std::make_unique<CVXLLayoutProgressSpinner>();
    default:
        return nullptr;
    }
}

// The texts come from a real engine's text table.
class LayoutTest : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(engine.create());
        owner.wireTo(engine.client());
    }

    EngineDriver engine;
    // Owns the layouts made outside a job.
    ScreenOwnerJob owner;
};

TEST_F(LayoutTest, EachScreenShowsItsTitleAndActionsPerState)
{
    std::uint32_t count = 0;
    const ScreenFixtureRow* rows = screenFixture(&count);
    for (std::uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(std::to_string(rows[i].layoutType) + "/" + std::to_string(rows[i].state));
        std::unique_ptr<CVXLLayout> layout = makeLayout(rows[i].layoutType, owner);
        ASSERT_TRUE(layout);
        owner.own(*layout);
        layout->setState(rows[i].state);
        EXPECT_EQ(screenText(*layout), rows[i].text);
        EXPECT_EQ(layout->nextAction(), CVXLLayout::kNoMoreActions);
        EXPECT_FALSE(layout->hasNextAction());
    }
}

TEST_F(LayoutTest, EnumerationSkipsHiddenRowsAndOtherStates)
{
    TableLayout layout;
    struct Case {
        std::uint32_t state;
        std::vector<std::uint32_t> offered;
    };
    const Case cases[] = {
        {0, {0xA0065, 0xA0066, 0xA0067}},
        {1, {0xA0069, 0xA0065}},
        {2, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        layout.setState(c.state);
        std::vector<std::uint32_t> got;
        for (layout.firstAction(); layout.hasNextAction();)
            got.push_back(layout.nextAction());
        EXPECT_EQ(got, c.offered);
        EXPECT_EQ(layout.nextAction(), CVXLLayout::kNoMoreActions);
        EXPECT_EQ(layout.nextAction(), CVXLLayout::kNoMoreActions);
    }
}

TEST_F(LayoutTest, LookupsTakeTheFirstRowOfTheState)
{
    TableLayout layout;
    owner.own(layout);
    struct Case {
        std::uint32_t state;
        std::uint32_t eventId;
        std::uint32_t kind;
        const char* label;
        bool offered;
    };
    const Case cases[] = {
        // The hidden row comes first: kind and label are its, yet it is not offered.
        {0, 0xA0067, kActionKindNotApplicable, "Continue", true},
        {0, 0xA0065, kActionKindLeftSoftKey, "Back", true},
        {1, 0xA0065, kActionKindHardKey, "Back", true},
        {0, 0xA0069, kActionKindUnplaced, "", false},
        {1, 0xA0066, kActionKindUnplaced, "", false},
        {0, 0x12345, kActionKindUnplaced, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.state) + " " + std::to_string(c.eventId));
        layout.setState(c.state);
        EXPECT_EQ(layout.getActionKind(c.eventId), c.kind);
        EXPECT_EQ(std::string(layout.getActionLabel(c.eventId).c_str()), c.label);
        EXPECT_EQ(layout.hasAction(c.eventId), c.offered);
        EXPECT_EQ(layout.canSubmitAction(c.eventId), c.offered);
    }
}

TEST_F(LayoutTest, OnlyOfferedActionsReachTheOwner)
{
    TableLayout layout;
    EXPECT_EQ(layout.submitAction(0xA0065), 0) << "no owner";
    ActionJob job(19);
    job.setPool(engine.client()->getUiJobPool());
    layout.setOwner(&job);
    EXPECT_EQ(layout.submitAction(0xA0065), 1);
    EXPECT_EQ(layout.submitAction(0xA0069), 0) << "another state's";
    layout.setState(1);
    EXPECT_EQ(layout.submitAction(0xA0069), 1);
    EXPECT_EQ(job.actions, (std::vector<std::uint32_t> {0xA0065, 0xA0069}));
}

TEST_F(LayoutTest, CastsAnswerOnlyForTheirType)
{
    CVXLLayoutError error;
    CVXLLayoutProgressBar bar;
    TableLayout standIn;
    CVXLLayoutMenuList menu;
    EXPECT_EQ(error.asError(), &error);
    EXPECT_EQ(error.asInformation(), nullptr);
    EXPECT_EQ(bar.asProgressBar(), &bar);
    EXPECT_EQ(bar.asProgressSpinner(), nullptr);
    EXPECT_EQ(menu.asMenuList(), &menu);
    EXPECT_EQ(menu.asChoiceSelection(), nullptr);
    EXPECT_EQ(standIn.asMenuList(), nullptr) << "a stand-in of the type is not of the class";
}

TEST_F(LayoutTest, ErrorCodesSetMessageClassSeverityAndState)
{
    struct Case {
        std::uint32_t code;
        char cls;
        std::int32_t severity;
        std::uint32_t state;
        const char* message;
    };
    const Case cases[] = {
        {1, 'P', 1, 1, "An unspecified error occurred."},
        {4, 'P', 1, 1, "The request could not be processed because the file could not be opened."},
        {9, 'P', 1, 1,
            "The request could not be processed because the network connection could not be dialed."},
        {12, 'P', 1, 1,
            "The request could not be processed because the network connection could not be established."},
        {15, 'P', 1, 1,
            "The request could not be processed because the network connection could not be read."},
        {16, 'P', 1, 1,
            "The request could not be processed because the network connection could not be written to."},
        {17, 'P', 1, 1, "The request could not be processed because the network connection was lost."},
        {20, 'P', 0, 0, "The request could not be processed because there is not enough memory."},
        {21, 'P', 1, 1, "The request could not be processed because memory is not ready or available."},
        {50, 'D', 1, 1, "A data communication error occurred. (HTTP not 200 (OK))"},
        {51, 'D', 1, 1, "A data communication error occurred. (bad HTTP headers)"},
        {52, 'D', 1, 1, "A server error was received."},
        {53, 'D', 1, 1, "A data communication error occurred. (bad MIME)"},
        {54, 'D', 1, 1, "A data communication error occurred. (bad XML)"},
        {55, 'D', 1, 1, "A data communication error occurred. (bad Error PDU)"},
        {56, 'D', 1, 1, "A data communication error occurred. (bad info alert)"},
        {57, 'G', 1, 1, "Unexpected end of input."},
        {59, 'G', 1, 1, "Unexpected response from server."},
        {62, 'M', 1, 0, "There was an error preparing this message for viewing. (SMIL)"},
        {63, 'M', 1, 0, "There was an error preparing this message for viewing. (Format)"},
        {64, 'S', 1, 1, "Cannot send message due to network issues, Retry now?"},
        {65, 'P', 1, 1, "The network connection timed out."},
        {66, 'G', 2, 1, "There was an error trying to register your phone."},
        {67, 'G', 2, 1, "There was an error while trying to update the list of destinations. Try again?"},
        {71, 'G', 2, 1, "This message composition scenario does not support videos."},
        {72, 'G', 2, 1, "This message composition scenario does not support images."},
        {73, 'G', 2, 1, "This message composition scenario does not support contacts."},
        {74, 'M', 2, 0, "This message contains unknown WSP data."},
        {75, 'M', 2, 1, "The MMSC could not process the request."},
        {83, 'S', 1, 1, "Unable to send message due to inaccessible media, Retry Now?"},
        {85, 'S', 1, 0, "The message server has canceled your message send."},
        {86, 'S', 1, 1, "The message could not be deleted because it is being transmitted."},
        {90, 'D', 2, 1, "The data communication channel is not enabled."},
        {91, 'G', 2, 1, "Insufficient space for message."},
        {93, 'M', 2, 1, "You have insufficient funds to view this message."},
        {97, 'G', 2, 1,
            "There are failed messages left in your outbound queue.  Select 'OK' to try and resend or "
            "'CANCEL' to delete."},
        {999, 'I', 2, 0, "An internal error occurred.  (I999)"},
        {0, 'I', 2, 0, "An internal error occurred.  (I0)"},
    };
    EXPECT_EQ(std::size(cases), CVXLErrorTable::kRowCount + 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        CVXLLayoutError layout;
        owner.own(layout);
        layout.setState(1 - c.state);
        layout.setErrorCode(c.code);
        EXPECT_EQ(layout.errorClass(), c.cls);
        EXPECT_EQ(layout.severity(), c.severity);
        EXPECT_EQ(layout.errorCode(), c.code);
        EXPECT_EQ(layout.state(), c.state);
        EXPECT_EQ(std::string(layout.messageText().c_str()), c.message);
        EXPECT_EQ(screenText(layout), expectedScreen(kLayoutError, c.state));
    }
}

TEST_F(LayoutTest, ErrorTextReplacesTheMessageAndKeepsTheState)
{
    CVXLLayoutError layout;
    owner.own(layout);
    layout.setErrorCode(52);
    layout.setErrorText("Account suspended");
    EXPECT_EQ(std::string(layout.messageText().c_str()), "Account suspended");
    EXPECT_EQ(layout.errorClass(), 'G');
    EXPECT_EQ(layout.severity(), 2);
    EXPECT_EQ(layout.errorCode(), 1000u);
    EXPECT_EQ(layout.state(), 1u);
}

TEST_F(LayoutTest, InformationModeDecidesContinueAndCancel)
{
    struct Case {
        std::int32_t mode;
        bool canContinue;
        bool canCancel;
    };
    const Case cases[] = {
        {0, true, false},
        {1, true, true},
        {2, false, false},
        // The message view's confirmations.
        {16, true, true},
        {23, true, true},
        {3, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        for (std::uint32_t state = 0; state < 4; ++state) {
            CVXLLayoutInformation layout(state);
            owner.own(layout);
            layout.setMode(c.mode);
            EXPECT_EQ(layout.canSubmitAction(0x60067), c.canContinue);
            EXPECT_EQ(layout.canSubmitAction(0x60068), c.canCancel);
            EXPECT_TRUE(layout.canSubmitAction(0x60065));
            EXPECT_TRUE(layout.canSubmitAction(0x60066));
            // Refused actions are still offered, greyed.
            EXPECT_TRUE(layout.hasAction(0x60067));
        }
    }
    CVXLLayoutInformation help(CVXLLayoutInformation::kStateHelp);
    owner.own(help);
    help.setTitleText("Sending pictures");
    help.setMode(CVXLLayoutInformation::kModeHelp);
    EXPECT_EQ(screenText(help), "Sending pictures | -hard More Help, -hard Cancel, hard Back, hard Exit");
}

TEST_F(LayoutTest, ChoiceSelectionNeedsAnItemToSelect)
{
    CVXLLayoutChoiceSelection layout;
    ActionJob job(3);
    job.setPool(engine.client()->getUiJobPool());
    layout.setOwner(&job);
    EXPECT_FALSE(layout.canSubmitAction(0x20080));
    EXPECT_EQ(layout.submitAction(0x20080), 0);
    EXPECT_TRUE(layout.canSubmitAction(0x20067));

    for (const char* key : {"a", "b", "c"}) {
        auto* item = new CVXLChoiceElement;
        item->setKey(key);
        item->setText(CVXLString("Item ") + key);
        ASSERT_TRUE(layout.addChoice(item));
    }
    EXPECT_EQ(layout.getItemCount(), 3u);
    EXPECT_EQ(layout.choiceAt(3), nullptr);
    EXPECT_EQ(layout.selectedKey(), nullptr);
    layout.choiceAt(1)->setSelected(1);
    layout.choiceAt(2)->setSelected(1);
    ASSERT_NE(layout.selectedKey(), nullptr);
    EXPECT_EQ(*layout.selectedKey(), "b");
    EXPECT_EQ(layout.submitAction(0x20080), 1);

    // Each answer is a change once the screen has been sent.
    layout.choiceAt(0)->commit();
    layout.onRequestTaken(nullptr);
    EXPECT_FALSE(layout.choiceAt(0)->isCommitted());

    layout.deselectAll();
    EXPECT_EQ(layout.selectedKey(), nullptr);
    layout.setCurrentElement(layout.choiceAt(0));
    layout.detachView();
    EXPECT_EQ(layout.getItemCount(), 0u);
    EXPECT_EQ(layout.currentElement(), nullptr);
    EXPECT_FALSE(layout.canSubmitAction(0x20080));
}

TEST_F(LayoutTest, ChoiceItemIsModifiedUntilCommitted)
{
    CVXLChoiceElement item;
    EXPECT_FALSE(item.isModified());
    item.setSelected(1);
    EXPECT_TRUE(item.isModified());
    item.commit();
    EXPECT_FALSE(item.isModified());
    item.setSelected(7);
    EXPECT_FALSE(item.isSelected());
    EXPECT_TRUE(item.isModified());
    item.commit();
    item.setText("New");
    EXPECT_TRUE(item.isModified());
}

TEST_F(LayoutTest, RegistryKeepsOneHandlerPerKeysAndReleasesTheReplacedOnce)
{
    CVXLHandlerRegistry& registry = engine.client()->getResultHandlerRegistry();
    TableLayout layout;
    ActionJob job(19);
    job.setPool(engine.client()->getUiJobPool());
    layout.setOwner(&job);
    int firstReleases = 0;
    int secondReleases = 0;
    CountedHandler first(&firstReleases);
    CountedHandler second(&secondReleases);

    layout.registerHandler(&first);
    layout.registerHandler(&first);
    EXPECT_EQ(registry.count(), 1u);
    EXPECT_EQ(firstReleases, 0);
    layout.registerHandler(&second);
    EXPECT_EQ(registry.count(), 1u);
    EXPECT_EQ(firstReleases, 1);
    ASSERT_NE(registry.find(19, 0, 0), nullptr);
    EXPECT_EQ(registry.find(19, 0, 0)->object, &second);
    layout.setState(1);
    layout.registerHandler(&first);
    EXPECT_EQ(registry.count(), 2u);
    registry.clear();
    EXPECT_EQ(firstReleases, 2);
    EXPECT_EQ(secondReleases, 1);
}

TEST_F(LayoutTest, NoticeLayoutsReleaseHandlersAtOnce)
{
    CVXLHandlerRegistry& registry = engine.client()->getResultHandlerRegistry();
    ActionJob job(7);
    job.setPool(engine.client()->getUiJobPool());
    std::unique_ptr<CVXLLayout> layouts[] = {
        std::make_unique<CVXLLayoutError>(),
        std::make_unique<CVXLLayoutInformation>(),
        std::make_unique<CVXLLayoutProgressBar>(),
        std::make_unique<CVXLLayoutProgressSpinner>(),
    };
    for (auto& layout : layouts) {
        SCOPED_TRACE(layout->layoutType());
        layout->setOwner(&job);
        int releases = 0;
        CountedHandler handler(&releases);
        layout->registerHandler(&handler);
        layout->registerHandler(nullptr);
        EXPECT_EQ(releases, 1);
        EXPECT_EQ(registry.count(), 0u);
    }
}

TEST_F(LayoutTest, BusyLayouts)
{
    EXPECT_TRUE(CVXLLayoutProgressBar().isBusy());
    EXPECT_FALSE(CVXLLayoutProgressSpinner().isReady());
    EXPECT_TRUE(CVXLLayoutError().isReady());
    EXPECT_EQ(std::string(TableLayout().getTitle().c_str()), "???");
}

} // namespace
