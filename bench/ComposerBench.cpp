// The compose screen's costs. Frame: a composer of five fields, one of them
// a grid of 12 thumbnails, taller than the screen; one frame is a page of
// scrolling (page down, or back up at the end) and the composition of the
// whole screen, against a bound of 16 ms per frame (60 frames a second).
// Refresh: a media container over 30 pictures of five megapixels (JPEG,
// 2592 x 1944), cold (a new window, every picture decoded) and warm (the
// same window again, every thumbnail from its cache). Counters give the
// median in milliseconds.
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLLayoutMessageComposer.h"
#include "engine/screens/VXLMediaListElement.h"
#include "engine/screens/VXLUiJob.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/TempDeviceRoot.h"
#include "ui/Elements/WinTSElementMediaContainer.h"
#include "ui/Layouts/WinTSLayoutMessageComposer.h"
#include "ui/WinTSMessages.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tessel;

constexpr double kFrameBoundMs = 16.0;
constexpr int kPictures = 30;

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

void pump()
{
    ui::Message message;
    while (ui::peekMessage(&message, true))
        ui::dispatchMessage(message);
}

// A picture of five megapixels with some detail, written once and linked
// under many names, so each is a file of its own to decode.
std::string fiveMegapixels()
{
    return testJpeg(2592, 1944, 3, 85, [](unsigned y, unsigned char* row) {
        for (unsigned x = 0; x < 2592; ++x) {
            row[x * 3] = static_cast<unsigned char>(x ^ y);
            row[x * 3 + 1] = static_cast<unsigned char>(x + y);
            row[x * 3 + 2] = static_cast<unsigned char>(y);
        }
    });
}

class Owner : public CVXLUiJob {
public:
    int typeId() const override { return 10; }
};

CScenarioField* field(const char* type, const char* caption, const char* maximum)
{
    auto* made = new CScenarioField;
    CScenarioFieldDescription& description = made->fieldDescription();
    description.setType(type);
    description.setVisible(true);
    description.setEditable(true);
    description.setCaption(caption);
    description.setMaxList(maximum);
    return made;
}

struct ComposeScreen {
    ComposeScreen()
    {
        const std::string picture = fiveMegapixels();
        for (int i = 0; i < 12; ++i)
            root.writeFile("My Documents/My Pictures/p" + std::to_string(i) + ".jpg", picture);
        scenario.addField(field("subj", "Subject", "40"));
        scenario.addField(field("images", "Pictures", "12"));
        scenario.addField(field("shortMsg", "Message", "160"));
        scenario.addField(field("subj", "Tag", "20"));
        scenario.addField(field("shortMsg", "Note", "160"));
        layout.setOwner(&owner);
        layout.build(&scenario);
        for (int i = 0; i < 12; ++i) {
            auto* item = new CVXLMediaItem;
            item->setId(("\\My Documents\\My Pictures\\p" + std::to_string(i) + ".jpg").c_str());
            layout.imageList()->adopt(item);
        }
        window = std::make_unique<CWinTSLayoutMessageComposer>(&layout, WinTSDialogLink {0, 0, 0, 0, 0});
        window->createModeless(u"Compose");
        pump();
    }
    ~ComposeScreen()
    {
        window->destroy();
        window.reset();
    }

    TempDeviceRoot root;
    CScenarioLayout scenario;
    Owner owner;
    CVXLLayoutMessageComposer layout;
    std::unique_ptr<CWinTSLayoutMessageComposer> window;
};

void Frame(benchmark::State& state)
{
    ComposeScreen screen;
    ui::Compositor compositor;
    compositor.compose();
    std::vector<double> samples;
    bool down = true;
    for (auto _ : state) {
        const double start = nowMs();
        const ui::ScrollInfo info = screen.window->scrollInfo();
        if (down && info.position >= info.max - info.page)
            down = false;
        else if (!down && info.position <= info.min)
            down = true;
        screen.window->windowProc(ui::kWmVScroll, down ? ui::kSbPageDown : ui::kSbPageUp, 0);
        benchmark::DoNotOptimize(compositor.compose());
        samples.push_back(nowMs() - start);
    }
    state.counters["bound_ms"] = kFrameBoundMs;
    state.counters["column_px"] = screen.window->scrollInfo().max;
    state.counters["page_px"] = screen.window->scrollInfo().page;
    report(state, samples);
}
BENCHMARK(Frame)->Unit(benchmark::kMillisecond);

// A media container over 30 pictures in a dialog of its own.
struct Pictures {
    Pictures()
    {
        const std::string picture = fiveMegapixels();
        media.setLimits(0, kPictures);
        for (int i = 0; i < kPictures; ++i) {
            const std::string name = "p" + std::to_string(i) + ".jpg";
            root.writeFile("My Documents/My Pictures/" + name, picture);
            auto* item = new CVXLMediaItem;
            item->setId(("\\My Documents\\My Pictures\\" + name).c_str());
            media.adopt(item);
        }
        host.createModeless(u"Compose");
    }
    std::unique_ptr<CWinTSElementMediaContainer> open()
    {
        auto grid = std::make_unique<CWinTSElementMediaContainer>(WinTSElementLink {
            kWmLayoutSetElement, kWmElementResized, kWmElementChanged, kWmElementCommandsChanged, nullptr});
        grid->Create(&host, &media, ui::Rect {0, 30, 240, 300}, 0xE00, 0x50000000);
        return grid;
    }
    ~Pictures() { host.destroy(); }

    TempDeviceRoot root;
    CVXLMediaListElement media;
    ui::Dialog host;
};

// Creating the window refreshes it: every picture decoded.
void RefreshCold(benchmark::State& state)
{
    Pictures pictures;
    std::vector<double> samples;
    for (auto _ : state) {
        const double start = nowMs();
        auto grid = pictures.open();
        samples.push_back(nowMs() - start);
        state.counters["decoded"] = grid->cachedThumbnails();
        grid.reset();
        pump();
    }
    report(state, samples);
}
BENCHMARK(RefreshCold)->Unit(benchmark::kMillisecond)->Iterations(5);

void RefreshWarm(benchmark::State& state)
{
    Pictures pictures;
    auto grid = pictures.open();
    std::vector<double> samples;
    for (auto _ : state) {
        const double start = nowMs();
        grid->Refresh(&pictures.media);
        samples.push_back(nowMs() - start);
        pump();
    }
    state.counters["listed"] = grid->list().itemCount();
    report(state, samples);
}
BENCHMARK(RefreshWarm)->Unit(benchmark::kMillisecond);

} // namespace
