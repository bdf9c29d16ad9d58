// Frame time of the menu-list screen: 30 entries, each with its own icon
// decoded from the cache of section MenuIcons. One frame is a Down key on
// the list and the composition of the whole screen; a rebuild takes the
// updated layout and decodes the 30 icons again. Counters give the median
// in milliseconds.
#include "engine/core/jobs/JobRunner.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "platform/media/Image.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/PngFile.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/Layouts/WinTSLayoutMenuList.h"
#include "ui/WinTSRegistry.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

constexpr int kEntries = 30;

double nowMs()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void report(benchmark::State& state, std::vector<double>& samples)
{
    if (samples.empty())
        return;
    std::sort(samples.begin(), samples.end());
    state.counters["median_ms"] = samples[samples.size() / 2];
    state.counters["p99_ms"] = samples[samples.size() * 99 / 100];
}

// The screen: a menu list of 30 entries whose icons are cached PNG files.
struct MenuScreen {
    MenuScreen()
    {
        registryWrite(u"Path", u"SupportStore", u"!\\Support");
        root.makeFolder("Support");
        for (int n = 0; n < kEntries; ++n) {
            const std::string name = "M" + std::to_string(n);
            ui::Bitmap picture(48, 48, ui::rgb(n * 8, 255 - n * 8, 128));
            ui::writePng(root.hostPath("Support/WTS" + std::to_string(n) + "_" + name), picture);
            const std::u16string wide(name.begin(), name.end());
            registryWrite(u"MenuIcons", wide,
                u"\\Support\\WTS" + std::u16string(std::to_string(n).begin(), std::to_string(n).end()) + u"_"
                    + wide);
            auto* entry = new CVXLMenuItemElement();
            entry->setText(("Destination " + std::to_string(n)).c_str());
            CVXLMediaRefHandle icon;
            icon.setMimeType("image/jpeg");
            icon.addEntry(("icons/" + name).c_str(), "image/jpeg", &source, -1, -1, -1, true);
            entry->setMenuMedia(icon);
            layout.addItem(entry);
        }
        window = std::make_unique<CWinTSLayoutMenuList>(&layout, WinTSDialogLink {0, 0, 0, 0, 0});
        window->createModeless(u"Menu");
    }
    ~MenuScreen()
    {
        window->destroy();
        window.reset();
        layout.clear();
    }
    void key(std::uint32_t vk)
    {
        ui::postMessage(window->list()->handle(), ui::kWmKeyDown, vk, 0);
        ui::Message message;
        while (ui::peekMessage(&message, true))
            ui::dispatchMessage(message);
    }

    TempDeviceRoot root;
    CJobRunner source; // never asked: every icon is cached
    CVXLLayoutMenuList layout;
    std::unique_ptr<CWinTSLayoutMenuList> window;
};

void Frame(benchmark::State& state)
{
    MenuScreen screen;
    ui::Compositor compositor;
    compositor.compose();
    std::vector<double> samples;
    int down = 0;
    for (auto _ : state) {
        const double start = nowMs();
        // Down to the last row, then Up back to the first.
        screen.key(down++ / (kEntries - 1) % 2 == 0 ? ui::kVkDown : ui::kVkUp);
        benchmark::DoNotOptimize(compositor.compose());
        samples.push_back(nowMs() - start);
    }
    state.counters["icons"] = screen.window->images()->count();
    report(state, samples);
}
BENCHMARK(Frame)->Unit(benchmark::kMillisecond);

void Rebuild(benchmark::State& state)
{
    MenuScreen screen;
    std::vector<double> samples;
    for (auto _ : state) {
        const double start = nowMs();
        screen.window->Refresh(&screen.layout);
        samples.push_back(nowMs() - start);
    }
    report(state, samples);
}
BENCHMARK(Rebuild)->Unit(benchmark::kMillisecond);

} // namespace
