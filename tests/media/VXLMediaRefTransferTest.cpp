#include "engine/files/VXLFileStoreManager.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/media/VXLMediaRefHandle.h"
#include "tests/media/MediaTestSupport.h"
#include "tests/support/FileStoreFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The same bytes hashed by an outside tool, so a fault shared by our reader
// and our comparison cannot hide.
std::string sha256Pair(const FileStoreFixture& f, const std::string& first, const std::string& second)
{
    return FileStoreFixture::runPython(
        "-c \"import hashlib,sys; [print(hashlib.sha256(open(p,'rb').read()).hexdigest()) for p in "
        "sys.argv[1:]]\" '"
        + f.hostFile(first) + "' '" + f.hostFile(second) + "'");
}

} // namespace

TEST(VXLMediaRefTransfer, FiveMegabytesFromAFileReachTheDestination)
{
    struct Case {
        const char* what;
        std::uint32_t perCall;
        int zeroCalls;
    };
    const Case cases[] = {
        {"whole chunks", 0, 0},
        {"1,000 bytes per call", 1000, 0},
        {"nothing taken at first, then resumed", 0, 40},
    };
    const std::string bytes = FileStoreFixture::randomBytes(5 * 1024 * 1024, 26);
    for (const Case& c : cases) {
        FileStoreFixture f;
        CJobRunner runner;
        f.driver.attach(&runner);
        CVXLFileStoreManager files;
        files.setFileStore(&f.store);
        f.driver.attach(&files);
        f.driver.runUntilIdle();
        f.driver.root().setJobRunner(&runner);
        f.writeHostFile("big.jpg", bytes);

        TestDestination destination;
        destination.perCall = c.perCall;
        destination.zeroCalls = c.zeroCalls;
        {
            CVXLMediaRefHandle handle;
            handle.setMimeType("image/jpeg");
            handle.addEntry("big.jpg", "image/jpeg", &files, 2048, 1536, -1, true);
            handle.get()->setSizeClass(CVXLMediaRef::kSizeOriginal);
            handle.get()->setListener(&destination);
            ASSERT_EQ(handle.get()->submitRequest(), 1) << c.what;
            const int steps = f.driver.runUntilIdle(1000000);
            EXPECT_LT(steps, 1000000) << c.what;
        }
        f.driver.runUntilIdle();
        EXPECT_FALSE(runner.hasChildren()) << c.what << ": the reference was deleted";
        f.driver.root().setJobRunner(nullptr);

        EXPECT_EQ(destination.totals, std::vector<std::int32_t> {static_cast<std::int32_t>(bytes.size())})
            << c.what;
        EXPECT_EQ(destination.ends, 1) << c.what;
        EXPECT_EQ(destination.maxDepth, 1) << c.what << ": partial consumes must not nest";
        EXPECT_EQ(destination.zeroCalls, 0) << c.what;
        ASSERT_EQ(destination.bytes.size(), bytes.size()) << c.what;
        for (std::uint32_t offered : destination.offers)
            EXPECT_LE(offered, 512000u) << c.what;
        f.writeHostFile("received.bin", destination.bytes);
        const std::string hashes = sha256Pair(f, "big.jpg", "received.bin");
        ASSERT_EQ(hashes.size(), 2u * 65u) << hashes;
        EXPECT_EQ(hashes.substr(0, 65), hashes.substr(65)) << c.what;
    }
}
