// Pictures and frames:
//  - a 5-megapixel JPEG (2592 x 1944) to a 56 x 56 thumbnail, decoded at the
//    DCT scale that fits, against decoding it whole and filtering that down:
//    time per thumbnail, and the peak memory of each way (a child process
//    does one, its largest resident size less that of a child that only
//    holds the JPEG); counters give both ratios;
//  - the same thumbnail against libjpeg-turbo decoding the whole picture
//    (no scaling, no filtering) in the same run: ms of each and their ratio;
//  - composing a 240 x 320 frame of a 20-row list with icons and encoding it
//    as a PNG: ms per frame;
//  - composing a 240 x 320 frame of a 30-row owner-drawn list, each row a
//    40 x 40 thumbnail and a name drawn by the dialog: ms per frame.
#include "platform/media/Image.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ListView.h"
#include "platform/ui/PngFile.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/TempDeviceRoot.h"

#include <benchmark/benchmark.h>

#include <jpeglib.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace tessel;

constexpr int kWidth = 2592;
constexpr int kHeight = 1944;

// A photo-like picture: gradients with some grain, so the coder has work.
const std::string& cameraJpeg()
{
    static const std::string bytes = testJpeg(kWidth, kHeight, 3, 85, [](unsigned y, unsigned char* row) {
        static unsigned seed = 1;
        for (unsigned x = 0; x < kWidth; ++x) {
            seed = seed * 1103515245 + 12345;
            const unsigned grain = (seed >> 16) & 15;
            row[3 * x] = static_cast<unsigned char>((x * 255 / kWidth + grain) & 0xFF);
            row[3 * x + 1] = static_cast<unsigned char>((y * 255 / kHeight + grain) & 0xFF);
            row[3 * x + 2] = static_cast<unsigned char>(((x + y) / 16 + grain) & 0xFF);
        }
    });
    return bytes;
}

std::unique_ptr<media::Image> camera()
{
    const std::string& b = cameraJpeg();
    return media::Image::fromBuffer(reinterpret_cast<const std::uint8_t*>(b.data()), b.size());
}

// Whole, then filtered: what a thumbnail costs without DCT scaling.
void wholeThenFiltered(const media::Image& image)
{
    const auto whole = image.bitmap();
    benchmark::DoNotOptimize(media::resample(*whole, 56, 56));
}

// Largest resident size (KB) of a child that runs work once. The child
// starts with its parent's resident pages and high-water mark, freed heap
// included: it hands the free heap back, then resets the mark.
long childPeakKb(void (*work)())
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return 0;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::malloc_trim(0);
        if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", clear);
            std::fclose(clear);
        }
        work();
        long peak = 0;
        if (FILE* status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            while (std::fgets(line, sizeof line, status))
                if (std::sscanf(line, "VmHWM: %ld", &peak) == 1)
                    break;
            std::fclose(status);
        }
        [[maybe_unused]] ssize_t n = ::write(pipeFds[1], &peak, sizeof peak);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    long peak = 0;
    if (::read(pipeFds[0], &peak, sizeof peak) != sizeof peak)
        peak = 0;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return peak;
}

void ThumbnailByDctScaling(benchmark::State& state)
{
    const auto image = camera();
    for (auto _ : state)
        benchmark::DoNotOptimize(image->thumbnail(56, 56));
}
BENCHMARK(ThumbnailByDctScaling)->Unit(benchmark::kMillisecond);

void ThumbnailFromWholeDecode(benchmark::State& state)
{
    const auto image = camera();
    for (auto _ : state)
        wholeThenFiltered(*image);
}
BENCHMARK(ThumbnailFromWholeDecode)->Unit(benchmark::kMillisecond);

// libjpeg-turbo decoding the whole picture as RGBA rows, and nothing else.
void libjpegTurboFullDecode(const std::string& bytes)
{
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
        static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    std::vector<unsigned char> row(static_cast<std::size_t>(info.output_width) * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW line = row.data();
        jpeg_read_scanlines(&info, &line, 1);
    }
    benchmark::DoNotOptimize(row.data());
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
}

void ThumbnailAgainstLibjpegTurboFullDecode(benchmark::State& state)
{
    const auto image = camera();
    const std::string& bytes = cameraJpeg();
    double thumbnailSeconds = 0;
    double fullSeconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(image->thumbnail(56, 56));
        auto middle = std::chrono::steady_clock::now();
        libjpegTurboFullDecode(bytes);
        auto end = std::chrono::steady_clock::now();
        thumbnailSeconds += std::chrono::duration<double>(middle - start).count();
        fullSeconds += std::chrono::duration<double>(end - middle).count();
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["thumbnail_ms"] = thumbnailSeconds * 1000 / n;
    state.counters["libjpeg_full_ms"] = fullSeconds * 1000 / n;
    state.counters["full_over_thumbnail"] = fullSeconds / std::max(thumbnailSeconds, 1e-9);
}
BENCHMARK(ThumbnailAgainstLibjpegTurboFullDecode)->Unit(benchmark::kMillisecond);

void ThumbnailPeakMemory(benchmark::State& state)
{
    cameraJpeg(); // made before the children start, so none pays for it
    long base = 0;
    long scaled = 0;
    long whole = 0;
    for (auto _ : state) {
        base = childPeakKb([] { benchmark::DoNotOptimize(camera()); });
        scaled = childPeakKb([] { benchmark::DoNotOptimize(camera()->thumbnail(56, 56)); });
        whole = childPeakKb([] { wholeThenFiltered(*camera()); });
    }
    state.counters["scaled_peak_kb"] = static_cast<double>(scaled - base);
    state.counters["whole_peak_kb"] = static_cast<double>(whole - base);
    state.counters["memory_ratio"]
        = static_cast<double>(whole - base) / static_cast<double>(std::max(1L, scaled - base));
}
BENCHMARK(ThumbnailPeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// A 20-row list with a 16 x 16 icon per row under a caption and soft keys.
class ListScreen : public ui::Dialog {
public:
    ui::ListView list;

protected:
    void onCreate() override
    {
        auto bar = std::make_shared<ui::Menu>();
        bar->add(100, u"Open").add(101, u"Menu");
        setMenuBar(bar);
        list.create(this, 1006, 0);
        auto icons = std::make_shared<ui::ImageList>(16, 16);
        ui::Bitmap icon(16, 16, ui::rgb(255, 255, 255));
        icon.fill(ui::Rect {2, 2, 14, 14}, ui::rgb(30, 120, 200));
        icons->add(icon, ui::rgb(255, 255, 255));
        list.setImageList(icons);
        for (int i = 0; i < 20; ++i)
            list.setItemImage(
                list.insertItem(-1, u"Picture " + std::u16string(1, char16_t(u'A' + i)) + u".jpg"), 0);
    }
};

void ComposeAndEncodeFrame(benchmark::State& state)
{
    TempDeviceRoot root;
    ListScreen screen;
    screen.createModeless(u"Pictures");
    ui::Compositor compositor(240, 320);
    const std::string file = root.hostPath("frame.png");
    int row = 0;
    for (auto _ : state) {
        screen.list.select(row++ % 20); // a changed frame each time
        compositor.compose();
        ui::writePng(file, compositor.frame());
    }
    screen.destroy();
}
BENCHMARK(ComposeAndEncodeFrame)->Unit(benchmark::kMillisecond);

// Thirty owner-drawn rows: the dialog draws each row's thumbnail and name.
class ThumbnailListScreen : public ui::Dialog {
public:
    ui::ListView list;
    std::shared_ptr<ui::ImageList> thumbnails = std::make_shared<ui::ImageList>(40, 40);

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message != ui::kWmDrawItem)
            return Dialog::windowProc(message, wParam, lParam);
        const auto* item = reinterpret_cast<const ui::DrawItem*>(lParam);
        ui::Canvas& canvas = *item->canvas;
        const bool selected = item->state & ui::kOdsSelected;
        canvas.fillRect(
            item->rect, ui::Brush::solid(selected ? ui::rgb(0, 90, 200) : ui::rgb(255, 255, 255)));
        thumbnails->draw(canvas, static_cast<int>(item->itemData % thumbnails->count()), item->rect.left + 2,
            item->rect.top + 1);
        canvas.setBackgroundMode(ui::BackgroundMode::Transparent);
        canvas.setTextColor(selected ? ui::rgb(255, 255, 255) : ui::rgb(0, 0, 0));
        ui::Rect text {item->rect.left + 46, item->rect.top, item->rect.right, item->rect.bottom};
        canvas.drawText(
            list.itemText(item->item), &text, ui::kDtVCenter | ui::kDtSingleLine | ui::kDtEndEllipsis);
        return 1;
    }

protected:
    void onCreate() override
    {
        auto bar = std::make_shared<ui::Menu>();
        bar->add(100, u"Send").add(101, u"Menu");
        setMenuBar(bar);
        const auto image = camera();
        for (int shade = 0; shade < 4; ++shade) {
            auto thumb = image->thumbnail(40, 40);
            thumb->fill(ui::Rect {0, 0, 8, 8}, ui::rgb(shade * 60, 0, 0));
            thumbnails->add(*thumb, ui::rgb(255, 0, 255));
        }
        list.create(this, 1006, ui::ListView::kOwnerDraw, ui::Rect {0, 0, 240, 270});
        list.setImageList(thumbnails);
        for (int i = 0; i < 30; ++i)
            list.insertItem(-1,
                u"IMG_00" + std::u16string(1, char16_t(u'0' + i / 10))
                    + std::u16string(1, char16_t(u'0' + i % 10)) + u".jpg",
                i);
    }
};

void ComposeOwnerDrawnThumbnailList(benchmark::State& state)
{
    TempDeviceRoot root;
    ThumbnailListScreen screen;
    screen.createModeless(u"Pictures");
    ui::Compositor compositor(240, 320);
    int row = 0;
    for (auto _ : state) {
        screen.list.select(row++ % 30); // a changed frame each time, scrolling past the page
        compositor.compose();
    }
    state.counters["rows_shown"] = screen.list.pageRows();
    screen.destroy();
}
BENCHMARK(ComposeOwnerDrawnThumbnailList)->Unit(benchmark::kMillisecond);

} // namespace
