// A message's SMIL part of 100 slides, each a picture, a text and an audio
// in regions of their own: the time of one parse and the heap blocks it
// takes (counted by a malloc hook, which the engine allocator goes
// through); and the first slide's view, as the message view loads it, at
// 10, 100 and 1,000 slides, which must not grow with the slides.
#include "engine/screens/VXLSlideNavigator.h"
#include "engine/screens/VXLSlideView.h"
#include "engine/screens/VXLSmilParser.h"
#include "engine/screens/VXLSmilPresentation.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>
#include <string>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
}

namespace {

std::atomic<long long> gBlocks {0};

std::string presentationText(int slides)
{
    std::string text
        = "<?xml version=\"1.0\"?>\n<smil xmlns=\"http://www.w3.org/2001/SMIL20/Language\">\n"
          "<head><layout><root-layout width=\"176px\" height=\"208px\"/>\n"
          "<region id=\"Image\" top=\"0\" left=\"0\" width=\"100%\" height=\"70%\" fit=\"meet\"/>\n"
          "<region id=\"Text\" top=\"70%\" left=\"0\" width=\"100%\" height=\"30%\" fit=\"scroll\"/>\n"
          "</layout></head>\n<body>\n";
    for (int i = 0; i < slides; ++i) {
        const std::string n = std::to_string(i);
        text += "<par dur=\"5000ms\">\n <img src=\"cid:picture" + n + "@tessel\" region=\"Image\"/>\n"
            + " <text src=\"cid:text" + n + "@tessel\" region=\"Text\"/>\n <audio src=\"cid:sound" + n
            + "@tessel\" begin=\"0s\" end=\"5s\"/>\n</par>\n";
    }
    return text + "</body>\n</smil>\n";
}

void BM_Parse100Slides(benchmark::State& state)
{
    const std::string text = presentationText(100);
    CVXLSmilPresentation presentation;
    long long blocks = 0;
    for (auto _ : state) {
        presentation.clear();
        const long long before = gBlocks.load(std::memory_order_relaxed);
        CVXLSmilParser parser;
        parser.parse(text.data(), static_cast<std::uint32_t>(text.size()), presentation);
        blocks = gBlocks.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(presentation.slideCount());
    }
    if (presentation.slideCount() != 100)
        state.SkipWithError("not 100 slides");
    state.counters["heap_blocks_per_parse"] = static_cast<double>(blocks);
    state.counters["bytes"] = static_cast<double>(text.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Parse100Slides)->Unit(benchmark::kMicrosecond);

// Attach, first slide, its view: what the message view does before it
// reads the slide's parts.
void BM_FirstSlideView(benchmark::State& state)
{
    const std::string text = presentationText(static_cast<int>(state.range(0)));
    CVXLSmilPresentation presentation;
    CVXLSmilParser parser;
    parser.parse(text.data(), static_cast<std::uint32_t>(text.size()), presentation);
    CVXLSlideNavigator navigator;
    for (auto _ : state) {
        navigator.attach(&presentation);
        navigator.first();
        CVXLSlideView* view = navigator.currentView();
        benchmark::DoNotOptimize(view->media.count());
        benchmark::DoNotOptimize(navigator.count());
    }
    navigator.detach();
}
BENCHMARK(BM_FirstSlideView)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kNanosecond);

} // namespace

extern "C" {
void* malloc(std::size_t size)
{
    gBlocks.fetch_add(1, std::memory_order_relaxed);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size)
{
    gBlocks.fetch_add(1, std::memory_order_relaxed);
    return __libc_calloc(count, size);
}
void* realloc(void* block, std::size_t size)
{
    gBlocks.fetch_add(1, std::memory_order_relaxed);
    return __libc_realloc(block, size);
}
}
