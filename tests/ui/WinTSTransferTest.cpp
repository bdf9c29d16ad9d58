#include "ui/WinTSTransfer.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/Layouts/WinTSLayout.h"
#include "ui/WinTSMessages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

using namespace tessel;

std::atomic<int> gTransfersGone {0};

// A transfer that counts its end and can be refused its buffer.
class CountedTransfer : public CWinTSTransfer {
public:
    CountedTransfer(CWinTSTransferList* owner, int index, bool refuseBuffer = false)
        : CWinTSTransfer(owner, index)
        , refuse_(refuseBuffer)
    {
    }
    ~CountedTransfer() override { ++gTransfersGone; }

protected:
    bool allocate(std::uint32_t size) override { return !refuse_ && CWinTSTransfer::allocate(size); }

private:
    bool refuse_;
};

struct StatusSink : CVXLCallback {
    std::vector<std::uint32_t> values;
    void call(std::uint32_t value) override { values.push_back(value); }
};

// The engine's side of one chunk: what it offers and what was consumed.
struct Chunk : CVXLSinkInterface {
    explicit Chunk(std::string bytes)
        : data(std::move(bytes))
    {
    }
    const std::uint8_t* getData() override { return reinterpret_cast<const std::uint8_t*>(data.data()); }
    std::uint32_t getLength() override { return static_cast<std::uint32_t>(data.size()); }
    void consume(std::uint32_t count, std::uint32_t error) override
    {
        consumed = count;
        this->error = error;
    }
    std::string data;
    std::uint32_t consumed = 0xFFFF;
    std::uint32_t error = 0xFFFF;
};

// A layout window that keeps the transfers handed to it.
class Owner : public CWinTSLayout {
public:
    Owner(CVXLLayout* layout)
        : CWinTSLayout(104, u"CWinTSTransferOwner", layout, WinTSDialogLink {0, 0, 0, 0, 0})
    {
    }
    ~Owner() override
    {
        for (CWinTSTransfer* t : received)
            delete t;
    }
    void OnTransferEnded(CWinTSTransfer* transfer, int index) override
    {
        received.push_back(transfer);
        indexes.push_back(index);
    }
    std::vector<CWinTSTransfer*> received;
    std::vector<int> indexes;
};

void drain()
{
    ui::Message message;
    while (ui::peekMessage(&message, true))
        ui::dispatchMessage(message);
}

TEST(WinTSTransfer, ReceivesWithinItsBufferAndFailsPastIt)
{
    TempDeviceRoot root;
    CVXLLayoutMenuList layout;
    struct Case {
        const char* what;
        std::int32_t announced;
        bool refuse;
        std::vector<std::string> chunks;
        std::uint32_t beginStatus;
        std::uint32_t capacity;
        std::vector<std::uint32_t> errors; // per chunk
        std::string received;
        bool failed;
    };
    const Case cases[] = {
        {"exactly the announced bytes", 10, false, {"0123", "456789"}, 0, 10, {0, 0}, "0123456789", false},
        {"an unknown size gets the most it takes", -1, false, {"abc"}, 0, 512000, {0}, "abc", false},
        {"a large size is held to the most", 600000, false, {"x"}, 0, 512000, {0}, "x", false},
        {"past the announcement the transfer fails", 5, false, {"0123", "456"}, 0, 5, {0, 1}, "0123", true},
        {"a refused buffer answers non-zero and takes nothing", 10, true, {"0123"}, 1, 0, {1}, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Owner owner(&layout);
        ASSERT_TRUE(owner.createModeless(u"Owner"));
        auto* transfer = new CountedTransfer(&owner.transfers(), 7, c.refuse);
        EXPECT_TRUE(transfer->isBusy());
        EXPECT_EQ(transfer->getMaxSize(), 512000);
        StatusSink begin;
        transfer->beginTransfer(c.announced, &begin);
        EXPECT_EQ(begin.values, (std::vector<std::uint32_t> {c.beginStatus}));
        EXPECT_EQ(transfer->capacity(), c.capacity);
        std::vector<std::uint32_t> errors;
        for (const std::string& bytes : c.chunks) {
            Chunk chunk(bytes);
            transfer->writeData(&chunk);
            errors.push_back(chunk.error);
            if (chunk.error == 0) {
                EXPECT_EQ(chunk.consumed, bytes.size()) << "the whole chunk is taken";
            }
        }
        EXPECT_EQ(errors, c.errors);
        EXPECT_EQ(transfer->getSize(), c.received.size()) << "getSize is the bytes received";
        EXPECT_EQ(
            std::string(reinterpret_cast<const char*>(transfer->getData()), transfer->getSize()), c.received);
        EXPECT_EQ(transfer->failed(), c.failed);
        transfer->endTransfer();
        EXPECT_FALSE(transfer->isBusy());
        EXPECT_TRUE(owner.received.empty()) << "the end reaches the window on its own thread";
        drain();
        ASSERT_EQ(owner.received.size(), 1u);
        EXPECT_EQ(owner.received[0], transfer);
        EXPECT_EQ(owner.indexes[0], 7);
        EXPECT_EQ(owner.transfers().count(), 0u);
        owner.destroy();
    }
}

TEST(WinTSTransfer, AWindowClosedMidTransferGetsNoPostAndLeavesNothing)
{
    TempDeviceRoot root;
    CVXLLayoutMenuList layout;
    gTransfersGone = 0;
    auto owner = std::make_unique<Owner>(&layout);
    ASSERT_TRUE(owner->createModeless(u"Owner"));
    const ui::WindowHandle handle = owner->handle();
    StatusSink begin;
    // One still running and one whose end is already on its way.
    auto* running = new CountedTransfer(&owner->transfers(), 1);
    auto* ending = new CountedTransfer(&owner->transfers(), 2);
    running->beginTransfer(4, &begin);
    ending->beginTransfer(4, &begin);
    Chunk chunk("abcd");
    running->writeData(&chunk);
    ending->endTransfer();
    EXPECT_EQ(gTransfersGone, 0);

    owner->destroy();
    EXPECT_EQ(gTransfersGone, 1) << "the one whose end was posted goes with the window";
    EXPECT_TRUE(running->cancelled());
    Chunk more("ef");
    running->writeData(&more);
    EXPECT_NE(more.error, 0u) << "a cancelled transfer takes no more";
    running->endTransfer();
    EXPECT_EQ(gTransfersGone, 2) << "the cancelled one deletes itself at its end";
    drain();
    EXPECT_TRUE(owner->received.empty());
    EXPECT_EQ(ui::windowFromHandle(handle), nullptr);
    owner.reset();
    EXPECT_EQ(gTransfersGone, 2);
}

} // namespace
