#include "engine/screens/VXLComposeJob.h"

#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/messaging/outbound/OutboundQueueManager.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLLayoutError.h"
#include "engine/screens/VXLLayoutInformation.h"
#include "engine/screens/VXLMediaListElement.h"
#include "engine/screens/VXLUserInputTextElement.h"
#include "tests/screens/ComposeFixture.h"
#include "tests/support/ScreenText.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

class ComposeJobTest : public ComposeFixture {
public:
    void TearDown() override
    {
        if (job) {
            job->stop();
            run();
            pool->release(job);
        }
        ComposeFixture::TearDown();
    }

    COutboundQueueManager& queue() { return client->getOutboundQueueManager(); }

    // Messages queued straight through the queue, as earlier composers did.
    void fillQueue(std::uint32_t upTo)
    {
        if (!queued) {
            queued = std::make_unique<CScenarioLayout>();
            ASSERT_TRUE(load("__vxl_sendto_recipients", *queued));
        }
        while (queue().count() < upTo) {
            COutboundSubmitRequest request(kReply);
            request.screen = queued.get();
            request.recipients.insertAt("+15550999", -1);
            ASSERT_EQ(ask(&queue(), request), kResultSucceeded);
        }
    }

    // Starts the pooled composer with the scenario, as the program does.
    void start(const char* scenario, std::function<void(CVXLComposeJob&)> handOver = {})
    {
        job = dynamic_cast<CVXLComposeJob*>(pool->acquire(CVXLComposeJob::kTypeId));
        ASSERT_NE(job, nullptr);
        job->setProperty(CVXLComposeJob::kPropertyScenario, CVXLVariant(CVXLString(scenario)));
        if (handOver)
            handOver(*job);
        job->startUnder(&parent);
        run();
    }

    // The screen the user sees: the last one shown and not taken down.
    CVXLLayout* top() const
    {
        std::vector<CVXLLayout*> shown;
        for (const Request& r : requests) {
            if (r.kind == kUIRequestNewLayout)
                shown.push_back(r.layout);
            else if (r.kind == kUIRequestReleaseLayout)
                std::erase(shown, r.layout);
        }
        return shown.empty() ? nullptr : shown.back();
    }
    // "composer <title>", "spinner", "info <message>" or "error <message>".
    std::string screen() const
    {
        CVXLLayout* layout = top();
        if (!layout)
            return "none";
        if (CVXLLayoutInformation* info = layout->asInformation())
            return std::string("info ") + info->message().c_str();
        if (CVXLLayoutError* error = layout->asError())
            return std::string("error ") + error->messageText().c_str();
        if (layout->asProgressSpinner())
            return "spinner";
        if (layout->asMessageComposer())
            return std::string("composer ") + layout->getTitle().c_str();
        return "layout " + std::to_string(layout->layoutType());
    }
    bool press(const char* label)
    {
        CVXLLayout* layout = top();
        const bool taken = layout && submitByLabel(*layout, label);
        run();
        return taken;
    }
    // The job has ended: it told the parent one result and let go of its
    // activity.
    std::vector<std::int32_t> ended()
    {
        EXPECT_EQ(job->runState(), kHandlerFinished);
        EXPECT_TRUE(client->hasNoActivity());
        job->onLayoutReleased(&job->layout());
        pool->release(job);
        job = nullptr;
        return parent.signals;
    }
    void typeSubject(const char* text)
    {
        CVXLLayoutMessageComposer& layout = job->layout();
        layout.setCurrentElement(layout.getField(static_cast<std::uint32_t>(layout.slotOfField(3))));
        CVXLUserInputTextElement* input = layout.getField(2)->value()->asUserInputText();
        ASSERT_NE(input, nullptr);
        ASSERT_EQ(input->setText(text), 1);
        ASSERT_TRUE(press("Update"));
    }

    CVXLComposeJob* job = nullptr;
    std::unique_ptr<CScenarioLayout> queued;
};

// From the start to the first screen and on to the end, one case per row:
// the steps are the screens the user meets and the key pressed on each.
TEST_F(ComposeJobTest, StartCases)
{
    struct Step {
        const char* screen;
        const char* key;
    };
    struct Case {
        const char* name;
        const char* scenario;
        std::function<void(ComposeJobTest&)> setUp;
        std::function<void(CVXLComposeJob&)> handOver;
        std::vector<Step> steps;
        std::vector<std::int32_t> results;
        const char* threadId;
        // Messages the composer queued.
        std::uint32_t queuedBy;
        // The subject field's value at the end, when given.
        const char* subject = nullptr;
    };
    CVXLMessageSummary summary;
    summary.setSubject("Lunch");
    const char* composer = "composer Send To Contacts";
    const char* queueFull = "info The message queue is full.  Try removing pending and failed messages.";
    const std::vector<Case> cases = {
        {"no such scenario", "nowhere", {}, {}, {{"error An internal error occurred.  (I95)", "Back"}}, {8},
            nullptr, 0},
        {"21 queued", "__vxl_sendto_recipients", [](ComposeJobTest& t) { t.fillQueue(21); }, {},
            {{composer, "Back"}}, {8}, nullptr, 0},
        {"22 queued", "__vxl_sendto_recipients", [](ComposeJobTest& t) { t.fillQueue(22); }, {},
            {{queueFull, "Continue"}}, {8}, nullptr, 0},
        {"22 queued, Exit", "__vxl_sendto_recipients", [](ComposeJobTest& t) { t.fillQueue(22); }, {},
            {{queueFull, "Exit"}}, {9}, nullptr, 0},
        {"a video and no videos field", "__vxl_sendto_recipients",
            [](ComposeJobTest& t) { ASSERT_NE(t.selectMedia("clip", "video/3gpp"), nullptr); }, {},
            {{"error This message composition scenario does not support videos.", "Ok"}}, {8}, nullptr, 0},
        {"a picture and no images field", "textonly",
            [](ComposeJobTest& t) { ASSERT_TRUE(t.selectPhonePicture()); }, {},
            {{"error This message composition scenario does not support images.", "Exit"}}, {9}, nullptr, 0},
        {"a recipient and no address field", "gallery", [](ComposeJobTest& t) { t.addRecipients(1); }, {},
            {{"error This message composition scenario does not support contacts.", "Ok"}}, {8}, nullptr, 0},
        {"four pictures of at most three", "__vxl_sendto_recipients",
            [](ComposeJobTest& t) {
                for (const char* id : {"a", "b", "c", "d"})
                    ASSERT_NE(t.selectMedia(id, "image/jpeg"), nullptr);
            },
            {}, {{"info Up to 3 pictures.", "Continue"}}, {8}, nullptr, 0},
        {"two videos of a list taking one", "gallery",
            [](ComposeJobTest& t) {
                ASSERT_NE(t.selectMedia("v1", "video/3gpp"), nullptr);
                ASSERT_NE(t.selectMedia("v2", "video/mp4"), nullptr);
            },
            {}, {{"info Two pictures and one video at most.", "Continue"}}, {8}, nullptr, 0},
        {"eleven recipients of ten", "__vxl_sendto_recipients",
            [](ComposeJobTest& t) { t.addRecipients(11); }, {}, {{"info Up to 10 recipients.", "Exit"}}, {9},
            nullptr, 0},
        // Nothing to fill in: sent without the composer ever shown.
        {"only title and help", "about", {}, {}, {{"info Your media will be sent.", "Continue"}}, {10},
            nullptr, 1},
        {"reply", "__vxl_sendto_recipients", {},
            [&summary](CVXLComposeJob& j) {
                j.setProperty(CVXLComposeJob::kPropertyGcOp, CVXLVariant(1));
                j.setProperty(CVXLComposeJob::kPropertyMessageSummary,
                    CVXLVariant(static_cast<const void*>(static_cast<CVXLObject*>(&summary))));
            },
            {{composer, "Cancel"}}, {17}, nullptr, 0, "Re:Lunch"},
        {"sent, entry 53 off, a recipient", "__vxl_sendto_recipients",
            [](ComposeJobTest& t) { t.addRecipients(2); }, {},
            {{composer, "type Beach"}, {composer, "Continue"},
                {"info Your message is being sent.", "Continue"}},
            {57}, "+15550100", 1, "Beach"},
        {"sent, entry 53 on", "__vxl_sendto_recipients",
            [](ComposeJobTest& t) {
                t.addRecipients(1);
                t.client->settings().setConfigString(kCfgOption53, "1");
            },
            {},
            {{composer, "type Beach"}, {composer, "Continue"},
                {"info Your message is being sent.", "Continue"}},
            {10}, nullptr, 1},
        // The recipients were taken away while the notice showed.
        {"sent, entry 53 off, no recipient left", "__vxl_sendto_recipients",
            [](ComposeJobTest& t) { t.addRecipients(1); }, {},
            {{composer, "type Beach"}, {composer, "Continue"},
                {"info Your message is being sent.", "clear,Continue"}},
            {10}, nullptr, 1},
        {"sent, Exit on the notice", "__vxl_sendto_recipients", [](ComposeJobTest& t) { t.addRecipients(1); },
            {},
            {{composer, "type Beach"}, {composer, "Continue"}, {"info Your message is being sent.", "Exit"}},
            {9}, nullptr, 1},
        {"incomplete: no recipient", "__vxl_sendto_recipients", {}, {},
            {{composer, "Continue"}, {"info Add a recipient first.", "Continue"}, {composer, "Back"}}, {8},
            nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        parent.signals.clear();
        requests.clear();
        client->getGlobalContacts().clear();
        media().clearAllSelections();
        client->settings().setConfigString(kCfgOption53, "0");
        if (c.setUp)
            c.setUp(*this);
        const std::uint32_t queuedBefore = queue().count();
        start(c.scenario, c.handOver);
        for (const Step& step : c.steps) {
            ASSERT_EQ(screen(), step.screen);
            std::string key = step.key;
            if (key.rfind("type ", 0) == 0) {
                typeSubject(key.substr(5).c_str());
                continue;
            }
            if (key.rfind("clear,", 0) == 0) {
                client->getGlobalContacts().clear();
                key = key.substr(6);
            }
            ASSERT_TRUE(press(key.c_str())) << key << " on " << screenText(*top());
        }
        if (c.subject) {
            const CScenarioField* subject = job->scenario().findField(kFieldSubject);
            ASSERT_NE(subject, nullptr);
            EXPECT_EQ(std::string(subject->values().at(0).c_str()), c.subject);
        }
        const CVXLVariant thread = job->property(CVXLComposeJob::kPropertyThread);
        if (c.threadId)
            EXPECT_EQ(std::string(thread.toString().c_str()), c.threadId);
        else
            EXPECT_FALSE(job->hasProperty(CVXLComposeJob::kPropertyThread));
        EXPECT_EQ(ended(), c.results);
        // A queue filled this far has tried messages three times in vain, and
        // the program shows the failed-messages screen for each; they are left.
        for (int n = 0; n < 22 && screen() == "error Cannot send message due to network issues, Retry now?";
             ++n)
            ASSERT_TRUE(press("Back"));
        EXPECT_EQ(screen(), "none");
        EXPECT_EQ(queue().count() - queuedBefore, c.queuedBy);
        // Start the next case from an empty queue.
        CVXLEvent clear(kOutboundRequestDeleteAll, kReply);
        ask(&queue(), clear);
    }
}

// A full queue met at Continue: the queue-full notice, and the composer
// again with the message as it was; nothing more is queued.
TEST_F(ComposeJobTest, AQueueFilledWhileEditingRefusesTheSubmit)
{
    fillQueue(21);
    addRecipients(1);
    start("__vxl_sendto_recipients");
    ASSERT_EQ(screen(), "composer Send To Contacts");
    typeSubject("Kept");
    fillQueue(22);
    ASSERT_TRUE(press("Continue"));
    EXPECT_EQ(screen(), "info The message queue is full.  Try removing pending and failed messages.");
    ASSERT_TRUE(press("Continue"));
    EXPECT_EQ(screen(), "composer Send To Contacts");
    EXPECT_TRUE(job->isEditing());
    EXPECT_EQ(std::string(job->layout().getField(2)->value()->asUserInputText()->text().c_str()), "Kept");
    EXPECT_EQ(queue().count(), 22u);
    EXPECT_TRUE(parent.signals.empty());
    ASSERT_TRUE(press("Back"));
    EXPECT_FALSE(job->hasProperty(CVXLComposeJob::kPropertyThread));
    EXPECT_EQ(ended(), std::vector<std::int32_t> {8});
    EXPECT_EQ(queue().count(), 22u);
}

// Back, Cancel and Exit on the spinner never take a posted submit back: the
// message is queued once, and Exit ends with 9 once the queue has answered.
TEST_F(ComposeJobTest, KeysOnTheSendingSpinnerWaitForTheQueue)
{
    client->settings().setConfigString(kCfgOption53, "0");
    for (const char* key : {"Back", "Exit"}) {
        SCOPED_TRACE(key);
        parent.signals.clear();
        requests.clear();
        client->getGlobalContacts().clear();
        addRecipients(1);
        const std::uint32_t before = queue().count();
        start("__vxl_sendto_recipients");
        typeSubject("Once");
        ASSERT_TRUE(submitByLabel(*top(), "Continue"));
        // Step by step until the spinner shows, before the queue answers.
        for (int i = 0; i < 200 && screen() != "spinner"; ++i) {
            engine.tick();
            if (CVXLUIRequest* request = engine.popUIRequest())
                requests.push_back({request->kind(), request->layout()});
        }
        ASSERT_EQ(screen(), "spinner");
        ASSERT_TRUE(job->isSending());
        ASSERT_TRUE(press(key));
        if (std::string(key) == "Back") {
            EXPECT_EQ(screen(), "info Your message is being sent.");
            ASSERT_TRUE(press("Continue"));
            EXPECT_EQ(ended(), std::vector<std::int32_t> {57});
        } else {
            EXPECT_EQ(ended(), std::vector<std::int32_t> {9});
            EXPECT_EQ(screen(), "none");
        }
        EXPECT_EQ(queue().count(), before + 1);
    }
}

// Modify asks the program for the sub-flow of the focused field; a media or
// text field leaves the next media browse its filter.
TEST_F(ComposeJobTest, ModifyAsksForTheFieldsSubFlow)
{
    addRecipients(1);
    start("__vxl_sendto_recipients");
    CVXLScreenServices* services = client->getUiJobPool()->services();
    struct Case {
        std::int32_t field;
        std::int32_t result;
        std::int32_t filter;
    };
    const Case cases[] = {{1, 27, -1}, {2, 34, kMediaFilterImages}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        CVXLLayoutMessageComposer& layout = job->layout();
        layout.setCurrentElement(layout.getField(static_cast<std::uint32_t>(layout.slotOfField(c.field))));
        ASSERT_TRUE(press("Modify"));
        ASSERT_FALSE(parent.signals.empty());
        EXPECT_EQ(parent.signals.back(), c.result);
        EXPECT_EQ(services->takeOneShotFilter(), c.filter);
        EXPECT_EQ(services->takeNoAutoSelect(), c.filter >= 0);
        EXPECT_TRUE(job->isEditing());
    }
    // The subject offers no Modify.
    CVXLLayoutMessageComposer& layout = job->layout();
    layout.setCurrentElement(layout.getField(2));
    EXPECT_FALSE(press("Modify"));
    ASSERT_TRUE(press("Exit"));
    EXPECT_EQ(ended(), (std::vector<std::int32_t> {27, 34, 9}));
}

// A destination's composer (gc_op 3) offers Help: the help field's texts
// under the composer's title; "More Help" opens the help link and ends the
// flow with 9.
TEST_F(ComposeJobTest, HelpShowsTheHelpFieldAndMoreHelpOpensItsLink)
{
    client->settings().addCoolSite("gallery", "Gallery", "http://i.example/g.png", "image/png", "", "");
    start("gallery", [](CVXLComposeJob& j) {
        j.setProperty(CVXLComposeJob::kPropertyGcOp, CVXLVariant(3));
        j.setProperty(CVXLComposeJob::kPropertyDestination, CVXLVariant(CVXLString("gallery")));
    });
    ASSERT_EQ(screen(), "composer Gallery");
    EXPECT_EQ(screenText(*top()),
        "Gallery | unplaced Continue, unplaced Modify, unplaced Update, unplaced Cancel, "
        "unplaced Help, hard Back, hard Exit");
    EXPECT_EQ(std::string(job->layout().mediaLink().c_str()), "http://i.example/g.png");
    ASSERT_TRUE(press("Help"));
    ASSERT_EQ(screen(), "info Your gallery.");
    EXPECT_EQ(screenText(*top()), "Gallery | hard More Help, hard Cancel, hard Back, hard Exit");
    EXPECT_TRUE(top()->asInformation()->media());
    ASSERT_TRUE(press("Back"));
    EXPECT_EQ(screen(), "composer Gallery");
    ASSERT_TRUE(press("Help"));
    ASSERT_TRUE(press("More Help"));
    std::uint32_t urls = 0;
    for (const Request& r : requests)
        urls += r.kind == kUIRequestProcessUrl ? 1 : 0;
    EXPECT_EQ(urls, 1u);
    EXPECT_EQ(ended(), std::vector<std::int32_t> {9});
    EXPECT_EQ(screen(), "none");
}

} // namespace

namespace {

// The composer's first media list field, or null.
CVXLFieldElement* mediaField(CVXLLayoutMessageComposer& layout)
{
    for (std::uint32_t i = 0; i < layout.fieldCount(); ++i) {
        CVXLElement* value = layout.getField(i)->value();
        if (value && value->asMediaList())
            return layout.getField(i);
    }
    return nullptr;
}

int mediaShown(CVXLLayoutMessageComposer& layout)
{
    CVXLFieldElement* field = mediaField(layout);
    return field ? static_cast<int>(field->value()->asMediaList()->count()) : -1;
}

// A file the window adds by its path to the focused media list: the spinner
// while the Media Access Manager imports it, then the composer again with the
// file selected and listed; a file that is not there leaves the composition
// as it was.
TEST_F(ComposeJobTest, AFileAddedByItsPathIsSelectedAndListed)
{
    addRecipients(1);
    ASSERT_TRUE(selectPhonePicture());
    start("__vxl_sendto_recipients");
    ASSERT_TRUE(job->isEditing());
    ASSERT_EQ(mediaShown(job->layout()), 1);
    job->layout().setCurrentElement(mediaField(job->layout()));
    const std::string screenBefore = screen();
    ASSERT_TRUE(engine.root().writeFile("My Documents/My Pictures/Trip/new.jpg", std::string(700, 'n')));

    struct Case {
        const char* path;
        int shown;
        std::uint32_t selected;
    } cases[] = {
        {"\\My Documents\\My Pictures\\Trip\\new.jpg", 2, 2},
        {"\\My Documents\\My Pictures\\Trip\\gone.jpg", 2, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const std::size_t before = requests.size();
        job->addMediaFile(c.path, CVXLPlatformMediaSource::kStoreId);
        run();
        // One screen came and went between: the spinner.
        std::vector<std::uint32_t> kinds;
        for (std::size_t i = before; i < requests.size(); ++i)
            if (requests[i].layout != &job->layout())
                kinds.push_back(requests[i].kind);
        EXPECT_EQ(kinds, (std::vector<std::uint32_t> {kUIRequestNewLayout, kUIRequestReleaseLayout}));
        EXPECT_TRUE(job->isEditing());
        EXPECT_EQ(screen(), screenBefore);
        EXPECT_EQ(mediaShown(job->layout()), c.shown);
        EXPECT_EQ(media().countSelected(), c.selected);
    }
    ASSERT_TRUE(press("Exit"));
    EXPECT_EQ(ended(), (std::vector<std::int32_t> {9}));
}

} // namespace
