// The phone's SMS Inbox with 1,000 messages: reading its contents table
// (entry id and class, as the main dialog's clean-up reads it), and the
// clean-up itself, deleting the 500 service notices one by one.
#include "platform/kernel/DeviceRoot.h"
#include "platform/mapi/MapiFolder.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/MessageStore.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

using namespace tessel::mapi;

namespace {

constexpr int kMessages = 1000;
constexpr const char* kNotice = "IPM.SMStext.Tessel";

struct Inbox {
    std::string root;
    std::unique_ptr<MapiSession> session;
    std::unique_ptr<MessageStore> store;
    std::unique_ptr<MapiFolder> folder;

    Inbox()
    {
        char path[] = "/tmp/tessel-mapi-bench-XXXXXX";
        if (!::mkdtemp(path))
            std::abort();
        root = path;
        tessel::kernel::setDeviceRoot(root);
        session = MapiSession::logon();
        const auto stores = session->storeTable({kPropEntryId});
        session->openStore(stores.at(0)[0].text, &store);
        store->openFolder(store->getProps({kPropInboxEntryId})[0].text, &folder);
    }
    ~Inbox()
    {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    // Half notices, half ordinary text messages, each with a subject and body.
    void fill()
    {
        for (int n = 0; n < kMessages; ++n) {
            auto message = folder->createMessage();
            message->setProps({PropValue::ofText(kPropMessageClass, n % 2 ? kNotice : "IPM.SMSText"),
                PropValue::ofText(kPropSubject, "Message " + std::to_string(n)),
                PropValue::ofText(kPropBody, std::string(140, 'x'))});
            message->saveChanges();
        }
    }
};

void BM_InboxContentsTable(benchmark::State& state)
{
    Inbox inbox;
    inbox.fill();
    for (auto _ : state) {
        const auto rows = inbox.folder->contentsTable({kPropEntryId, kPropMessageClass});
        if (rows.size() != kMessages)
            state.SkipWithError("the table is short");
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_InboxContentsTable)->Unit(benchmark::kMillisecond);

void BM_InboxCleanUpByClass(benchmark::State& state)
{
    Inbox inbox;
    for (auto _ : state) {
        state.PauseTiming();
        inbox.fill();
        state.ResumeTiming();
        int deleted = 0;
        for (const PropRow& row : inbox.folder->contentsTable({kPropEntryId, kPropMessageClass}))
            if (row[1].text == kNotice && inbox.folder->deleteMessages({row[0].text}) == kMapiOk)
                ++deleted;
        if (deleted != kMessages / 2)
            state.SkipWithError("not every notice went");
        state.PauseTiming();
        for (const PropRow& row : inbox.folder->contentsTable({kPropEntryId}))
            inbox.folder->deleteMessages({row[0].text});
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kMessages / 2);
}
BENCHMARK(BM_InboxCleanUpByClass)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
