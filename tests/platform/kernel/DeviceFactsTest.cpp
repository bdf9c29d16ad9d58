#include "platform/kernel/DeviceFacts.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

namespace tessel::kernel {
namespace {

TEST(DeviceFacts, OemTextAndCarrierProxyAreTakenWhenSoundAndRefusedAndLoggedOtherwise)
{
    struct Case {
        const char* line;
        const char* oem;
        const char* proxy;
        bool logged;
    };
    const std::string longest(255, 'x');
    const std::string tooLong = "oem.info = " + std::string(256, 'x');
    const std::string fits = "oem.info = " + longest;
    const Case cases[] = {
        {"", "Tessel Phone", "proxy.tessel.test", false},
        {"oem.info = SPH-i325", "SPH-i325", "proxy.tessel.test", false},
        {"oem.info = T\xc3\xa9l\xc3\xa9phone Halvard", "T\xc3\xa9l\xc3\xa9phone Halvard", "proxy.tessel.test",
            false},
        {fits.c_str(), longest.c_str(), "proxy.tessel.test", false},
        {tooLong.c_str(), "Tessel Phone", "proxy.tessel.test", true},
        {"oem.info = bad\x01text", "Tessel Phone", "proxy.tessel.test", true},
        {"oem.info = cut \xc3", "Tessel Phone", "proxy.tessel.test", true},
        {"carrier.proxy = wap.carrier.example", "Tessel Phone", "wap.carrier.example", false},
        {"carrier.proxy = 10.0.0.172", "Tessel Phone", "10.0.0.172", false},
        {"carrier.proxy = http://wap.example/", "Tessel Phone", "proxy.tessel.test", true},
        {"carrier.proxy = wap..example", "Tessel Phone", "proxy.tessel.test", true},
        {"carrier.proxy = -wap.example", "Tessel Phone", "proxy.tessel.test", true},
        {"carrier.proxy = wap.example:8080", "Tessel Phone", "proxy.tessel.test", true},
        {"carrier.proxy =", "Tessel Phone", "proxy.tessel.test", true},
    };
    for (const Case& c : cases) {
        TempDeviceRoot root;
        root.writeDeviceConf(std::string(c.line) + "\n");
        const DeviceFacts facts = deviceFacts();
        EXPECT_EQ(facts.oemInfo, c.oem) << c.line;
        EXPECT_EQ(facts.carrierProxy, c.proxy) << c.line;
        EXPECT_EQ(root.readFile("log/device.log").find("bad text for") != std::string::npos, c.logged)
            << c.line;
    }
}

} // namespace
} // namespace tessel::kernel
