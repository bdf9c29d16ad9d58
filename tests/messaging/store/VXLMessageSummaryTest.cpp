#include "engine/messaging/store/VXLMessageSummary.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/media/VXLMediaRef.h"
#include "engine/messaging/store/VXLStoredMessageRead.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::uint32_t kNow = 1700000000;
constexpr std::uint32_t kDay = 86400;

// One stored header: segment 0 summary, 1 content, 2 totals, 3 message. A
// token parameter, when given, goes on the value as the MMS codec stores it.
struct Header {
    int segment;
    std::string name;
    std::string value;
    std::string token = "";
};

struct Case {
    const char* what;
    std::vector<Header> headers;
    // Field name -> the expected text of describe().
    std::map<std::string, std::string> expected;
    std::string locator = "";
    std::uint32_t bodyLength = 0;
};

CVXLHeaderMap& mapOf(CVXLStoredMessageRead& read, int segment)
{
    switch (segment) {
    case 0:
        return read.summary;
    case 1:
        return read.content;
    case 2:
        return read.totals;
    default:
        return read.message;
    }
}

void fillFrom(CVXLMessageSummary& summary, const Case& c, bool read = false)
{
    CVXLStoredMessageRead source;
    source.messageId = "i1700000000_0";
    source.read = read;
    source.bodyLocator = c.locator.c_str();
    source.bodyLength = c.bodyLength;
    for (const Header& h : c.headers) {
        CVXLHeaderMap& map = mapOf(source, h.segment);
        map.add(h.name.c_str(), h.value.c_str());
        if (!h.token.empty()) {
            auto* params = new CVXLHeaderMap;
            params->add("0", h.token.c_str());
            map.setValueObject(h.name.c_str(), static_cast<int>(map.valueCount(h.name.c_str())) - 1, params);
        }
    }
    summary.fill(source, kNow);
}

std::string entries(const CVXLMessageSummary& s, bool cc)
{
    std::string out;
    const std::uint32_t n = cc ? s.ccCount() : s.toCount();
    for (std::uint32_t i = 0; i < n; ++i) {
        const CVXLAddressee* a = cc ? s.ccAt(static_cast<int>(i)) : s.toAt(static_cast<int>(i));
        out += (i ? " | " : "") + std::to_string(a->kind()) + ":" + a->address().c_str() + ":"
            + a->displayName().c_str();
    }
    return out;
}

std::string describe(const CVXLMessageSummary& s, const std::string& field)
{
    const std::map<std::string, std::function<std::string()>> fields = {
        {"priority", [&] { return std::to_string(s.priority()); }},
        {"total", [&] { return std::to_string(s.getTotalMediaParts()); }},
        {"counts",
            [&] {
                return std::to_string(s.imageCount()) + "," + std::to_string(s.videoCount()) + ","
                    + std::to_string(s.textCount()) + "," + std::to_string(s.audioCount()) + ","
                    + std::to_string(s.voiceMemoCount());
            }},
        {"alert", [&] { return std::to_string(s.alertStatus()); }},
        {"box", [&] { return std::to_string(s.getBoxType()); }},
        {"hasText", [&] { return std::to_string(s.hasText()); }},
        {"to", [&] { return entries(s, false); }},
        {"cc", [&] { return entries(s, true); }},
        {"toText", [&] { return std::string(s.toText().c_str()); }},
        {"ccText", [&] { return std::string(s.ccText().c_str()); }},
        {"several", [&] { return std::to_string(s.severalAddressees()); }},
        {"from", [&] { return std::string(s.fromAddress().c_str()); }},
        {"display", [&] { return std::string(s.getDisplayAddress().c_str()); }},
        {"subject", [&] { return std::string(s.subject().c_str()); }},
        {"received", [&] { return std::to_string(s.receivedTime()); }},
        {"sent", [&] { return std::to_string(s.sentTime()); }},
        {"expiry", [&] { return std::to_string(s.expiryTime()); }},
        {"soon", [&] { return std::to_string(s.expiresSoon()); }},
        {"locks",
            [&] {
                return std::to_string(s.forwardLocked()) + "," + std::to_string(s.saveLocked()) + ","
                    + std::to_string(s.forwardLockedCount()) + "," + std::to_string(s.saveLockedCount());
            }},
        {"charge", [&] { return std::to_string(s.hasChargeText()) + ":" + s.chargeText().c_str(); }},
        {"media",
            [&] {
                const CVXLMediaRef* ref = s.mediaRef();
                if (!ref)
                    return std::string("none");
                const CVXLRendition& r = ref->rendition(0);
                return std::string(ref->getMimeType().c_str()) + " " + r.location.c_str() + " "
                    + r.mimeType.c_str() + " " + std::to_string(r.width) + "x" + std::to_string(r.height)
                    + " " + std::to_string(r.lengthHint);
            }},
    };
    return fields.at(field)();
}

std::string text(std::uint32_t n)
{
    return std::to_string(n);
}

std::string hex(std::uint32_t n)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%X", n);
    return buffer;
}

const std::vector<Case> kCases = {
    {"sent time of 10 digits is seconds", {{0, "X-QV-Message-Sent-Time", "1699999999"}},
        {{"sent", "1699999999"}}},
    {"sent time of 11 digits is used unchanged", {{0, "X-QV-Message-Sent-Time", "01699999999"}},
        {{"sent", "1699999999"}}},
    {"sent time of 12 digits loses 3", {{0, "X-QV-Message-Sent-Time", "169999999912"}},
        {{"sent", "169999999"}}},
    {"sent time of 13 digits is milliseconds", {{0, "X-QV-Message-Sent-Time", "1699999999123"}},
        {{"sent", "1699999999"}}},
    {"no sent time takes the message's Date", {{3, "5", "1690000000"}}, {{"sent", "1690000000"}}},
    {"no total takes the counts plus 3", {{0, "X-QV-Image-Count", "1"}, {0, "X-QV-Text-Count", "1"}},
        {{"total", "5"}, {"counts", "1,0,1,0,0"}}},
    {"a total in segment 2 wins",
        {{2, "X-QV-Total-Media-Parts", "7"}, {0, "X-QV-Image-Count", "1"}, {0, "X-QV-Video-Count", "2"},
            {0, "X-QV-Audio-Count", "3"}, {0, "X-QV-Voicememo-Count", "4"}},
        {{"total", "7"}, {"counts", "1,2,0,3,4"}}},
    {"addressees: quoted e-mail name, empty entry, international number",
        {{0, "X-QV-To-Address-List", "\"Ann Lee\" <ann@example.com>;;+15551234567"}},
        {{"to", "0:\"Ann Lee\" <ann@example.com>:Ann Lee | 1:+15551234567:+15551234567"},
            {"toText", "\"Ann Lee\" <ann@example.com>,+15551234567"}, {"several", "1"}, {"cc", ""}}},
    {"CC and BCC share one list; one To and one CC are several",
        {{0, "X-QV-To-Address-List", "555-1234"}, {0, "X-QV-CC-Address-List", "bob@example.com"},
            {0, "X-QV-BCC-Address-List", "@handle;x"}},
        {{"to", "1:555-1234:555-1234"},
            {"cc", "0:bob@example.com:bob@example.com | 2:@handle:@handle | 2:x:x"},
            {"ccText", "bob@example.com,@handle,x"}, {"several", "1"}}},
    {"one addressee is not several", {{0, "X-QV-To-Address-List", "5551234;"}},
        {{"several", "0"}, {"toText", "5551234"}}},
    {"a quote in a non-e-mail entry is kept", {{0, "X-QV-To-Address-List", "\"Ann\" 555"}},
        {{"to", "2:\"Ann\" 555:\"Ann\" 555"}}},
    {"alert status is exact", {{0, "X-QV-Alert-Status", "Visible"}}, {{"alert", "3"}}},
    {"alert visible", {{0, "X-QV-Alert-Status", "visible"}}, {{"alert", "2"}}},
    {"alert none", {{0, "X-QV-Alert-Status", "none"}}, {{"alert", "0"}}},
    {"no alert status", {},
        {{"alert", "3"}, {"box", "1"}, {"priority", "1"}, {"media", "none"}, {"soon", "0"}}},
    {"priority words in any case", {{0, "X-QV-Message-Priority", "hIGH"}, {3, "15", "1"}},
        {{"priority", "2"}}},
    {"priority low", {{0, "X-QV-Message-Priority", "LOW"}}, {{"priority", "0"}}},
    {"another priority word is normal", {{0, "X-QV-Message-Priority", "urgent"}, {3, "15", "3"}},
        {{"priority", "1"}}},
    {"X-Mms-Priority 1 is low", {{3, "15", "1"}}, {{"priority", "0"}}},
    {"X-Mms-Priority 3 is high", {{3, "15", "3"}}, {{"priority", "2"}}},
    {"sent box, display address is the first To",
        {{0, "X-QV-Message-Type", "SENT"}, {0, "X-QV-To-Address-List", "5551111;5552222"},
            {0, "X-QV-From-Address", "me@example.com"}},
        {{"box", "2"}, {"display", "5551111"}}},
    {"received box, display address is the sender",
        {{0, "X-QV-Message-Type", "Received"}, {0, "X-QV-To-Address-List", "5551111;5552222"},
            {0, "X-QV-From-Address", "5559999"}},
        {{"box", "1"}, {"display", "5559999"}, {"from", "5559999"}}},
    {"subject, received time in hexadecimal, text",
        {{0, "22", "Hello"}, {0, "X-QV-Received-Time", hex(kNow)},
            {0, "X-QV-MessageText-Summary", "Hi there"}},
        {{"subject", "Hello"}, {"received", text(kNow)}, {"hasText", "1"}}},
    {"text memo count wins over the summary",
        {{0, "X-QV-Textmemo-Count", "2"}, {0, "X-QV-MessageText-Summary", "Hi"}},
        {{"hasText", "2"}, {"total", "5"}}},
    {"absolute expiry 2 days ahead is soon", {{0, "8", text(kNow + 2 * kDay), "0"}},
        {{"expiry", text(kNow + 2 * kDay)}, {"soon", "1"}}},
    {"absolute expiry 4 days ahead is not", {{0, "8", text(kNow + 4 * kDay), "0"}}, {{"soon", "0"}}},
    {"expiry in the past is soon", {{0, "8", text(kNow - 10)}}, {{"soon", "1"}}},
    {"expiry exactly 3 days ahead is soon", {{0, "8", text(kNow + 3 * kDay)}}, {{"soon", "1"}}},
    {"relative expiry counts from the received time",
        {{0, "8", text(2 * kDay), "1"}, {0, "X-QV-Received-Time", hex(kNow - kDay)}},
        {{"expiry", text(kNow + kDay)}, {"soon", "1"}}},
    {"relative expiry of a week is not soon",
        {{0, "8", text(7 * kDay), "1"}, {0, "X-QV-Received-Time", hex(kNow)}},
        {{"expiry", text(kNow + 7 * kDay)}, {"soon", "0"}}},
    {"relative expiry 0 is none", {{0, "8", "0", "1"}, {0, "X-QV-Received-Time", hex(kNow)}},
        {{"expiry", "0"}, {"soon", "0"}}},
    {"X-QV-Expires without content is not read", {{0, "X-QV-Expires", text(kNow + kDay)}},
        {{"expiry", "0"}, {"soon", "0"}}},
    {"X-QV-Expires with content wins",
        {{0, "8", text(kNow + 9 * kDay)}, {0, "X-QV-Expires", text(kNow + kDay)},
            {1, "Content-Type", "image/jpeg"}},
        {{"expiry", text(kNow + kDay)}, {"soon", "1"}}, "i1_0|120|900", 900},
    {"content segment gives the media reference",
        {{1, "Content-Type", "image/jpeg"}, {1, "X-QV-Image-Width", "640"}, {1, "X-QV-Image-Height", "480"}},
        {{"media", "image/jpeg i1_0|120|900 image/jpeg 640x480 900"}}, "i1_0|120|900", 900},
    {"save lock sets both flags", {{0, "X-QV-Save-Locked-Count", "1"}, {0, "X-QV-Forward-Locked-Count", "0"}},
        {{"locks", "1,1,0,1"}}},
    {"forward lock alone", {{0, "X-QV-Forward-Locked-Count", "2"}}, {{"locks", "1,0,2,0"}}},
    {"charge text", {{0, "X-QV-Message-Charge-Text", "$1.99"}}, {{"charge", "1:$1.99"}}},
    {"decimal values take their leading digits",
        {{0, "X-QV-Image-Count", "3x"}, {0, "X-QV-Video-Count", "v"}}, {{"counts", "3,0,0,0,0"}}},
};

TEST(MessageSummary, FillTable)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        CVXLMessageSummary summary;
        fillFrom(summary, c);
        for (const auto& [field, value] : c.expected)
            EXPECT_EQ(describe(summary, field), value) << field;
        EXPECT_EQ(summary.origin(), CVXLMessageSummary::kOriginStored);
        EXPECT_STREQ(summary.messageId().c_str(), "i1700000000_0");
    }
}

TEST(MessageSummary, RefillReplacesAddresseesAndKeepsReadFlag)
{
    const Case c {"", {{0, "X-QV-To-Address-List", "5551111;5552222"}}, {}};
    CVXLMessageSummary summary;
    fillFrom(summary, c, true);
    fillFrom(summary, c, true);
    EXPECT_EQ(summary.toCount(), 2u);
    EXPECT_STREQ(summary.toText().c_str(), "5551111,5552222");
    EXPECT_TRUE(summary.isRead());
    EXPECT_EQ(summary.toAt(2), nullptr);

    summary.clearAddressees();
    EXPECT_EQ(summary.toCount(), 0u);
    EXPECT_FALSE(summary.severalAddressees());
    EXPECT_STREQ(summary.toText().c_str(), "");
}

TEST(MessageSummary, FreshRecordAndSetters)
{
    CVXLMessageSummary summary;
    EXPECT_EQ(summary.elementType(), 11u);
    EXPECT_EQ(summary.alertStatus(), CVXLMessageSummary::kAlertNotGiven);
    summary.setFromAddress("a@b.example");
    EXPECT_STREQ(summary.fromName().c_str(), "");
    summary.setAlertStatus(nullptr);
    EXPECT_EQ(summary.alertStatus(), CVXLMessageSummary::kAlertNotGiven);
    summary.setImageCount(2);
    summary.setVideoCount(3);
    EXPECT_EQ(summary.pictureAndVideoCount(), 5);
}

TEST(Addressee, KindOfTable)
{
    const struct {
        const char* text;
        std::int32_t kind;
    } cases[] = {
        {"ann@example.com", CVXLAddressee::kEmail},
        {"@example.com", CVXLAddressee::kOther},
        {"+44 20 7946", CVXLAddressee::kPhone},
        {"555-1234", CVXLAddressee::kPhone},
        {"555 1234", CVXLAddressee::kOther},
        {"+1@x", CVXLAddressee::kEmail},
        {"", CVXLAddressee::kOther},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CVXLAddressee::kindOf(c.text), c.kind) << c.text;
}

} // namespace
