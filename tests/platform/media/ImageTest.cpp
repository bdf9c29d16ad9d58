#include "platform/media/Image.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JpegFixture.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace tessel::media {
namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<Image> imageOf(const std::string& bytes)
{
    return Image::fromBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

struct Fixture {
    const char* name;
    const char* arguments;
    ImageFormat format;
    int tolerance; // largest channel difference allowed against ImageMagick
};

// JPEG decoders may round differently; lossless formats must agree exactly.
const Fixture kFixtures[] = {
    {"baseline.jpg", "-size 64x48 gradient:red-blue -quality 92", ImageFormat::Jpeg, 12},
    {"progressive.jpg", "-size 64x48 gradient:yellow-navy -interlace Plane -quality 92", ImageFormat::Jpeg,
        12},
    {"grey.jpg", "-size 50x30 gradient:white-black -colorspace Gray", ImageFormat::Jpeg, 12},
    {"cmyk.jpg", "-size 40x40 gradient:orange-teal -colorspace CMYK", ImageFormat::Jpeg, 24},
    {"palette.png", "-size 40x30 gradient:red-blue -colors 16 PNG8:", ImageFormat::Png, 0},
    {"deep.png", "-size 33x17 gradient:green-white -depth 16 PNG48:", ImageFormat::Png, 1},
    {"interlaced.png", "-size 37x23 gradient:red-yellow -interlace PNG PNG24:", ImageFormat::Png, 0},
    {"alpha.png", "-size 30x20 gradient:'rgba(255,0,0,1)'-'rgba(0,0,255,0.2)' PNG32:", ImageFormat::Png, 1},
    {"transparent.gif",
        "-size 40x30 xc:red -fill blue -draw 'rectangle 0,0,9,9' -fill green -draw 'rectangle 20,10,29,19' "
        "-transparent blue",
        ImageFormat::Gif, 0},
};

// A folder of pictures made by ImageMagick for this test program.
class ImageFixtures : public ::testing::Test {
protected:
    void SetUp() override
    {
        TESSEL_REQUIRE_TOOL(testToolConvert());
        TESSEL_REQUIRE_TOOL(testToolIdentify());
        folder_ = fs::temp_directory_path() / ("tessel-images-" + std::to_string(::getpid()));
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Runs convert with arguments, writing name; its path.
    fs::path make(const std::string& name, const std::string& arguments, const std::string& prefix = "")
    {
        const fs::path out = folder_ / name;
        const TestCommandResult run
            = testRunCommand("convert " + arguments + " '" + prefix + out.string() + "' 2>&1");
        EXPECT_EQ(run.status, 0) << run.output;
        return out;
    }
    // A fixture of the table; a format prefix ending the arguments ("PNG8:")
    // goes in front of the output path.
    fs::path makeFixture(const Fixture& x)
    {
        std::string arguments = x.arguments;
        std::string prefix;
        if (arguments.back() == ':') {
            const auto space = arguments.rfind(' ');
            prefix = arguments.substr(space + 1);
            arguments.resize(space);
        }
        return make(x.name, arguments, prefix);
    }
    // What identify reports: "W H".
    static std::string identified(const fs::path& file)
    {
        return testRunCommand("identify -format '%w %h' '" + file.string() + "[0]'").output;
    }
    // ImageMagick's own decoding, RGBA bytes.
    static std::string reference(const fs::path& file)
    {
        return testRunCommand("convert '" + file.string() + "[0]' -depth 8 rgba:-").output;
    }

    fs::path folder_;
};

TEST_F(ImageFixtures, DecodedPicturesMatchImageMagick)
{
    for (const Fixture& x : kFixtures) {
        SCOPED_TRACE(x.name);
        const fs::path file = makeFixture(x);
        const auto image = imageOf(readAll(file));
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->format(), x.format);
        EXPECT_EQ(std::to_string(image->width()) + " " + std::to_string(image->height()), identified(file));
        const auto bitmap = image->bitmap();
        ASSERT_TRUE(bitmap.has_value());
        const std::string expected = reference(file);
        ASSERT_EQ(expected.size(), static_cast<std::size_t>(bitmap->width()) * bitmap->height() * 4);
        int worst = 0;
        for (int y = 0; y < bitmap->height(); ++y) {
            for (int x2 = 0; x2 < bitmap->width(); ++x2) {
                const ui::Color c = bitmap->pixel(x2, y);
                const auto* e = reinterpret_cast<const unsigned char*>(expected.data())
                    + (static_cast<std::size_t>(y) * bitmap->width() + x2) * 4;
                const int a = std::abs(static_cast<int>(ui::alpha(c)) - e[3]);
                worst = std::max(worst, a);
                if (e[3] == 0)
                    continue; // a transparent pixel's colour is nobody's
                worst = std::max({worst, std::abs(static_cast<int>(ui::red(c)) - e[0]),
                    std::abs(static_cast<int>(ui::green(c)) - e[1]),
                    std::abs(static_cast<int>(ui::blue(c)) - e[2])});
            }
        }
        EXPECT_LE(worst, x.tolerance);
    }
}

TEST_F(ImageFixtures, EveryPrefixGivesNoImageOrAPartOne)
{
    for (const Fixture& x : kFixtures) {
        SCOPED_TRACE(x.name);
        const fs::path file = makeFixture(x);
        const std::string whole = readAll(file);
        int partial = 0;
        for (std::size_t n = 0; n < whole.size(); ++n) {
            // Copied to a buffer of exactly n bytes, so a read past it shows under ASan.
            std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
            const auto image = Image::fromBuffer(cut.data(), cut.size());
            if (!image)
                continue;
            const auto bitmap = image->bitmap();
            if (bitmap) {
                EXPECT_EQ(bitmap->width(), image->width());
                EXPECT_EQ(bitmap->height(), image->height());
                ++partial;
            }
            const auto small = image->thumbnail(8, 8);
            if (small) {
                EXPECT_EQ(small->width(), 8);
            }
        }
        // Some cut of every fixture still shows its first rows.
        EXPECT_GT(partial, 0);
    }
}

TEST_F(ImageFixtures, ThumbnailsHaveExactlyTheSizeAsked)
{
    const fs::path file = make("camera.jpg", "-size 2592x1944 gradient:red-blue -quality 85");
    EXPECT_EQ(identified(file), "2592 1944");
    const auto image = imageOf(readAll(file));
    ASSERT_NE(image, nullptr);
    struct Case {
        int width;
        int height;
    };
    for (const Case c : {Case {56, 56}, Case {16, 16}, Case {240, 180}, Case {1, 1}}) {
        const auto thumb = image->thumbnail(c.width, c.height);
        ASSERT_TRUE(thumb.has_value());
        EXPECT_EQ(thumb->width(), c.width);
        EXPECT_EQ(thumb->height(), c.height);
    }
    // The gradient runs red at the top to blue at the bottom, also in small.
    const auto thumb = image->thumbnail(16, 16);
    EXPECT_GT(ui::red(thumb->pixel(8, 0)), 200u);
    EXPECT_GT(ui::blue(thumb->pixel(8, 15)), 200u);
    EXPECT_FALSE(image->thumbnail(0, 5).has_value());

    // PNG and GIF thumbnails are filtered from the whole picture.
    const fs::path png = make("wide.png", "-size 300x100 xc:green");
    const auto wide = imageOf(readAll(png))->thumbnail(30, 20);
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(wide->pixel(29, 19), ui::rgb(0, 128, 0));
}

TEST(ImageScaleTest, SmallestDctScaleNotBelowTheTarget)
{
    struct Case {
        int width, height, targetWidth, targetHeight, eighths;
    };
    const Case cases[] = {
        {2592, 1944, 56, 56, 1},
        {2592, 1944, 16, 16, 1},
        {2592, 1944, 400, 300, 2},
        {2592, 1944, 648, 486, 2},
        {2592, 1944, 649, 486, 3},
        {100, 100, 200, 200, 8},
        {64, 48, 64, 48, 8},
    };
    for (const Case& c : cases)
        EXPECT_EQ(jpegScaleFor(c.width, c.height, c.targetWidth, c.targetHeight), c.eighths)
            << c.width << "x" << c.height << " to " << c.targetWidth << "x" << c.targetHeight;
}

// The PNG signature and an IHDR chunk announcing width by height (CRC right).
std::string pngHeader(std::uint32_t width, std::uint32_t height)
{
    auto be = [](std::uint32_t v) {
        return std::string {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    std::string chunk = "IHDR" + be(width) + be(height) + std::string {8, 6, 0, 0, 0};
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : chunk) {
        crc ^= byte;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return std::string("\x89PNG\r\n\x1a\n", 8) + be(13) + chunk + be(~crc);
}

long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(ImageLimitTest, HugePicturesAreRefusedFromTheirHeader)
{
    const long before = peakKilobytes();
    for (const std::string& bytes :
        {pngHeader(70000, 70000), pngHeader(70000, 70000) + std::string(100, '\0'), pngHeader(8001, 8000)}) {
        EXPECT_EQ(imageOf(bytes), nullptr);
    }
    // Within the limit the header is read, and the missing data gives no image.
    const auto fits = imageOf(pngHeader(8000, 8000));
    ASSERT_NE(fits, nullptr);
    EXPECT_EQ(fits->width(), 8000);
    EXPECT_FALSE(fits->bitmap().has_value());
    EXPECT_LT(peakKilobytes() - before, 64 * 1024);

    // A GIF screen of 65535 x 65535.
    const std::string gif = std::string("GIF89a\xff\xff\xff\xff\x00\x00\x00", 13) + "\x3b";
    EXPECT_EQ(imageOf(gif), nullptr);
    // Not a picture at all.
    EXPECT_EQ(imageOf("BM not a picture I know"), nullptr);
    EXPECT_EQ(Image::fromBuffer(nullptr, 0), nullptr);
}

TEST(ImageLimitTest, AJpegAboveTheLimitStillGivesItsThumbnail)
{
    // 67.2 megapixels in one grey, written with libjpeg: ImageMagick's resource
    // policy will not make one this large.
    const auto image = imageOf(
        testJpeg(8200, 8200, 1, 30, [](unsigned, unsigned char* row) { std::fill(row, row + 8200, 160); }));
    ASSERT_NE(image, nullptr);
    EXPECT_GT(static_cast<std::uint64_t>(image->width()) * image->height(), kMaxDecodedPixels);
    EXPECT_FALSE(image->bitmap().has_value());
    const auto thumb = image->thumbnail(56, 56);
    ASSERT_TRUE(thumb.has_value());
    EXPECT_EQ(thumb->width(), 56);
    EXPECT_NEAR(static_cast<int>(ui::red(thumb->pixel(20, 20))), 160, 3);
}

} // namespace
} // namespace tessel::media
