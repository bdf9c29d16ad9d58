#pragma once

#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/platform/VXLPlatformFactory.h"
#include "engine/core/platform/VXLPlatformMessageStore.h"
#include "engine/core/settings/VXLPersStore.h"
#include "engine/messaging/inbound/VXLInboundMessageManager.h"
#include "engine/messaging/store/MessageStoreManager.h"
#include "engine/transport/net/VXLHttpSettings.h"
#include "engine/transport/net/VXLNetworkDialer.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/JobTreeDriver.h"
#include "tests/support/MmsRelayPeer.h"
#include "tests/support/SquidProxy.h"
#include "tests/support/TempDeviceRoot.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The bytes of an m-notification-ind for the location, as tests/peers/mms_relay.py
// makes it (recommending manual retrieval when asked); "" when it could not.
inline std::string relayNotification(const std::string& location, const std::string& tid, bool manual = false)
{
    const TestCommandResult run
        = testRunCommand(testPython() + " " TESSEL_SOURCE_DIR "/tests/peers/mms_relay.py --notification '"
            + location + "' " + tid + (manual ? " --manual" : ""));
    if (run.status != 0)
        return "";
    std::string bytes;
    const std::string hex = run.output.substr(0, run.output.find('\n'));
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

// Posts requests to the inbound manager and keeps the result of each answer.
class InboundRequester : public CVXLEventHandler {
public:
    void onEvent(CVXLEvent* event) override
    {
        if (!event->isRequest())
            answers.push_back(event->result());
        else
            finishEvent(event);
    }
    std::vector<std::int32_t> answers;
};

// The inbound manager with its own transport over the network dialer, and
// the real message store, in the current device root; the relay at relayUrl
// reached through the proxy that the settings name.
struct InboundRig {
    class StoreServices : public CMessageStoreManager::Services {
    public:
        std::uint32_t messageLimit() override { return 100; }
        void setCounter(const char*, std::uint32_t) override { }
        void setHasNewMessages() override { }
        std::uint32_t nowSeconds() override { return 1700000000; }
    };
    class Services : public CInboundServices {
    public:
        CVXLString relayUrl() override { return relay.c_str(); }
        CVXLString userId() override { return "4711"; }
        std::uint32_t nowSeconds() override { return 1700000000; }
        void pushUIRequestCode(std::int32_t) override { }
        void processPendingPush() override { }
        void setStage(std::uint32_t value) override { lastStage = value; }
        std::string relay;
        std::uint32_t lastStage = 0;
    };

    InboundRig()
        : dialer(&factory, &settings)
    {
    }
    ~InboundRig() { manager.releaseMessageStore(); }

    void attach(
        JobTreeDriver& driver, const std::string& relayUrl, const std::string& proxyUri, const char* user)
    {
        settings.userAgent = "TesselTest/1.0";
        settings.userName = user;
        settings.proxyUri = proxyUri.c_str();
        services.relay = relayUrl;
        store.setStore(&messageStore);
        store.setServices(&storeServices);
        manager.setStoreTarget(&store);
        manager.setServices(&services);
        manager.setDialer(&dialer);
        manager.setHttpSettings(&settings);
        manager.setSettingsStore(&pers);
        manager.setMessageStore(&messageStore);
        driver.attach(&dialer);
        driver.attach(&store);
        driver.attach(&requester);
        driver.attach(&manager);
        driver.runUntilIdle();
    }

    CVXLPlatformFactory factory;
    CVXLHttpSettings settings;
    CVXLNetworkDialer dialer;
    CVXLPersStore pers;
    CVXLPlatformMessageStore messageStore;
    StoreServices storeServices;
    CMessageStoreManager store;
    Services services;
    InboundRequester requester;
    CVXLInboundMessageManager manager;
};

// An InboundRig whose transport goes through a real squid to
// tests/peers/mms_relay.py; the tree follows real time.
class RelayThroughSquidTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TESSEL_REQUIRE_TOOL(testToolSquid());
        ASSERT_TRUE(squid.start()) << squid.error();
        ASSERT_TRUE(relay.start());
        rig.attach(driver, relay.url("/mms"), squid.proxyUri(), SquidProxy::kUser);
    }

    TempDeviceRoot root;
    JobTreeDriver driver;
    SquidProxy squid;
    MmsRelayPeer relay;
    InboundRig rig;
};
