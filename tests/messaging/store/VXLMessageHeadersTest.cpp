#include "engine/messaging/store/VXLMessageHeaders.h"
#include "engine/records/VXLInboundRequests.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

struct Header {
    bool content; // content map, else message map
    const char* name;
    const char* value;
};

struct AccessorCase {
    const char* fact;
    std::vector<Header> headers;
    std::function<std::string(CVXLMessageHeaders&)> read;
    std::string expected;
};

std::string text(const CVXLString& s)
{
    return s.c_str();
}

TEST(MessageHeadersTest, AccessorsAnswerTheFirstValueByTheirRules)
{
    using H = CVXLMessageHeaders;
    const std::vector<AccessorCase> cases = {
        {"names compare ignoring case", {{false, "x-qv-from-address", "+15550001"}},
            [](H& h) { return text(h.getFromAddress()); }, "+15550001"},
        {"the first of repeated values",
            {{false, "X-QV-To-Address-List", "a"}, {false, "X-QV-To-Address-List", "b"}},
            [](H& h) { return text(h.getToAddressList()); }, "a"},
        {"an absent header is empty", {}, [](H& h) { return text(h.getCcAddressList()); }, ""},
        {"BCC list", {{false, "X-QV-BCC-Address-List", "c"}},
            [](H& h) { return text(h.getBccAddressList()); }, "c"},
        {"client message id", {{false, "X-QV-Client-Message-Id", "o1_2"}},
            [](H& h) { return text(h.getClientMessageId()); }, "o1_2"},
        {"message type", {{false, "X-QV-MESSAGE-TYPE", "Sent"}},
            [](H& h) { return text(h.getMessageType()); }, "Sent"},
        {"priority", {{false, "X-QV-Message-Priority", "High"}},
            [](H& h) { return text(h.getMessagePriority()); }, "High"},
        {"charge text", {{false, "X-QV-Message-Charge-Text", "$1"}},
            [](H& h) { return text(h.getChargeText()); }, "$1"},
        {"expires is a number", {{false, "x-qv-expires", "86400"}},
            [](H& h) { return std::to_string(h.getExpires()); }, "86400"},
        {"expires absent is 0", {}, [](H& h) { return std::to_string(h.getExpires()); }, "0"},
        {"expires not a number is 0", {{false, "X-QV-Expires", "soon"}},
            [](H& h) { return std::to_string(h.getExpires()); }, "0"},
        {"\"3\" found exactly", {{false, "3", "http://relay/m1"}},
            [](H& h) { return text(h.getMmsContentLocation()); }, "http://relay/m1"},
        {"\"3\" is not \"03\" nor \"3 \"", {{false, "03", "x"}, {false, "3 ", "y"}},
            [](H& h) { return text(h.getMmsContentLocation()); }, ""},
        {"summary headers are not content headers", {{false, "Content-Location", "m"}},
            [](H& h) { return text(h.getContentLocation()); }, ""},
        {"content location", {{true, "content-location", "part1"}},
            [](H& h) { return text(h.getContentLocation()); }, "part1"},
        {"location", {{true, "LOCATION", "http://x"}}, [](H& h) { return text(h.getLocation()); },
            "http://x"},
        {"save lock", {{true, "X-QV-Save-Lock", "1"}}, [](H& h) { return text(h.getSaveLock()); }, "1"},
        {"content type up to the first \";\"", {{true, "Content-Type", "image/jpeg; name=a;b=c"}},
            [](H& h) { return text(h.getContentType()); }, "image/jpeg"},
        {"content type without \";\" is whole", {{true, "content-type", "text/plain"}},
            [](H& h) { return text(h.getContentType()); }, "text/plain"},
        {"content type starting with \";\" is empty", {{true, "Content-Type", ";x=1"}},
            [](H& h) { return text(h.getContentType()); }, ""},
        {"removing the charge text takes every value and spelling",
            {{false, "X-QV-Message-Charge-Text", "$1"}, {false, "x-qv-message-charge-text", "$2"},
                {false, "A", "b"}},
            [](H& h) {
                h.removeChargeText();
                return text(h.getChargeText()) + "|" + std::to_string(h.messageHeaders.nameCount());
            },
            "|1"},
    };
    for (const AccessorCase& c : cases) {
        CVXLMessageHeaders headers;
        for (const Header& h : c.headers)
            (h.content ? headers.contentHeaders : headers.messageHeaders).add(h.name, h.value);
        EXPECT_EQ(c.read(headers), c.expected) << c.fact;
    }
}

TEST(MessageHeadersTest, RemovingTheChargeTextLeavesASharedMapAlone)
{
    CVXLHeaderMap stored;
    stored.add("X-QV-Message-Charge-Text", "$1");
    CVXLMessageHeaders headers;
    headers.messageHeaders = stored;
    headers.removeChargeText();
    EXPECT_EQ(text(headers.getChargeText()), "");
    EXPECT_EQ(text(stored.value("X-QV-Message-Charge-Text")), "$1");
}

struct DefaultCase {
    const char* fact;
    std::int32_t requestCode;
    std::int32_t replyCode;
    std::int32_t expectedRequest;
    std::int32_t expectedReply;
};

TEST(InboundRequestsTest, EachClassCarriesItsCodesAndDefaults)
{
    CMessageOpenRequest open(6);
    CMessageReadRequest read(40);
    CNetworkMessageRequest network(41);
    CMmsSendRequest send(42);
    CMmboxStoreRequest store(43);
    CMessageBoxListRequest list;
    CMessageItemRequest item(34);
    const std::vector<DefaultCase> cases = {
        {"open", open.requestCode(), open.replyCode(), 2, 6},
        {"read", read.requestCode(), read.replyCode(), 3, 40},
        {"network message", network.requestCode(), network.replyCode(), 4, 41},
        {"MMS send", send.requestCode(), send.replyCode(), 5, 42},
        {"MMbox store", store.requestCode(), store.replyCode(), 7, 43},
        {"box list has no reply code", list.requestCode(), list.replyCode(), 0x8000036, 0},
        {"item", item.requestCode(), item.replyCode(), 0x8000037, 34},
    };
    for (const DefaultCase& c : cases) {
        EXPECT_EQ(c.requestCode, c.expectedRequest) << c.fact;
        EXPECT_EQ(c.replyCode, c.expectedReply) << c.fact;
    }
    EXPECT_EQ(read.mediaFilter, 3u) << "images and videos";
    EXPECT_EQ(read.readMode, 2u);
    EXPECT_EQ(open.chargeAccepted, 0);
    EXPECT_EQ(open.partArray, nullptr);
    EXPECT_EQ(list.summaries, nullptr);
    EXPECT_EQ(list.idArray, nullptr);
}

} // namespace
