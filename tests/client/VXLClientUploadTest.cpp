#include "engine/client/VXLClient.h"

#include "engine/core/platform/VXLPlatformConnection.h"
#include "engine/core/platform/VXLPlatformMediaSource.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/media/VXLMediaLocation.h"
#include "engine/records/MediaUploadRequest.h"
#include "tests/support/EngineDriver.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

// The started engine's background upload with the real Media Upload Manager,
// local and online media managers and service protocol job against
// tests/peers/vrax_server.py. The server refuses the first picture twice,
// then takes it; the second picture's first attempt fails, so its retry
// waits. The first picture is uploaded once whole, the cursor is past its
// record, and the keys are in the settings file on disk.
TEST(VXLClientUpload, BackgroundUploadRetriesThenUploadsAndKeepsItsKeys)
{
    EngineDriver driver;
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    const std::string log = driver.root().hostPath("vrax-server.log");
    std::uint16_t port = 0;
    const pid_t server = testStartPythonPeer("vrax_server.py",
        {"status302,status302,upload-ack,status302", log, "--announce"}, log + ".out", &port);
    ASSERT_GT(server, 0);
    client.settings().setConfigString(kCfgServerUri, testLoopbackUrl(port, "/vrax").c_str());
    client.settings().setPersistentString(kPersVraxId, "D42");
    client.settings().setPersistentString(kPersVraxRegComplete, "1");
    client.settings().store().set("vrax.max_image_upload_size", "100000");
    std::string picture(6000, '\0');
    for (std::size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<char>((i * 7 + i / 13) & 0xFF);
    ASSERT_TRUE(driver.root().writeFile("My Documents/My Pictures/IMG_0001.jpg", picture));
    ASSERT_TRUE(driver.root().writeFile("My Documents/My Pictures/IMG_0002.jpg", picture.substr(100)));

    TraceJob requester("screen flow");
    client.startChild(&requester);
    CMediaUploadRequest batch(42);
    batch.name = "C7";
    const std::uint32_t phone
        = vxlPackLocation(CVXLPlatformMediaSource::kStoreId, CVXLPlatformMediaSource::kStoreKind);
    batch.addItem({phone, "", "IMG_0001.jpg"});
    batch.addItem({phone, "", "IMG_0002.jpg"});
    requester.post(&client.getBackgroundUploadManager(), &batch);

    CBackgroundUploadManager& uploads = client.getBackgroundUploadManager();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    // An armed retry means no request is out and each one made is in the
    // server's log: only then is the count read, and the retry's two minutes
    // of the engine's clock are run only while requests are still due.
    while (std::chrono::steady_clock::now() < deadline) {
        driver.tick();
        CVXLPlatformConnection::waitForSockets(5);
        if (!uploads.retryArmed()) {
            driver.advance(5);
            continue;
        }
        if (testFileLines(log).size() >= 4)
            break;
        driver.advance(CBackgroundUploadManager::kRetryDelayMs);
    }
    driver.runUntilIdle();
    testStopProcess(server, 2000);
    EXPECT_EQ(batch.result(), kResultSucceeded);
    const auto received = testFileLines(log);
    ASSERT_EQ(received.size(), 4u);
    for (const std::string& line : received)
        EXPECT_NE(line.find("request=media-xfer"), std::string::npos) << line;
    EXPECT_NE(received[2].find(" attachment=6000 sha256="
                  + testSha256OfFile(driver.root().hostPath("My Documents/My Pictures/IMG_0001.jpg"))),
        std::string::npos)
        << received[2];

    // "IMG_0001.jpg" and "C7": 16 + 12 + 2 bytes.
    EXPECT_EQ(uploads.cursor(), 30u);
    EXPECT_EQ(uploads.retries(), 1);
    EXPECT_TRUE(uploads.retryArmed());
    EXPECT_EQ(client.getCounters().get(kCounterInPhone), 1);
    EXPECT_EQ(client.getCounters().get(kCounterRetries), 1);
    const std::string reg = testRunCommand("python3 '" TESSEL_SOURCE_DIR "/tests/peers/vxl_reg_reader.py' '"
        + driver.storeFile("_vxl.reg") + "'")
                                .output;
    for (const char* pair : {"pers.bkg_upload_cursor=30\n", "pers.bkg_upload_retries=1\n",
             "pers.bkg_upload_count_inphone=1\n", "pers.bkg_upload_count_external=0\n"})
        EXPECT_NE(reg.find(pair), std::string::npos) << pair << reg;
}

} // namespace
