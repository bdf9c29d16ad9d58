// The forward of a Tessel notice through the library's compose form, over a
// "\My Documents" of 0, 500, 2,000 and 5,000 pictures (100 a folder) in
// which the attachment's name occurs once: the search for it dominates what
// grows with the files. The launch's own wait is held constant: the bench
// holds "WINTS_Launch", so every request is written and then given up after
// the 100 ms wait; the row of 0 files is that constant (ms per forward).
#include "platform/kernel/NamedSemaphore.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/MapiSession.h"
#include "tests/shell/tesselfm/FmLibrary.h"
#include "tests/shell/tesselfm/InboxFiles.h"
#include "tests/support/TempDeviceRoot.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace tessel;

constexpr int kFilesPerFolder = 100;

void BM_ForwardSearch(benchmark::State& state)
{
    const int files = static_cast<int>(state.range(0));
    TempDeviceRoot root;
    root.writeDeviceConf("card.present = 0\n");
    root.makeFolder("My Documents");
    for (int i = 0; i < files; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "My Documents/F%03d/IMG_%05d.jpg", i / kFilesPerFolder, i);
        root.writeFile(name, "");
    }
    if (files > 0)
        root.writeFile("My Documents/F000/target.jpg", "the picture");
    InboxFiles inbox(root);
    const std::string id = inbox.write({{"001a001f", "\"IPM.SMSText.Tessel\""}, {"0037001f", "\"Look\""}}, {},
        {{{"3704001f", "\"target.jpg\""}, {"37010102", "\"00\""}}});
    std::unique_ptr<mapi::MapiSession> session = mapi::MapiSession::logon();
    std::unique_ptr<mapi::MapiMessage> message;
    FmLibrary library;
    mapi::IFormProvider* forms = nullptr;
    if (!session || session->openMessage(inbox.entryId(id), &message) != mapi::kMapiOk || !library.loaded()
        || library.formFactory(u"IPM.SMSText.Tessel", &forms) != com::kSOk) {
        state.SkipWithError("no message or no library");
        return;
    }
    kernel::SemaphoreHandle launch = kernel::semaphoreCreate("WINTS_Launch", 1, 1);
    kernel::semaphoreWait(launch, 1000);
    const mapi::ComposeFormFields fields;
    for (auto _ : state)
        forms->composeForm(nullptr, message.get(), mapi::kComposeForward, nullptr, &fields, nullptr, nullptr);
    kernel::semaphoreRelease(launch, 1, nullptr);
    kernel::semaphoreClose(launch);
    forms->release();
    state.counters["files"] = files;
}

BENCHMARK(BM_ForwardSearch)
    ->Arg(0)
    ->Arg(500)
    ->Arg(2000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
