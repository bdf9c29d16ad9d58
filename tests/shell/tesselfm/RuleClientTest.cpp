#include "platform/mapi/MailRuleClient.h"
#include "platform/mapi/MapiSession.h"
#include "platform/mapi/MessageStore.h"
#include "shell/tesselfm/Factory.h"
#include "tests/shell/tesselfm/FmLibrary.h"
#include "tests/shell/tesselfm/InboxFiles.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

namespace {

using namespace tessel;

// A text message of the SMS Inbox as the rule host hands it over, processed
// by the library's rule client; the message read back by mapistore.py.
TEST(RuleClient, RewritesTheServicesNoticesAndLeavesEveryOtherMessageAsItWas)
{
    struct Case {
        const char* name;
        std::string text;
        std::string sender;
        std::string model; // device.conf's oem.info; empty: the default
        // Empty body: the message is not handled and stays byte-identical.
        std::string body;
        std::string subject;
        int kind = 2;
    };
    const Case cases[] = {
        {"marker only", "Your Tessel from Anna_frsthgl", "+14255550199", "", "Your Tessel from Anna",
            "Your Tessel from Anna"},
        {"Click Go before the marker", "New picture Click Go to view_frsthgl http://t.example/1",
            "+14255550199", "", "New picture Click Go to view", "New picture "},
        {"Click Go after the marker", "Hello there_frsthgl Click Go", "+14255550199", "", "Hello there",
            "Hello there"},
        {"a line feed", "Line one\nline two_frsthgl\nafter", "+14255550199", "", "Line one\nline two",
            "Line one"},
        {"wide characters", "Grüße aus Köln ✓_frsthgl", "+14255550199", "", "Grüße aus Köln ✓",
            "Grüße aus Köln ✓"},
        {"no marker", "See you at 8, Click Go\nbye", "+14255550199", "", "", ""},
        {"an Unknown sender", "Hi_frsthgl", "Unknown sender", "", "Hi", "Hi", 3},
        {"the skipped model", "Hi_frsthgl", "+14255550199", "Palm Treo 800", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDeviceRoot root;
        InboxFiles store(root);
        if (!c.model.empty())
            root.writeDeviceConf("oem.info = " + c.model + "\n");
        FmLibrary library;
        ASSERT_TRUE(library.loaded()) << library.error;
        const std::string id = store.write({{"001a001f", InboxFiles::json("IPM.SMSText")},
            {"0037001f", InboxFiles::json(c.text)}, {"0c1f001f", InboxFiles::json(c.sender)}});
        ASSERT_FALSE(id.empty());
        const std::string before = store.file(id);

        auto* factory = library.classObject<com::IClassFactory>(fm::kClsidRuleClient, com::kIidIClassFactory);
        ASSERT_NE(factory, nullptr);
        mapi::IMailRuleClient* client = nullptr;
        ASSERT_EQ(
            factory->createInstance(nullptr, mapi::kIidMailRuleClient, reinterpret_cast<void**>(&client)),
            com::kSOk);
        factory->release();
        std::unique_ptr<mapi::MapiSession> session = mapi::MapiSession::logon();
        std::unique_ptr<mapi::MessageStore> messages;
        ASSERT_EQ(session->openStore(mapi::storeEntryId("SMS"), &messages), mapi::kMapiOk);
        std::int32_t access = 0;
        EXPECT_EQ(client->initialize(messages.get(), &access), com::kSOk);
        EXPECT_EQ(access, mapi::kRuleAccessReadWrite);

        const std::string entryId = store.entryId(id);
        std::uint32_t eventType = 99;
        std::int32_t handled = -7;
        EXPECT_EQ(
            client->processMessage(messages.get(), static_cast<std::uint32_t>(entryId.size()),
                reinterpret_cast<const std::uint8_t*>(entryId.data()), 0, nullptr, &eventType, &handled),
            com::kSOk);
        EXPECT_EQ(client->release(), 0u);

        if (c.body.empty()) {
            EXPECT_EQ(store.file(id), before) << "byte-identical";
            EXPECT_EQ(eventType, 99u);
            EXPECT_EQ(handled, c.model.empty() ? mapi::kRuleNotHandled : -7)
                << "the skipped model answers nothing";
            continue;
        }
        EXPECT_EQ(handled, mapi::kRuleHandledContinue);
        EXPECT_EQ(eventType, mapi::kRuleEventModified);
        EXPECT_EQ(store.read(id),
            (std::map<std::string, std::string> {
                {"message 001a001f", "\"IPM.SMSText.Tessel\""},
                {"message 0037001f", InboxFiles::json(c.subject)},
                {"message 0c1f001f", InboxFiles::json(c.sender)},
                {"message 1000001f", InboxFiles::json(c.body)},
                {"message 00170003", "1"},
                {"message 81180003", std::to_string(c.kind)},
            }));
    }
}

} // namespace
