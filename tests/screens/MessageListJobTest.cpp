#include "engine/screens/VXLMessageListJob.h"

#include "engine/messaging/store/VXLAddressee.h"
#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/screens/VXLContactListElement.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string contactsText(const CVXLContactListElement& contacts)
{
    std::string out;
    for (std::uint32_t i = 0; i < contacts.count(); ++i) {
        const CVXLAddressee* entry = contacts.at(i);
        out += std::string(out.empty() ? "" : ", ") + std::to_string(entry->kind()) + ":"
            + entry->address().c_str() + "/" + entry->displayName().c_str();
    }
    return out;
}

// Who a reply goes to: the reply-to address when there is one, else the
// sender up to its first ","; Reply All adds every To and Cc recipient but
// the own number and the reply-to; Reply To Thread the thread alone.
TEST(MessageListJob, ReplyRecipientsComeFromTheSummary)
{
    constexpr std::int32_t kReply = CVXLMessageListJob::kSignalReply;
    constexpr std::int32_t kAll = CVXLMessageListJob::kSignalReplyAll;
    constexpr std::int32_t kThread = CVXLMessageListJob::kSignalReplyToThread;
    struct Case {
        const char* what;
        std::int32_t signal;
        const char* from;
        const char* replyTo;
        std::vector<std::pair<const char*, const char*>> to;
        std::vector<std::pair<const char*, const char*>> cc;
        const char* expected;
    };
    const char* own = "+15550000";
    const Case cases[] = {
        {"reply to the sender", kReply, "+15550101", "", {{own, ""}}, {}, "2:+15550101/"},
        {"the sender up to its first comma", kReply, "+15550101,+15550102", "", {}, {}, "2:+15550101/"},
        {"the reply-to wins over the sender", kReply, "+15550101", "pat@example.com", {}, {},
            "2:pat@example.com/pat@example.com"},
        {"no reply to oneself", kReply, own, "", {}, {}, ""},
        {"reply all: sender and the others", kAll, "+15550101", "", {{own, ""}, {"sam@example.com", "Sam"}},
            {{"+15550303", "Lee"}}, "2:+15550101/, 0:sam@example.com/Sam, 1:+15550303/Lee"},
        {"reply all: the reply-to once, not the sender", kAll, "+15550101", "pat@example.com",
            {{"pat@example.com", "Pat"}, {"+15550202", ""}}, {{own, "Me"}},
            "2:pat@example.com/pat@example.com, 1:+15550202/"},
        {"reply to thread: the thread alone", kThread, "+15550101", "pat@example.com", {{"+15550202", ""}},
            {}, "2:+15550909/+15550909"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLMessageSummary summary;
        summary.setFromAddress(c.from);
        summary.setReplyTo(c.replyTo);
        for (const auto& [address, name] : c.to)
            summary.addTo(CVXLAddressee::kindOf(address), address, name);
        for (const auto& [address, name] : c.cc)
            summary.addCc(CVXLAddressee::kindOf(address), address, name);
        CVXLContactListElement contacts;
        contacts.addNew()->set(1, "+15557777", "left over");
        CVXLMessageListJob::fillReplyRecipients(contacts, summary, c.signal, own, "+15550909");
        EXPECT_EQ(contactsText(contacts), c.expected);
    }
}

} // namespace
