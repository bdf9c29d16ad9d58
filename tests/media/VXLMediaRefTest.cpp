#include "engine/media/VXLMediaRef.h"
#include "engine/core/jobs/VXLCancelNotice.h"
#include "engine/core/settings/VXLConfigReader.h"
#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/transfer/VXLByteBufferSource.h"
#include "tests/media/MediaTestSupport.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

struct Slot {
    const char* location;
    const char* mimeType;
    std::int32_t width, height;
    bool original;
};

// Configuration items given as texts; an item not listed is absent.
class MapConfig : public CVXLConfigReader {
public:
    explicit MapConfig(std::map<std::int32_t, std::string> items)
        : items_(std::move(items))
    {
    }
    bool readItem(std::int32_t item, CVXLString* text) const override
    {
        auto it = items_.find(item);
        if (it == items_.end())
            return false;
        *text = it->second.c_str();
        return true;
    }

private:
    std::map<std::int32_t, std::string> items_;
};

// Answers media read requests by the request's target path: with a started
// byte-buffer source of the scripted bytes, with a failure, or not yet
// (held until the test releases it).
class ScriptedMediaSource : public CVXLEventHandler {
public:
    struct Item {
        std::string bytes;
        std::int32_t result = 0;
        bool hold = false;
    };

    const char* name() const override { return "scripted media source"; }
    void onEvent(CVXLEvent* event) override
    {
        if (event->effectiveCode() == kEventCancelNotice)
            return onCancelNotice(event);
        if (event->effectiveCode() != kEventFileStoreOpenForReading)
            return finishEvent(event);
        auto* request = static_cast<CVXLMediaReadRequest*>(event);
        const std::string path = request->second.c_str();
        requested.push_back(path);
        kinds.push_back(request->kind);
        if (items[path].hold) {
            held.push_back(request);
            // Other requests are taken while this one waits.
            resume();
            return;
        }
        answer(request);
    }
    void childFinished(CVXLEventHandler* child) override { delete child; }

    void releaseHeld()
    {
        std::vector<CVXLMediaReadRequest*> waiting;
        waiting.swap(held);
        for (CVXLMediaReadRequest* request : waiting)
            answer(request);
    }

    std::map<std::string, Item> items;
    std::vector<std::string> requested;
    std::vector<std::int32_t> kinds;
    std::vector<CVXLMediaReadRequest*> held;

private:
    // A withdrawn request is answered (with 24) at once.
    void onCancelNotice(CVXLEvent* event)
    {
        CVXLEvent* cancelled = static_cast<CVXLCancelNotice*>(event)->cancelled();
        finishEvent(event);
        for (auto it = held.begin(); it != held.end(); ++it) {
            if (*it == cancelled) {
                held.erase(it);
                return finishEvent(cancelled);
            }
        }
    }

    void answer(CVXLMediaReadRequest* request)
    {
        const Item& item = items[request->second.c_str()];
        if (item.result != 0) {
            request->setResult(item.result);
            return finishEvent(request);
        }
        auto* source = new CVXLByteBufferSource();
        CVXLByteBuffer buffer;
        buffer.append(item.bytes.data(), static_cast<std::uint32_t>(item.bytes.size()));
        source->setBuffer(buffer);
        startChild(source);
        request->job = source;
        finishEvent(request);
    }
};

// A counted item whose deletion is seen, served by a scripted source.
struct SoleHandleFixture : MediaFixture {
    ScriptedMediaSource source;
    int deleted = 0;
    TestDestination observer;

    SoleHandleFixture(const char* bytes, bool hold)
    {
        driver.attach(&source);
        source.items["p"] = {bytes, 0, hold};
    }

    // The item's only handle, with one request of the observer submitted.
    CVXLMediaRefHandle submit()
    {
        CVXLMediaRefHandle handle = soleHandle(&deleted);
        handle.setMimeType("image/jpeg");
        handle.addEntry("pic", "image/jpeg", &source, -1, -1, -1, true);
        handle.get()->setSizeClass(CVXLMediaRef::kSizeOriginal);
        handle.get()->setListener(&observer);
        handle.get()->setRequestPath("p");
        EXPECT_EQ(handle.get()->submitRequest(), 1);
        return handle;
    }
};

struct ServingFixture : MediaFixture {
    ScriptedMediaSource source;
    CVXLMediaRefHandle handle;

    ServingFixture()
    {
        driver.attach(&source);
        driver.runUntilIdle();
        handle.setMimeType("image/jpeg");
        handle.addEntry("pic.jpg", "image/jpeg", &source, 640, 480, -1, true);
    }

    CVXLMediaRef* ref() const { return handle.get(); }

    int submit(TestDestination* observer, const char* path, std::int32_t sizeClass = 0)
    {
        ref()->setSizeClass(sizeClass);
        ref()->setListener(observer);
        ref()->setRequestPath(path);
        return ref()->submitRequest();
    }

    void cancel(TestDestination* observer)
    {
        auto* event = new CVXLMediaCancelRequest(observer);
        driver.root().post(ref(), event);
    }
};

} // namespace

TEST(VXLMediaRef, RenditionChoice)
{
    struct Case {
        const char* what;
        const char* itemType;
        std::vector<Slot> slots;
        std::int32_t sizeClass;
        const char* expected;
        bool exact = false;
        Slot exactWanted = {};
        std::map<std::int32_t, std::string> config = {};
        bool useConfig = false;
    };
    const Case cases[] = {
        {"original: a flagged slot is taken at once", "image/jpeg",
            {{"big", "image/jpeg", 640, 480, false}, {"orig", "image/jpeg", 100, 100, true}}, 0, "orig"},
        {"original: a slot of unknown size is taken at once", "image/jpeg",
            {{"big", "image/jpeg", 640, 480, false}, {"unknown", "image/png", -1, -1, false}}, 0, "unknown"},
        {"original: largest area of the item's type", "image/jpeg",
            {{"png", "image/png", 1000, 1000, false}, {"small", "image/jpeg", 320, 240, false},
                {"large", "image/jpeg", 640, 480, false}},
            0, "large"},
        {"original: equal areas keep the earlier", "image/jpeg",
            {{"first", "image/jpeg", 200, 100, false}, {"second", "image/jpeg", 100, 200, false}}, 0,
            "first"},
        {"original: free slots are never chosen", "image/jpeg", {{"only", "image/jpeg", 320, 240, false}}, 0,
            "only"},
        {"original: no slot in use", "image/jpeg", {}, 0, nullptr},
        {"original: one unknown side counts as 1", "image/jpeg",
            {{"tall", "image/jpeg", -1, 220, false}, {"square", "image/jpeg", 200, 200, false}}, 0, "square"},
        {"original: one unknown side still beats nothing", "image/jpeg",
            {{"tall", "image/jpeg", -1, 220, false}, {"other", "image/png", 200, 200, false}}, 0, "tall"},
        {"preview: the largest within 100 x 100", "image/jpeg",
            {{"full", "image/jpeg", 640, 480, true}, {"p100", "image/jpeg", 100, 100, false},
                {"p80", "image/jpeg", 80, 60, false}},
            1, "p100"},
        {"preview: nothing small enough", "image/jpeg", {{"full", "image/jpeg", 640, 480, true}}, 1, nullptr},
        {"preview: equal areas end the walk, earlier kept", "image/jpeg",
            {{"wide", "image/jpeg", 100, 50, false}, {"tall", "image/jpeg", 50, 100, false},
                {"bigger", "image/jpeg", 90, 90, false}},
            1, "wide"},
        {"preview: equal areas replace an original", "image/jpeg",
            {{"wide", "image/jpeg", 100, 50, true}, {"tall", "image/jpeg", 50, 100, false}}, 1, "tall"},
        {"preview: unknown size fits with area 1", "image/jpeg",
            {{"unknown", "image/jpeg", -1, -1, false}, {"p80", "image/jpeg", 80, 80, false}}, 1, "p80"},
        {"preview: one unknown side does not beat a real one", "image/jpeg",
            {{"p80", "image/jpeg", 80, 80, false}, {"narrow", "image/jpeg", -1, 100, false}}, 1, "p80"},
        {"view: 160 x 220 for a picture", "image/jpeg",
            {{"full", "image/jpeg", 640, 480, true}, {"view", "image/jpeg", 160, 220, false}}, 2, "view"},
        {"video preview is a picture", "video/3gpp",
            {{"clip", "video/3gpp", 160, 120, true}, {"still", "image/jpeg", 100, 75, false}}, 1, "still"},
        {"video view is a video", "video/3gpp",
            {{"clip", "video/3gpp", 160, 120, true}, {"still", "image/jpeg", 100, 75, false}}, 2, "clip"},
        {"sound: original by its flag", "audio/amr", {{"memo", "audio/amr", -1, -1, true}}, 0, "memo"},
        {"sound: no preview", "audio/amr", {{"memo", "audio/amr", -1, -1, true}}, 1, nullptr},
        {"sound: a sized slot without flag is no original", "audio/amr",
            {{"memo", "audio/amr", 10, 10, false}}, 0, nullptr},
        {"exact: size limits no longer apply", "image/jpeg",
            {{"full", "image/jpeg", 640, 480, false}, {"other", "image/jpeg", 320, 240, false}}, 1, "full",
            true, {nullptr, "image/jpeg", 640, 480, false}},
        {"configured: absent sizes do not limit", "image/jpeg",
            {{"jpeg", "image/jpeg", 640, 480, false}, {"png", "image/png", 320, 240, false},
                {"bigpng", "image/png", 800, 600, false}},
            1, "bigpng", false, {}, {{20, "image/png"}}, true},
        {"configured: no type item matches nothing", "image/jpeg", {{"small", "image/jpeg", 10, 10, false}},
            1, nullptr, false, {}, {{17, "100"}, {18, "100"}}, true},
    };
    ScriptedMediaSource job;
    for (const Case& c : cases) {
        MapConfig config(c.config);
        job.setConfig(c.useConfig ? &config : nullptr);
        CVXLMediaRefHandle handle;
        handle.setMimeType(c.itemType);
        for (const Slot& slot : c.slots)
            handle.addEntry(slot.location, slot.mimeType, &job, slot.width, slot.height, -1, slot.original);
        if (c.exact)
            handle.requestRendition(
                c.sizeClass, c.exactWanted.width, c.exactWanted.height, c.exactWanted.mimeType);
        const char* chosen = handle.get()->getRenditionName(c.sizeClass);
        if (c.expected) {
            EXPECT_STREQ(chosen, c.expected) << c.what;
            EXPECT_EQ(handle.entryValue(c.sizeClass), &job) << c.what;
        } else {
            EXPECT_EQ(chosen, nullptr) << c.what << ": chose " << chosen;
            EXPECT_EQ(handle.entryValue(c.sizeClass), nullptr) << c.what;
            EXPECT_EQ(handle.get()->getRenditionWidth(c.sizeClass), -1) << c.what;
        }
    }
}

// Two engines in one process: a media reference is sized by the
// configuration of the tree its source job is in and served under that tree's
// runner, whichever tree was wired last; a tree without a runner ends the
// request unserved.
TEST(VXLMediaRef, EachTreeSizesAndServesItsOwnReferences)
{
    struct Tree {
        JobTreeDriver driver;
        CJobRunner runner;
        ScriptedMediaSource source;
        MapConfig config;

        Tree(std::map<std::int32_t, std::string> items, bool withRunner)
            : config(std::move(items))
        {
            driver.attach(&runner);
            driver.attach(&source);
            driver.runUntilIdle();
            if (withRunner)
                driver.root().setJobRunner(&runner);
            driver.root().setConfig(&config);
            source.items["x"] = {"bytes", 0, false};
        }
    };
    Tree small({{17, "100"}, {18, "100"}, {20, "image/"}}, true);
    Tree large({{17, "200"}, {18, "200"}, {20, "image/"}}, true);
    Tree unserved({{17, "200"}, {18, "200"}, {20, "image/"}}, false);
    struct Case {
        Tree* tree;
        const char* preview;
        bool served;
    };
    const Case cases[] = {{&small, "p100", true}, {&large, "p200", true}, {&unserved, "p200", false}};
    for (const Case& c : cases) {
        TestDestination observer;
        {
            CVXLMediaRefHandle handle;
            handle.setMimeType("image/jpeg");
            handle.addEntry("p100", "image/jpeg", &c.tree->source, 100, 100, -1, false);
            handle.addEntry("p200", "image/jpeg", &c.tree->source, 200, 200, -1, false);
            EXPECT_STREQ(handle.get()->getRenditionName(CVXLMediaRef::kSizePreview), c.preview);
            handle.get()->setSizeClass(CVXLMediaRef::kSizePreview);
            handle.get()->setListener(&observer);
            handle.get()->setRequestPath("x");
            ASSERT_EQ(handle.get()->submitRequest(), 1) << c.preview;
            for (const Case& other : cases)
                other.tree->driver.runUntilIdle();
            EXPECT_EQ(handle.get()->parent(), c.served ? &c.tree->runner : nullptr) << c.preview;
            for (const Case& other : cases) {
                if (other.tree != c.tree) {
                    EXPECT_FALSE(other.tree->runner.hasChildren()) << c.preview;
                }
            }
        }
        c.tree->driver.runUntilIdle();
        EXPECT_EQ(observer.bytes, c.served ? "bytes" : "") << c.preview;
        EXPECT_EQ(observer.ends, 1) << c.preview;
        EXPECT_FALSE(c.tree->runner.hasChildren()) << c.preview;
    }
}

TEST(VXLMediaRef, ExactRequestNamesTheMatchingRenditionOrIsRefused)
{
    struct Case {
        const char* what;
        std::int32_t width, height;
        const char* mimeType;
        int accepted;
        const char* location;
    };
    const Case cases[] = {
        {"the last match wins", 100, 75, "image/jpeg", 1, "second"},
        {"type must be equal, not a prefix", 100, 75, "image/", 0, nullptr},
        {"size must be equal", 100, 76, "image/jpeg", 0, nullptr},
    };
    for (const Case& c : cases) {
        ServingFixture f;
        f.handle.addEntry("first", "image/jpeg", &f.source, 100, 75, -1, false);
        f.handle.addEntry("second", "image/jpeg", &f.source, 100, 75, -1, false);
        f.source.items["p"].hold = true;
        TestDestination observer;
        f.handle.requestRendition(1, c.width, c.height, c.mimeType);
        f.ref()->setListener(&observer);
        f.ref()->setRequestPath("p");
        EXPECT_EQ(f.ref()->submitRequest(), c.accepted) << c.what;
        f.driver.runUntilIdle();
        if (c.location) {
            ASSERT_EQ(f.source.held.size(), 1u) << c.what;
            EXPECT_STREQ(f.source.held[0]->fileName.c_str(), c.location) << c.what;
            EXPECT_TRUE(f.source.held[0]->exact) << c.what;
            EXPECT_EQ(f.source.held[0]->width, 100) << c.what;
        }
        f.source.releaseHeld();
        f.driver.runUntilIdle();
    }
}

TEST(VXLMediaRef, QueueOfFourAfterTheRunningOneTheNextRefused)
{
    ServingFixture f;
    f.source.items["p0"] = {"zero", 0, true};
    for (const char* path : {"p1", "p2", "p3", "p4"})
        f.source.items[path] = {path, 0, false};
    TestDestination observers[6];
    const char* paths[] = {"p0", "p1", "p2", "p3", "p4", "p5"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(f.submit(&observers[i], paths[i]), 1) << paths[i];
    EXPECT_EQ(f.ref()->queuedCount(), 4u);
    EXPECT_EQ(f.submit(&observers[5], "p5"), 0);
    // A refused submit leaves nothing prepared behind.
    EXPECT_EQ(f.ref()->submitRequest(), 0);
    TestDestination noRendition;
    f.ref()->setSizeClass(1);
    f.ref()->setListener(&noRendition);
    EXPECT_EQ(f.ref()->submitRequest(), 0) << "no slot fits a preview";

    f.driver.runUntilIdle();
    f.source.releaseHeld();
    f.driver.runUntilIdle();
    EXPECT_EQ(f.source.requested, (std::vector<std::string> {"p0", "p1", "p2", "p3", "p4"}));
    EXPECT_EQ(observers[0].bytes, "zero");
    for (int i = 1; i < 5; ++i) {
        EXPECT_EQ(observers[i].bytes, paths[i]);
        EXPECT_EQ(observers[i].ends, 1);
    }
    EXPECT_EQ(observers[5].ends, 0);
    EXPECT_FALSE(f.ref()->busy());
    EXPECT_EQ(f.ref()->referenceCount(), 1);
}

TEST(VXLMediaRef, CancellingAQueuedObserverKeepsTheOthersInOrder)
{
    ServingFixture f;
    f.source.items["p0"] = {"zero", 0, true};
    TestDestination observers[5];
    const char* paths[] = {"p0", "p1", "p2", "p3", "p4"};
    for (int i = 0; i < 5; ++i) {
        if (i)
            f.source.items[paths[i]] = {paths[i], 0, false};
        ASSERT_EQ(f.submit(&observers[i], paths[i]), 1);
    }
    f.driver.runUntilIdle();
    f.cancel(&observers[2]);
    f.driver.runUntilIdle();
    EXPECT_EQ(observers[2].ends, 1);
    EXPECT_EQ(f.ref()->queuedCount(), 3u);
    f.source.releaseHeld();
    f.driver.runUntilIdle();
    EXPECT_EQ(f.source.requested, (std::vector<std::string> {"p0", "p1", "p3", "p4"}));
    EXPECT_EQ(observers[2].bytes, "");
    EXPECT_EQ(observers[2].ends, 1);
    EXPECT_EQ(observers[4].bytes, "p4");
}

TEST(VXLMediaRef, CancellingTheRunningObserverEndsItsTransferAndTheNextRuns)
{
    ServingFixture f;
    const std::string big = FileStoreFixture::randomBytes(200000, 3);
    f.source.items["running"] = {big, 0, false};
    f.source.items["next"] = {"next bytes", 0, false};
    TestDestination running, next;
    running.maxSize = 1000;
    ASSERT_EQ(f.submit(&running, "running"), 1);
    ASSERT_EQ(f.submit(&next, "next"), 1);
    for (int i = 0; i < 200 && running.bytes.size() < 5000; ++i)
        f.driver.step();
    ASSERT_GE(running.bytes.size(), 5000u);
    f.cancel(&running);
    f.driver.runUntilIdle(100000);
    EXPECT_LT(running.bytes.size(), big.size());
    EXPECT_EQ(running.ends, 1);
    EXPECT_EQ(next.bytes, "next bytes");
    EXPECT_EQ(next.ends, 1);
    EXPECT_FALSE(f.ref()->busy());
    EXPECT_FALSE(f.source.hasChildren()) << "the source jobs were stopped";
}

TEST(VXLMediaRef, AFailedReadEndsOnlyThatRequest)
{
    struct Case {
        const char* what;
        std::int32_t result;
    };
    const Case cases[] = {{"not found", 4}, {"failed", 1000}};
    for (const Case& c : cases) {
        ServingFixture f;
        f.source.items["bad"] = {"", c.result, false};
        f.source.items["good"] = {"good bytes", 0, false};
        TestDestination bad, good;
        ASSERT_EQ(f.submit(&bad, "bad"), 1);
        ASSERT_EQ(f.submit(&good, "good"), 1);
        f.driver.runUntilIdle();
        EXPECT_EQ(bad.ends, 1) << c.what;
        EXPECT_TRUE(bad.totals.empty()) << c.what;
        EXPECT_EQ(good.bytes, "good bytes") << c.what;
        EXPECT_EQ(good.ends, 1) << c.what;
        EXPECT_EQ(f.ref()->referenceCount(), 1) << c.what;
    }
}

TEST(VXLMediaRef, CancellingAnObserverWhoseReadIsOutstanding)
{
    ServingFixture f;
    f.source.items["slow"] = {"slow", 0, true};
    f.source.items["next"] = {"next", 0, false};
    TestDestination slow, next;
    ASSERT_EQ(f.submit(&slow, "slow"), 1);
    ASSERT_EQ(f.submit(&next, "next"), 1);
    f.driver.runUntilIdle();
    f.cancel(&slow);
    f.driver.runUntilIdle();
    EXPECT_EQ(slow.ends, 1);
    EXPECT_EQ(slow.bytes, "");
    EXPECT_EQ(next.bytes, "next");
}

TEST(VXLMediaRef, DestinationThatRefusesTheBeginGetsNoBytes)
{
    ServingFixture f;
    f.source.items["p"] = {"bytes", 0, false};
    TestDestination observer;
    observer.beginStatus = 4;
    ASSERT_EQ(f.submit(&observer, "p"), 1);
    f.driver.runUntilIdle();
    EXPECT_EQ(observer.totals, std::vector<std::int32_t> {5});
    EXPECT_EQ(observer.bytes, "");
    EXPECT_EQ(observer.ends, 1);
    EXPECT_FALSE(f.ref()->busy());
}

TEST(VXLMediaRef, LastHandleReleasedDuringARequest)
{
    SoleHandleFixture f("late bytes", true);
    {
        CVXLMediaRefHandle handle = f.submit();
        f.driver.runUntilIdle();
    }
    EXPECT_EQ(f.deleted, 0) << "the running request keeps it";
    EXPECT_TRUE(f.runner.hasChildren());
    f.source.releaseHeld();
    f.driver.runUntilIdle();
    EXPECT_EQ(f.observer.bytes, "late bytes");
    EXPECT_EQ(f.observer.ends, 1);
    EXPECT_EQ(f.deleted, 1) << "the Job Runner deleted it after its stop";
    EXPECT_FALSE(f.runner.hasChildren());
}

TEST(VXLMediaRef, ServedReferenceOutlivesItsRequestWhileAHandleRemains)
{
    SoleHandleFixture f("bytes", false);
    {
        CVXLMediaRefHandle handle = f.submit();
        f.driver.runUntilIdle();
        EXPECT_EQ(f.observer.bytes, "bytes");
        EXPECT_EQ(f.deleted, 0);
        EXPECT_EQ(handle.get()->referenceCount(), 1);
    }
    EXPECT_EQ(f.deleted, 0) << "a running job is never deleted by its handle";
    f.driver.runUntilIdle();
    EXPECT_EQ(f.deleted, 1);
    EXPECT_FALSE(f.runner.hasChildren());
}

TEST(VXLMediaRefHandle, CopiesAndAssignments)
{
    struct Env {
        int deletedA = 0;
        int deletedB = 0;
        CVXLMediaRefHandle a;
        CVXLMediaRefHandle b;
    };
    struct Case {
        const char* what;
        std::function<void(Env&)> act;
        std::int32_t countA; // references of item A afterwards; 0 when deleted
        int deletedB;
    };
    const Case cases[] = {
        {"a copy retains, its end releases", [](Env& e) { CVXLMediaRefHandle copy(e.a); }, 1, 0},
        {"assigning over the last handle of another shares A and deletes B", [](Env& e) { e.b = e.a; }, 2, 1},
        {"the last handle deletes", [](Env& e) { e.a = CVXLMediaRefHandle(); }, 0, 0},
        {"self-assignment of the last handle keeps the item",
            [](Env& e) {
                CVXLMediaRefHandle& same = e.a;
                e.a = same;
            },
            1, 0},
        {"assigning from a sharer of the same item",
            [](Env& e) {
                CVXLMediaRefHandle other(e.a);
                e.a = other;
            },
            1, 0},
        {"copy of an empty handle holds nothing",
            [](Env& e) {
                e.a = CVXLMediaRefHandle();
                e.b = e.a;
            },
            0, 1},
    };
    for (const Case& c : cases) {
        Env e;
        e.a = soleHandle(&e.deletedA);
        e.b = soleHandle(&e.deletedB);
        CVXLMediaRef* itemA = e.a.get();
        c.act(e);
        if (c.countA == 0) {
            EXPECT_EQ(e.deletedA, 1) << c.what;
        } else {
            EXPECT_EQ(e.deletedA, 0) << c.what;
            EXPECT_EQ(itemA->referenceCount(), c.countA) << c.what;
        }
        EXPECT_EQ(e.deletedB, c.deletedB) << c.what;
    }
}

TEST(VXLMediaRefHandle, SettersCreateTheItemOnDemand)
{
    struct Case {
        const char* what;
        std::function<void(CVXLMediaRefHandle&)> act;
        bool creates;
    };
    const Case cases[] = {
        {"setMimeType", [](CVXLMediaRefHandle& h) { h.setMimeType("image/png"); }, true},
        {"setValue", [](CVXLMediaRefHandle& h) { h.setValue(2); }, true},
        {"addEntry", [](CVXLMediaRefHandle& h) { h.addEntry("x", "image/png", nullptr, 1, 1, -1, false); },
            true},
        {"requestRendition", [](CVXLMediaRefHandle& h) { h.requestRendition(1, 1, 1, "image/png"); }, false},
        {"entryValue", [](CVXLMediaRefHandle& h) { EXPECT_EQ(h.entryValue(0), nullptr); }, false},
    };
    for (const Case& c : cases) {
        CVXLMediaRefHandle handle;
        c.act(handle);
        EXPECT_EQ(handle.get() != nullptr, c.creates) << c.what;
        if (handle.get()) {
            EXPECT_EQ(handle.get()->referenceCount(), 1) << c.what;
        }
    }
    CVXLMediaRefHandle handle;
    handle.setValue(2);
    handle.setMimeType("image/png");
    EXPECT_EQ(handle.get()->value(), 2);
    EXPECT_EQ(handle.get()->getMimeType(), "image/png");
}

TEST(VXLMediaRef, FullItemIgnoresAFourthRendition)
{
    ScriptedMediaSource job;
    CVXLMediaRefHandle handle;
    handle.setMimeType("image/jpeg");
    for (const char* location : {"a", "b", "c", "d"})
        handle.addEntry(location, "image/jpeg", &job, 10, 10, -1, false);
    EXPECT_STREQ(handle.get()->rendition(2).location.c_str(), "c");
    EXPECT_STREQ(handle.get()->getRenditionName(0), "a");
}
