#include "tests/screens/ScreenJobFixture.h"

#include "engine/screens/VXLErrorJob.h"
#include "engine/screens/VXLInformationJob.h"
#include "engine/screens/VXLSpinnerJob.h"
#include "tests/support/ScreenText.h"

#include <functional>

namespace {

using NoticeJobTest = ScreenJobFixture;

// The user's key on an error or information notice reaches the parent as its
// own signal, once the notice has gone back to the pool.
TEST_F(NoticeJobTest, NoticeAnswersBecomeParentSignals)
{
    struct Case {
        const char* name;
        std::function<void(ParentJob&)> show;
        std::uint32_t layoutType;
        std::uint32_t state;
        const char* message;
        const char* key;
        std::int32_t signal;
    };
    const Case cases[] = {
        {"error 1, Ok", [](ParentJob& p) { p.showError(1); }, kLayoutError, 1,
            "An unspecified error occurred.", "Ok", 18},
        {"error 52, Cancel", [](ParentJob& p) { p.showError(52); }, kLayoutError, 1,
            "A server error was received.", "Cancel", 20},
        // Every error shows its screen, those of state 0 too.
        {"error 20, Exit", [](ParentJob& p) { p.showError(20); }, kLayoutError, 0,
            "The request could not be processed because there is not enough memory.", "Exit", 21},
        {"error 999, Back", [](ParentJob& p) { p.showError(999); }, kLayoutError, 0,
            "An internal error occurred.  (I999)", "Back", 19},
        {"error text", [](ParentJob& p) { p.showErrorText(52, "Account closed"); }, kLayoutError, 1,
            "Account closed", "Ok", 18},
        {"notice 18", [](ParentJob& p) { p.showInfo(18, 0, 1); }, kLayoutInformation, 1,
            "Your message is being sent.", "Continue", 18},
        {"notice 0", [](ParentJob& p) { p.showInfo(0, 0, 1); }, kLayoutInformation, 1, "", "Back", 19},
        {"question", [](ParentJob& p) { p.showInfoText("Delete?", 0, 1, 3); }, kLayoutInformation, 3,
            "Delete?", "No", 20},
        {"online notice, Exit", [](ParentJob& p) { p.showInfo(5, 0, 0); }, kLayoutInformation, 0,
            "Your destination is configured.", "Exit", 21},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        parent.signals.clear();
        requests.clear();
        c.show(parent);
        run();
        CVXLUiJob* child = parent.currentChild();
        ASSERT_NE(child, nullptr);
        EXPECT_TRUE(child->isPooled());
        CVXLLayout* layout = child->getLayout();
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(layout->layoutType(), c.layoutType);
        EXPECT_EQ(layout->state(), c.state);
        EXPECT_EQ(kinds(), "NEW_LAYOUT");
        std::string message;
        if (CVXLLayoutError* error = layout->asError())
            message = error->messageText().c_str();
        else if (CVXLLayoutInformation* info = layout->asInformation())
            message = info->message().c_str();
        EXPECT_EQ(message, c.message);
        if (c.layoutType == kLayoutError) {
            EXPECT_EQ(screenText(*layout), expectedScreen(c.layoutType, c.state));
        }
        EXPECT_TRUE(parent.signals.empty());

        ASSERT_TRUE(submitByLabel(*layout, c.key)) << screenText(*layout);
        run();
        EXPECT_EQ(parent.signals, std::vector<std::int32_t> {c.signal});
        EXPECT_EQ(parent.currentChild(), nullptr);
        EXPECT_EQ(parent.waitCount(), 0u);
        EXPECT_FALSE(child->isInUse());
        EXPECT_EQ(kinds(), "NEW_LAYOUT RELEASE_LAYOUT");
    }
}

TEST_F(NoticeJobTest, TheSecondQueuedChildWins)
{
    parent.showError(1);
    parent.showInfo(18, 0, 1);
    parent.showError(52);
    run();
    auto* first = dynamic_cast<CVXLErrorJob*>(parent.currentChild());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->layout().errorCode(), 1u);
    auto* next = dynamic_cast<CVXLErrorJob*>(parent.nextChild());
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->layout().errorCode(), 52u);
    // The second of a type in use is a fresh instance; the dropped notice went
    // back to the pool.
    EXPECT_FALSE(next->isPooled());
    CVXLUiJob* info = pool->acquire(11);
    EXPECT_TRUE(info->isPooled());
    pool->release(info);

    ASSERT_TRUE(submitByLabel(*first->getLayout(), "Ok"));
    run();
    EXPECT_EQ(parent.currentChild(), next);
    EXPECT_EQ(parent.nextChild(), nullptr);
    // The parent goes on only when the last of them has gone.
    EXPECT_TRUE(parent.signals.empty());
    ASSERT_TRUE(submitByLabel(*next->getLayout(), "Cancel"));
    run();
    EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {18, 20}));
    EXPECT_EQ(parent.currentChild(), nullptr);
    EXPECT_EQ(kinds(), "NEW_LAYOUT RELEASE_LAYOUT NEW_LAYOUT RELEASE_LAYOUT");
}

TEST_F(NoticeJobTest, SpinnerKeepsItsScreenUntilTenTakesItDown)
{
    parent.startChild43();
    run();
    auto* spinner = dynamic_cast<CVXLSpinnerJob*>(parent.currentChild());
    ASSERT_NE(spinner, nullptr);
    EXPECT_EQ(spinner->layout().state(), 2u);
    CVXLLayout* layout = spinner->getLayout();
    ASSERT_TRUE(submitByLabel(*layout, "Back"));
    run();
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {19});
    EXPECT_EQ(parent.currentChild(), spinner);
    EXPECT_TRUE(spinner->isLayoutShown());
    EXPECT_EQ(kinds(), "NEW_LAYOUT");

    auto* done = new CVXLSimpleEvent(CVXLSpinnerJob::kSignalDone);
    done->setHeapAllocated(true);
    parent.post(spinner, done);
    run();
    EXPECT_EQ(parent.signals, (std::vector<std::int32_t> {19, 10}));
    EXPECT_EQ(parent.currentChild(), nullptr);
    EXPECT_EQ(kinds(), "NEW_LAYOUT RELEASE_LAYOUT");
}

// A screen the user interface closes while the job shows it is the user
// leaving: its Back.
TEST_F(NoticeJobTest, ALayoutReleasedWhileShownIsTakenAsBack)
{
    parent.showError(1);
    run();
    CVXLUiJob* child = parent.currentChild();
    ASSERT_NE(child, nullptr);
    parent.onLayoutReleased(child->getLayout());
    run();
    EXPECT_EQ(parent.signals, std::vector<std::int32_t> {19});
    EXPECT_EQ(parent.currentChild(), nullptr);
    // Released by the user interface already: nothing more is asked of it.
    EXPECT_EQ(kinds(), "NEW_LAYOUT");
}

TEST_F(NoticeJobTest, RefreshSendsTheShownScreenAgain)
{
    parent.startChild43();
    run();
    auto* refresh = new CVXLSimpleEvent(CVXLUiJob::kSignalRefresh);
    refresh->setHeapAllocated(true);
    parent.post(parent.currentChild(), refresh);
    run();
    EXPECT_EQ(kinds(), "NEW_LAYOUT UPDATED_LAYOUT");
    EXPECT_TRUE(parent.signals.empty());
}

// A job whose layout is still shown starts again only once the user interface
// has let the layout go; meanwhile it tells its owner nothing.
TEST_F(NoticeJobTest, RestartWaitsForTheRelease)
{
    CVXLUiJob* job = pool->acquire(43);
    ASSERT_NE(job, nullptr);
    job->startUnder(&parent);
    run();
    EXPECT_EQ(kinds(), "NEW_LAYOUT");
    // It ends with its layout on the screen, and is started again.
    job->stop();
    run();
    EXPECT_EQ(job->parent(), nullptr);
    requests.clear();
    job->startUnder(&parent);
    run();
    EXPECT_EQ(kinds(), "RELEASE_LAYOUT");
    EXPECT_EQ(job->parent(), nullptr);
    EXPECT_TRUE(job->isStarted());
    job->notifyOwner(19);
    run();
    EXPECT_TRUE(parent.signals.empty());

    confirmReleases(*job);
    run();
    EXPECT_EQ(job->parent(), &parent);
    EXPECT_EQ(kinds(), "RELEASE_LAYOUT NEW_LAYOUT");
    job->stop();
    run();
    pool->release(job);
}

TEST_F(NoticeJobTest, TransfersAndProperties)
{
    CVXLUiJob* job = pool->acquire(11);
    ASSERT_NE(job, nullptr);
    EXPECT_FALSE(job->hasXferString());
    EXPECT_STREQ(job->getXferString().c_str(), "0");
    EXPECT_EQ(job->getXferInt(), 0);
    EXPECT_EQ(job->getXferObject(), nullptr);
    // An absent name reads as the empty value, which the program relies on.
    EXPECT_EQ(job->property("nothing").kind(), CVXLVariant::kEmpty);

    job->setProperty("xferint", CVXLVariant("12"));
    EXPECT_EQ(job->property("xferint").kind(), CVXLVariant::kInteger);
    EXPECT_EQ(job->getXferInt(), 12);
    job->setProperty("xferstring", CVXLVariant(42));
    EXPECT_EQ(job->property("xferstring").kind(), CVXLVariant::kText);
    EXPECT_STREQ(job->getXferString().c_str(), "42");
    // A number is never taken for an address.
    job->setProperty("xferobject", CVXLVariant(static_cast<int>(reinterpret_cast<std::uintptr_t>(&parent))));
    EXPECT_TRUE(job->hasXferObject());
    EXPECT_EQ(job->getXferObject(), nullptr);
    job->setProperty("xferobject", CVXLVariant(static_cast<const void*>(static_cast<CVXLObject*>(&parent))));
    EXPECT_EQ(job->getXferObject(), static_cast<CVXLObject*>(&parent));
    job->setProperty("Xferint", CVXLVariant("7"));
    EXPECT_EQ(job->property("Xferint").kind(), CVXLVariant::kText);
    EXPECT_EQ(job->getXferInt(), 12);
    pool->release(job);
    EXPECT_FALSE(job->hasXferInt());
}

} // namespace

namespace {

// A job with the activity flag holds a Client activity while it is the top of
// the stack.
TEST_F(NoticeJobTest, ActivityFlagHoldsAnActivityWhileOnTop)
{
    CVXLUiJob* job = pool->acquire(11);
    ASSERT_NE(job, nullptr);
    job->onActivated();
    EXPECT_TRUE(client->hasNoActivity());
    job->setActivityFlag(true);
    job->onActivated();
    EXPECT_FALSE(client->hasNoActivity());
    job->onDeactivated();
    EXPECT_TRUE(client->hasNoActivity());
    job->setActivityFlag(false);
    pool->release(job);
}

} // namespace
