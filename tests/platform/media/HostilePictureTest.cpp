// Pictures from outside that would freeze the user-interface thread or
// exhaust memory: each is refused or decoded within a CPU and memory budget
// measured here, in the process that decodes it.

#include "platform/media/Image.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace tessel::media {
namespace {

namespace fs = std::filesystem;

constexpr double kCpuBudgetSeconds = 1.5;
constexpr long kMemoryBudgetKilobytes = 32 * 1024;

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The calling thread's CPU time so far.
double threadCpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Cost {
    double cpuSeconds;
    long peakKilobytes; // above what was resident before
};

Cost measure(const std::function<void()>& work)
{
    EXPECT_TRUE(testResetHighWater()) << "cannot reset the high-water mark";
    const long before = testResidentKilobytes();
    const double cpu = threadCpuSeconds();
    work();
    return Cost {threadCpuSeconds() - cpu, testHighWaterKilobytes() - before};
}

// A PNG of width x height: its signature, header and the head of an IDAT
// chunk, and no pixel data (47 bytes).
std::string pngAnnouncing(std::uint32_t width, std::uint32_t height)
{
    auto be32 = [](std::uint32_t v) {
        return std::string {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
    };
    std::string ihdr = "IHDR" + be32(width) + be32(height) + std::string("\x08\x02\x00\x00\x00", 5);
    // The CRC is not looked at by a reader that cannot get further anyway;
    // libpng checks it, so it is the real one.
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : ihdr) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + ihdr + be32(crc) + be32(1000) + "IDAT"
        + std::string("\x78\x9c\xed\xc1\x01\x0d", 6);
}

// A GIF of width x height with a two-colour table and the first bytes of its
// image, no more (35 bytes).
std::string gifAnnouncing(std::uint16_t width, std::uint16_t height)
{
    auto le16 = [](std::uint16_t v) {
        return std::string {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    };
    return "GIF89a" + le16(width) + le16(height) + std::string("\x80\x00\x00", 3)
        + std::string("\x00\x00\x00\xff\xff\xff", 6) + "," + le16(0) + le16(0) + le16(width) + le16(height)
        + std::string("\x00", 1) + std::string("\x02\x02\x44\x01", 4) + std::string("\x00;", 2);
}

// A progressive JPEG made by jpegtran from a flat picture, then its last
// (empty) scan repeated until there are `scans` scans.
std::string manyScanJpeg(int side, int scans)
{
    const fs::path folder = fs::temp_directory_path() / ("tessel-hostile-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    {
        std::ofstream flat(folder / "flat.jpg", std::ios::binary);
        flat << testJpeg(
            side, side, 3, 80, [side](unsigned, unsigned char* row) { std::fill(row, row + side * 3, 150); });
    }
    const TestCommandResult made
        = testRunCommand(testCheckTool(testToolJpegtran()).path + " -progressive -outfile '"
            + (folder / "prog.jpg").string() + "' '" + (folder / "flat.jpg").string() + "' 2>&1");
    EXPECT_EQ(made.status, 0) << made.output;
    const std::string jpeg = readAll(folder / "prog.jpg");
    fs::remove_all(folder);
    // Walk the segments to the last scan and its entropy-coded data.
    std::size_t at = 2;
    std::size_t lastScan = 0;
    std::size_t lastEnd = 0;
    int found = 0;
    while (at + 4 <= jpeg.size() && static_cast<unsigned char>(jpeg[at]) == 0xFF) {
        const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
        if (marker == 0xD9)
            break;
        const std::size_t length
            = static_cast<unsigned char>(jpeg[at + 2]) << 8 | static_cast<unsigned char>(jpeg[at + 3]);
        std::size_t next = at + 2 + length;
        if (marker == 0xDA) {
            while (next + 1 < jpeg.size()) {
                const auto b = static_cast<unsigned char>(jpeg[next + 1]);
                if (static_cast<unsigned char>(jpeg[next]) == 0xFF && b != 0 && !(b >= 0xD0 && b <= 0xD7))
                    break;
                ++next;
            }
            lastScan = at;
            lastEnd = next;
            ++found;
        }
        at = next;
    }
    EXPECT_GT(found, 1) << "jpegtran wrote a progressive picture";
    const std::string scan = jpeg.substr(lastScan, lastEnd - lastScan);
    std::string out = jpeg.substr(0, lastEnd);
    for (int i = found; i < scans; ++i)
        out += scan;
    return out + jpeg.substr(lastEnd);
}

// A progressive JPEG of side x side, flat, as jpegtran writes it.
std::string progressiveJpeg(int side)
{
    return manyScanJpeg(side, 0);
}

std::unique_ptr<Image> imageOf(const std::string& bytes)
{
    return Image::fromBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(HostilePictures, AreRefusedOrDecodedWithinACpuAndMemoryBudget)
{
    TESSEL_REQUIRE_TOOL(testToolJpegtran());
    const std::string manyScans = manyScanJpeg(2048, 2000);
    const std::string fewScans = progressiveJpeg(2048);
    const std::string huge = progressiveJpeg(8000);
    struct Case {
        const char* what;
        std::string bytes;
        bool thumbnail; // else the whole bitmap
        bool decodes;
    };
    const Case cases[] = {
        {"a progressive JPEG of 2,000 scans, most of them empty, for a 56x56 thumbnail", manyScans, true,
            false},
        {"the same picture with the scans of a camera", fewScans, true, true},
        {"a progressive JPEG of 8000x8000 in a few kilobytes, its thumbnail", huge, true, false},
        {"the same, its whole bitmap", huge, false, false},
        {"a PNG header announcing 8000x8000 with no data, its bitmap", pngAnnouncing(8000, 8000), false,
            false},
        {"the same, its thumbnail", pngAnnouncing(8000, 8000), true, false},
        {"a GIF announcing 8000x8000 with no data, its bitmap", gifAnnouncing(8000, 8000), false, false},
        {"the same, its thumbnail", gifAnnouncing(8000, 8000), true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool decoded = false;
        const Cost cost = measure([&] {
            const auto image = imageOf(c.bytes);
            if (!image)
                return;
            decoded = c.thumbnail ? image->thumbnail(56, 56).has_value() : image->bitmap().has_value();
        });
        EXPECT_EQ(decoded, c.decodes);
        EXPECT_LT(cost.cpuSeconds, kCpuBudgetSeconds);
        EXPECT_LT(cost.peakKilobytes, kMemoryBudgetKilobytes);
    }
    EXPECT_EQ(pngAnnouncing(8000, 8000).size(), 47u);
    EXPECT_EQ(gifAnnouncing(8000, 8000).size(), 35u);
}

TEST(HostilePictures, AThumbnailNeverHoldsTheWholePicture)
{
    // A 5-megapixel picture: its thumbnail costs a small part of the 20 MB
    // the whole bitmap takes, whether JPEG (decoded at an eighth) or PNG
    // (filtered row by row).
    const std::string jpeg = testJpeg(2592, 1944, 3, 85, [](unsigned y, unsigned char* row) {
        for (int x = 0; x < 2592; ++x) {
            row[x * 3] = static_cast<unsigned char>(x);
            row[x * 3 + 1] = static_cast<unsigned char>(y);
            row[x * 3 + 2] = 90;
        }
    });
    const auto image = imageOf(jpeg);
    ASSERT_NE(image, nullptr);
    std::optional<ui::Bitmap> thumb;
    const Cost cost = measure([&] { thumb = image->thumbnail(56, 56); });
    ASSERT_TRUE(thumb.has_value());
    EXPECT_EQ(thumb->width(), 56);
    EXPECT_LT(cost.peakKilobytes, 4 * 1024);
    const Cost whole = measure([&] { EXPECT_TRUE(image->bitmap().has_value()); });
    EXPECT_GT(whole.peakKilobytes, 16 * 1024) << "the measure sees a whole bitmap";
}

} // namespace
} // namespace tessel::media
