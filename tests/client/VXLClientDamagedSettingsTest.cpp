#include "engine/client/VXLClient.h"

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "tests/support/EngineDriver.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kStoreFolder = "Application Data/Tessel/";

std::string storePath(const char* name)
{
    return std::string(kStoreFolder) + name;
}

std::string setting(CVXLClient& client, const char* key)
{
    CVXLString out;
    return client.settings().getPersistentString(key, &out) ? out.c_str() : "<none>";
}

std::string goodImage()
{
    CVXLPersStore stored;
    stored.set(kPersItemShare, "1");
    stored.set(kPersVraxId, "phone-1");
    stored.set(kPersMediaBrowse, "7");
    CVXLByteStream image;
    stored.save(image);
    return std::string(reinterpret_cast<const char*>(image.data()), image.length());
}

// A damaged settings file loads what can be read, is copied aside before any
// save, and a later save never leaves the only copy of the lost pairs gone.
TEST(VXLClientDamagedSettings, ADamagedFileIsKeptAsideBeforeASaveReplacesIt)
{
    const std::string good = goodImage();
    std::string wrongFormat = good;
    wrongFormat[0] = 11;
    struct Case {
        const char* what;
        std::string bytes;
        const char* itemShare; // what loads
        const char* log; // the log line names the damage
    } cases[] = {
        { "cut inside the last pair", good.substr(0, good.size() - 3), "1", "damaged at byte" },
        { "unknown format byte", wrongFormat, "<none>", "no format byte" },
        { "garbage", std::string("\x0a\xff\xff\xff\x7f garbage", 10), "<none>", "damaged at byte" },
        { "bytes after the last pair", good + "xx", "1", "damaged at byte" },
        { "empty", "", "<none>", "no format byte" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDeviceRoot root;
        ASSERT_TRUE(root.writeFile(storePath("_vxl.reg"), c.bytes));
        EngineDriver driver(&root);
        ASSERT_TRUE(driver.startUp());
        CVXLClient& client = *driver.client();
        EXPECT_EQ(setting(client, kPersItemShare), c.itemShare);
        EXPECT_EQ(root.readFile(storePath("_vxl.reg.bad")), c.bytes) << "kept aside as read";
        CVXLLog::flush();
        const std::string log = root.readFile("log/engine.log");
        EXPECT_NE(log.find(c.log), std::string::npos) << log;
        EXPECT_NE(log.find("kept as _vxl.reg.bad"), std::string::npos) << log;

        // A change saves what loaded; the copy stays.
        client.settings().setPersistentString(kPersNetSessions, "3");
        driver.tick();
        driver.runUntilIdle();
        EXPECT_NE(root.readFile(storePath("_vxl.reg")), c.bytes);
        EXPECT_EQ(root.readFile(storePath("_vxl.reg.bad")), c.bytes);
    }
}

TEST(VXLClientDamagedSettings, AnIntactFileLeavesNoCopyAndNoLogLine)
{
    TempDeviceRoot root;
    ASSERT_TRUE(root.writeFile(storePath("_vxl.reg"), goodImage()));
    EngineDriver driver(&root);
    ASSERT_TRUE(driver.startUp());
    EXPECT_EQ(setting(*driver.client(), kPersMediaBrowse), "7");
    EXPECT_FALSE(root.exists(storePath("_vxl.reg.bad")));
    CVXLLog::flush();
    EXPECT_EQ(root.readFile("log/engine.log").find("settings:"), std::string::npos);
}

// Without the copy the store must not be saved over the damaged file.
TEST(VXLClientDamagedSettings, WithoutACopyTheDamagedFileIsNeverReplaced)
{
    TempDeviceRoot root;
    const std::string cut = goodImage().substr(0, 30);
    ASSERT_TRUE(root.writeFile(storePath("_vxl.reg"), cut));
    // A folder in the copy's place: the copy cannot be made.
    root.makeFolder(storePath("_vxl.reg.bad/x").c_str());
    EngineDriver driver(&root);
    ASSERT_TRUE(driver.startUp());
    CVXLClient& client = *driver.client();
    client.settings().setPersistentString(kPersNetSessions, "3");
    driver.tick();
    driver.runUntilIdle();
    EXPECT_EQ(root.readFile(storePath("_vxl.reg")), cut);
    CVXLLog::flush();
    EXPECT_NE(root.readFile("log/engine.log").find("saves held"), std::string::npos);
}

} // namespace
