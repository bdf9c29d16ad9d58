#include "engine/client/VXLUIRequest.h"
#include "engine/client/menu/MenuTextEvent.h"
#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/records/VXLMessageListItem.h"
#include "engine/screens/VXLLayoutMessageView.h"
#include "engine/screens/VXLMessageListJob.h"
#include "engine/screens/VXLMessageViewJob.h"
#include "engine/screens/VXLSlideMediaItem.h"
#include "engine/screens/VXLSmilPresentation.h"
#include "engine/screens/VXLThreadListJob.h"
#include "tests/e2e/DemoRoad.h"
#include "tests/media/MediaTestSupport.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/ScreenText.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr const char* kSender = "+15550001111";

// The engine on the road's device root after tessel has ended, with its own
// job pool and program; the test plays the user interface: it takes every
// screen request, keeps the layouts shown and presses keys by their labels.
// The peers are real processes, so the driven clock follows real time.
class ReadingEngine {
public:
    explicit ReadingEngine(TempDeviceRoot& root)
        : driver_(&root)
    {
    }
    ~ReadingEngine()
    {
        if (driver_.client()) {
            menu_.stop();
            driver_.runUntilIdle();
            driver_.shutDown(100000);
        }
    }

    bool start()
    {
        if (!driver_.startUp())
            return false;
        client().startChild(&menu_);
        // The premium inbox reads its saved lists behind the other start-up
        // file work; the thread list counts on them.
        return follow([&] { return client().getPremiumInboxManager().isLoaded(); }, 30000);
    }
    CVXLClient& client() { return *driver_.client(); }
    CVXLUiJob* currentJob() { return client().getProducer().uiJobs().current(); }

    // An activity of the program, as the menu starts it.
    void startActivity(std::int32_t code)
    {
        auto* event = new CMenuTextEvent(code);
        event->setHeapAllocated(false);
        activities_.emplace_back(event);
        menu_.post(&client().getProducer(), event);
    }
    // Ticks, taking screen requests, until `done` or realMs have passed.
    bool follow(const std::function<bool()>& done, int realMs)
    {
        using Clock = std::chrono::steady_clock;
        const auto begin = Clock::now();
        auto last = begin;
        for (;;) {
            driver_.tick();
            take();
            if (done())
                return true;
            if (Clock::now() - begin > std::chrono::milliseconds(realMs))
                return false;
            CVXLPlatformConnection::waitForSockets(
                std::max<std::uint32_t>(1, std::min(5u, client().getWaitTime())));
            const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
            driver_.advance(static_cast<std::uint32_t>(elapsed.count()));
            last += elapsed;
        }
    }
    // The layout shown last and not taken down.
    CVXLLayout* top() const { return shown_.empty() ? nullptr : shown_.back(); }
    std::string topText() const { return top() ? screenText(*top()) : "<none>"; }
    // The key with that label on the top screen, then until `done`.
    bool press(const std::string& label, const std::function<bool()>& done)
    {
        CVXLLayout* layout = top();
        return layout && submitByLabel(*layout, label) && follow(done, 30000);
    }

private:
    bool take()
    {
        CVXLUIRequest* request = driver_.popUIRequest();
        if (!request)
            return false;
        switch (request->kind()) {
        case kUIRequestReplaceLayout:
            std::erase(shown_, request->replacedLayout());
            shown_.push_back(request->layout());
            break;
        case kUIRequestNewLayout:
            shown_.push_back(request->layout());
            break;
        case kUIRequestReleaseLayout:
            std::erase(shown_, request->layout());
            break;
        default:
            break;
        }
        return true;
    }

    EngineDriver driver_;
    TraceJob menu_ {"menu"};
    std::vector<std::unique_ptr<CVXLEvent>> activities_;
    std::vector<CVXLLayout*> shown_;
};

// The bytes of a slide's medium as the user interface reads them: its
// original rendition into a destination.
std::string mediumBytes(ReadingEngine& engine, const CVXLMediaRefHandle& medium)
{
    TestDestination reader;
    CVXLMediaRef* ref = medium.get();
    if (!ref)
        return "<no medium>";
    ref->setSizeClass(CVXLMediaRef::kSizeOriginal);
    ref->setListener(&reader);
    ref->setRequestPath("");
    if (ref->submitRequest() != 1)
        return "<refused>";
    if (!engine.follow([&] { return reader.ends > 0; }, 30000))
        return "<no end>";
    return testHex(reader.bytes);
}

// Each medium of the slide as "region src", in the slide's order.
std::string slideRegions(const CVXLMessageViewJob& view, std::int32_t position)
{
    std::int32_t n = 0;
    for (const CVXLList::Node* node = view.presentation().slides().head(); node; node = node->next) {
        if (++n != position)
            continue;
        std::string out;
        const auto* slide = static_cast<const CVXLSmilNode*>(node->object);
        for (const CVXLList::Node* m = slide->media.head(); m; m = m->next) {
            const auto* media = static_cast<const CVXLSmilMedia*>(m->object);
            out += std::string(out.empty() ? "" : ", ") + media->region.c_str() + " " + media->src.c_str();
        }
        return out;
    }
    return "<no slide " + std::to_string(position) + ">";
}

// The layout's regions as "id top+height", in map order.
std::string layoutRegions(const CVXLMessageViewJob& view)
{
    std::string out;
    const CVXLStringMap& regions = view.presentation().regions();
    for (std::uint32_t i = 0; i < regions.count(); ++i) {
        const auto* region = static_cast<const CVXLSmilRegion*>(regions.valueAt(static_cast<int>(i)));
        out += std::string(out.empty() ? "" : ", ") + region->id.c_str() + " " + std::to_string(region->top)
            + "+" + std::to_string(region->height);
    }
    return out;
}

// A message of three slides pushed to the running tessel at the location
// the demo prints is fetched and stored, and tessel answers what the
// arrival shows and stays on its start screen. After tessel has ended the
// engine, on the same root with its own job pool and program, opens the
// thread list (activity 88, job 30), the sender's thread (job 26) and views
// the message (job 35, the view of a thread's message): three slides, Next
// walks them and wraps to the first, and each slide shows its media in the
// regions the message gives, with the bytes the relay sent. A start of
// tessel after that fetches nothing and the store holds the one message.
TEST(ReadRoad, AReceivedMessageIsReadSlideBySlide)
{
    TESSEL_REQUIRE_TOOL(testToolTmux());
    TESSEL_REQUIRE_TOOL(testToolSquid());
    DemoRoad road("three-slides", "M9");
    ASSERT_TRUE(road.ready()) << road.error();
    // The parts the relay serves, by Content-ID, as hex.
    const std::vector<std::pair<std::string, std::string>> parts = road.relayParts();
    const std::map<std::string, std::string> served(parts.begin(), parts.end());
    ASSERT_EQ(served.size(), 5u);

    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    road.peerScript("mms_relay.py push " + std::to_string(road.pushPort())
        + " M9 --location http://127.0.0.1:" + std::to_string(road.relayPort()) + "/retrieve/M9");
    ASSERT_TRUE(road.until(
        [&] { return DemoRoad::linesWith(road.relayLog(), {"POST /mms type=83 tid=M9 "}).size() == 1u; },
        "the notify response"));
    ASSERT_TRUE(road.step({"== Start ==", "Compose"}));
    EXPECT_EQ(road.close(), "0\n");

    // The road's root, on which tessel ran: the engine opens its files.
    auto reading = std::make_unique<ReadingEngine>(const_cast<TempDeviceRoot&>(road.root()));
    ReadingEngine& engine = *reading;
    ASSERT_TRUE(engine.start());
    // The phone's configuration is current, so the view's registration
    // check asks nothing of the service server (registering is the first
    // start's road).
    engine.client().settings().setPersistentString(kPersVraxVerId, "1");
    engine.startActivity(88);
    CVXLThreadListJob* threads = nullptr;
    ASSERT_TRUE(engine.follow(
        [&] {
            threads = dynamic_cast<CVXLThreadListJob*>(engine.currentJob());
            return threads && engine.top() == &threads->layout() && threads->layout().list().length() > 0;
        },
        30000))
        << engine.topText();
    EXPECT_EQ(threads->typeId(), 30);
    CVXLListModel& rows = threads->layout().list();
    // The one thread, the sender's.
    std::vector<CVXLMessageListItem*> listed;
    std::string ids;
    for (std::int32_t i = 0; i < rows.length(); ++i) {
        if (auto* item = dynamic_cast<CVXLMessageListItem*>(rows.itemAt(rows.first() + i))) {
            listed.push_back(item);
            ids += std::string(item->id().c_str()) + " ";
        }
    }
    ASSERT_EQ(listed.size(), 1u) << ids;
    EXPECT_STREQ(listed[0]->id().c_str(), kSender);
    threads->layout().setCurrentElement(listed[0]);

    CVXLMessageListJob* messages = nullptr;
    ASSERT_TRUE(engine.press("Continue", [&] {
        messages = dynamic_cast<CVXLMessageListJob*>(engine.currentJob());
        return messages && engine.top() == &messages->layout() && messages->layout().list().length() > 0;
    })) << engine.topText();
    EXPECT_EQ(messages->typeId(), 26);

    CVXLMessageViewJob* view = nullptr;
    ASSERT_TRUE(engine.press("View", [&] {
        view = dynamic_cast<CVXLMessageViewJob*>(engine.currentJob());
        return view && engine.top() == &view->layout() && !view->layout().isBusy()
            && view->layout().slideCount() > 0;
    })) << engine.topText();
    // The view of a thread's message.
    EXPECT_EQ(view->typeId(), 35);
    CVXLLayoutMessageView& layout = view->layout();
    EXPECT_EQ(layout.slideCount(), 3);
    EXPECT_EQ(layoutRegions(*view), "Image 0+60, Text 60+40");

    struct Slide {
        std::int32_t duration;
        const char* regions; // each medium's region and source
        std::vector<const char*> pictures; // the Content-IDs of its pictures
        const char* text; // the Content-ID of its text, "" for none
    };
    const Slide slides[] = {
        {3000, "Image cid:pic1@tessel, Text cid:text1@tessel", {"pic1@tessel"}, "text1@tessel"},
        {2000, "Image cid:pic2@tessel", {"pic2@tessel"}, ""},
        {1000, "Text cid:text2@tessel", {}, "text2@tessel"},
    };
    // Next walks the three and wraps to the first.
    for (std::int32_t step = 0; step < 4; ++step) {
        const std::int32_t position = step % 3 + 1;
        const Slide& slide = slides[position - 1];
        SCOPED_TRACE("slide " + std::to_string(position));
        if (step > 0) {
            ASSERT_TRUE(engine.press("Next Slide", [&] {
                return layout.position() == position && !layout.isBusy();
            })) << engine.topText();
        }
        EXPECT_EQ(layout.position(), position);
        EXPECT_EQ(layout.duration(), slide.duration);
        EXPECT_EQ(slideRegions(*view, position), slide.regions);
        ASSERT_EQ(layout.elementCount(), slide.pictures.size()) << engine.topText();
        for (std::uint32_t i = 0; i < layout.elementCount(); ++i)
            EXPECT_EQ(mediumBytes(engine, layout.elementAt(i)->medium()), served.at(slide.pictures[i]));
        const std::string text = *slide.text ? served.at(slide.text) : "";
        EXPECT_EQ(testHex(layout.slideText().c_str()), text);
    }
    ASSERT_TRUE(engine.press("Back", [&] { return dynamic_cast<CVXLMessageListJob*>(engine.currentJob()); }))
        << engine.topText();
    reading.reset();

    // What the road left: tessel starts again on the root and fetches
    // nothing; the store holds the one message.
    road.start();
    ASSERT_TRUE(road.step({"== Start =="}));
    EXPECT_EQ(road.close(), "0\n");
    EXPECT_EQ(road.relayLog().size(), 3u) << road.report();
    const std::string stored = road.peerScript(
        "msgstore.py store-read '" + road.root().hostPath("Storage Card/Tessel/Messages") + "'");
    const std::size_t open = stored.find("\"lists\": [[\"");
    ASSERT_NE(open, std::string::npos) << stored;
    EXPECT_EQ(stored.find("\"], [], [], []]", open), stored.find('"', open + 12)) << stored;
}

} // namespace
