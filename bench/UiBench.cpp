// Post-to-dispatch latency of the window model: a post to a window of the
// same thread, of another thread, and of another process (through the
// datagram socket). One message in flight at a time; counters give the
// median and the 99th percentile in microseconds.
#include "platform/ipc/WindowExchange.h"
#include "platform/kernel/Process.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <vector>

namespace {

using namespace tessel;

constexpr std::uint32_t kPing = 0x8100;
constexpr std::uint32_t kEchoAnswer = 0x8101;

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void report(benchmark::State& state, std::vector<std::int64_t>& samples)
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_us"] = static_cast<double>(samples[samples.size() / 2]) / 1000.0;
    state.counters["p99_us"] = static_cast<double>(samples[samples.size() * 99 / 100]) / 1000.0;
}

// Writes down how long each ping took from its post to its dispatch.
class Stopwatch : public ui::Window {
public:
    std::vector<std::int64_t> samples;
    std::atomic<std::uint64_t> count {0};
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message != kPing)
            return Window::windowProc(message, wParam, lParam);
        samples.push_back(nowNs() - lParam);
        count.fetch_add(1, std::memory_order_release);
        return 0;
    }
};

void WithinAThread(benchmark::State& state)
{
    Stopwatch window;
    window.create(u"Bench", u"");
    window.samples.reserve(1 << 20);
    ui::Message message;
    for (auto _ : state) {
        ui::postMessage(window.handle(), kPing, 0, nowNs());
        while (ui::peekMessage(&message, true))
            ui::dispatchMessage(message);
    }
    report(state, window.samples);
}
BENCHMARK(WithinAThread);

void AcrossThreads(benchmark::State& state)
{
    struct Worker : ui::UiThread {
        Stopwatch window;
        std::promise<void> ready;
        bool initInstance() override
        {
            window.create(u"Bench", u"");
            window.samples.reserve(1 << 20);
            ready.set_value();
            return true;
        }
        void onThreadMessage(const ui::Message&) override { ui::postQuitMessage(0); }
        int exitInstance(int code) override
        {
            window.destroy();
            return code;
        }
    } worker;
    worker.createThread(false);
    worker.ready.get_future().wait();
    for (auto _ : state) {
        const std::uint64_t before = worker.window.count.load(std::memory_order_acquire);
        ui::postMessage(worker.window.handle(), kPing, 0, nowNs());
        while (worker.window.count.load(std::memory_order_acquire) == before)
            std::this_thread::yield();
    }
    worker.postThreadMessage(ui::kWmApp, 0, 0);
    worker.join();
    report(state, worker.window.samples);
}
BENCHMARK(AcrossThreads);

void AcrossProcesses(benchmark::State& state)
{
    TempDeviceRoot root;
    root.installTool("uiprobe");
    int pid = kernel::startProcess("\\windows\\uiprobe", {"show"});
    const std::u16string title = u"Tessel";
    ui::WindowHandle probe = 0;
    for (int i = 0; i < 1000 && !(probe = ipc::findWindow(ui::Dialog::kClassName, &title)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (!probe || !ipc::startWindowExchange()) {
        state.SkipWithError("the probe process did not show its window");
        return;
    }
    ui::Window answers;
    answers.create(u"Bench", u"");
    std::vector<std::int64_t> samples;
    ui::Message message;
    for (auto _ : state) {
        ui::postMessage(probe, kPing, answers.handle(), nowNs());
        while (ui::getMessage(&message) && message.id != kEchoAnswer) { }
        samples.push_back(static_cast<std::int64_t>(message.wParam));
    }
    ui::sendMessage(probe, ui::kWmClose, 0, 0);
    int code = 0;
    kernel::waitProcess(pid, 10000, &code);
    answers.destroy();
    ipc::stopWindowExchange();
    report(state, samples);
}
BENCHMARK(AcrossProcesses)->Iterations(20000);

} // namespace
