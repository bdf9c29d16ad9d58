#pragma once

// PDUs of every kind the encoder writes, built as the messaging code builds
// them; shared by the encoder tests, the bench and the fuzz seeds.

#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLMboxViewRequestPdu.h"
#include "engine/transport/mms/VXLSendRequestPdu.h"
#include "engine/transport/mms/VXLSimpleRequestPdu.h"
#include "engine/transport/mms/VXLWspTables.h"

#include <cstdint>
#include <string>

namespace mmstest {

inline CVXLEntityRef makePart(const char* type, const char* id, const char* location, const std::string& data,
    const char* charset = nullptr, const char* name = nullptr)
{
    CVXLMimeEntity* part = new CVXLMimeEntity();
    CVXLEntityRef ref(part);
    part->setContentType(type);
    if (charset)
        part->addHeader("charset", charset);
    if (name)
        part->addHeader("name", name);
    if (id)
        part->addHeader("Content-ID", id);
    if (location)
        part->addHeader("Content-Location", location);
    CVXLByteBuffer bytes;
    bytes.append(data.data(), static_cast<std::uint32_t>(data.size()));
    part->setBodyBuffer(bytes);
    return ref;
}

inline std::string jpegLike(std::size_t size, unsigned seed)
{
    std::string data = "\xFF\xD8\xFF\xE0";
    std::uint32_t x = 2463534242u ^ seed;
    while (data.size() < size - 2) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        data.push_back(static_cast<char>(x & 0xFF));
    }
    return data + "\xFF\xD9";
}

inline CVXLMmsPdu* sendRequest(std::size_t imageCount = 1, std::size_t imageSize = 300)
{
    auto* pdu = new CVXLSendRequestPdu(kMmsSendReq, "17");
    pdu->setDate(1700000000);
    pdu->setFrom("", 3);
    pdu->addTo("+15552223333/TYPE=PLMN");
    pdu->addTo("alice@example.com");
    pdu->setSubject("Greetings from Bern", "utf-8");
    pdu->setHeader(kMmsFieldMessageClass, "1");
    pdu->setHeader(kMmsFieldExpiry, "0", kMmsParamToken, "1");
    pdu->setHeader(kMmsFieldDeliveryReport, "1");
    pdu->setHeader(kMmsFieldReadReport, "0");
    pdu->setHeader(kMmsFieldPriority, "2");
    auto* body = new CVXLMultipartBody();
    CVXLEntityRef bodyRef(body);
    body->setContentType("application/vnd.wap.multipart.related");
    body->addHeader("type", "application/smil");
    body->addHeader("start", "<smil>");
    body->appendPart(makePart("application/smil", "<smil>", "smil.xml",
        "<smil><body><par dur=\"5000ms\"><img src=\"cid:img1\"/></par></body></smil>"));
    for (std::size_t i = 0; i < imageCount; ++i) {
        const std::string n = std::to_string(i + 1);
        body->appendPart(makePart("image/jpeg", ("<img" + n + ">").c_str(), ("photo" + n + ".jpg").c_str(),
            jpegLike(imageSize, static_cast<unsigned>(i)), nullptr, ("photo" + n + ".jpg").c_str()));
    }
    body->appendPart(makePart("text/plain", "<text>", "text.txt", "Hello \xE2\x98\x80", "utf-8"));
    pdu->setBody(bodyRef);
    return pdu;
}

inline CVXLMmsPdu* notifyResponse()
{
    auto* pdu = new CVXLSimpleRequestPdu(kMmsNotifyRespInd, "N0001");
    pdu->setStatus(2);
    pdu->setHeader(kMmsFieldReportAllowed, "1");
    return pdu;
}

inline CVXLMmsPdu* acknowledge()
{
    auto* pdu = new CVXLMmsPdu(kMmsAcknowledgeInd);
    pdu->setHeader(kMmsFieldMessageType, "7");
    pdu->setHeader(kMmsFieldTransactionId, "\xC3\xA9t\xC3\xA9-1");
    pdu->setHeader(kMmsFieldMmsVersion, "1.1");
    pdu->setHeader(kMmsFieldReportAllowed, "0");
    return pdu;
}

inline CVXLMmsPdu* mboxViewRequest()
{
    auto* pdu = new CVXLMboxViewRequestPdu("MMS-user");
    pdu->setMmFlags("com.example.folder=/Sent", 6);
    for (std::int32_t field : {kMmsFieldBcc, kMmsFieldCc, kMmsFieldDate, kMmsFieldFrom, kMmsFieldSubject})
        pdu->setAttributes(field);
    pdu->setStart(1);
    pdu->setLimit(200);
    pdu->setTotals(0);
    return pdu;
}

inline CVXLMmsPdu* mboxDeleteRequest()
{
    auto* pdu = new CVXLSimpleRequestPdu(kMmsMboxDeleteReq, "MMS-user");
    pdu->setContentLocation("http://127.0.0.1:8080/mms?id=abc");
    pdu->setContentLocation("http://127.0.0.1:8080/mms?id=def");
    return pdu;
}

inline CVXLMmsPdu* forwardRequest()
{
    auto* pdu = new CVXLSendRequestPdu(kMmsForwardReq, "42");
    pdu->setDate(5);
    pdu->addTo("bob@example.com");
    pdu->setFrom("+15550001111/TYPE=PLMN", 2);
    pdu->setHeader(kMmsFieldExpiry, "1800000000", kMmsParamToken, "0");
    pdu->setHeader(kMmsFieldDeliveryTime, "3600", kMmsParamToken, "1");
    pdu->setHeader(kMmsFieldDeliveryReport, "0");
    pdu->setContentLocation("http://127.0.0.1:8080/mms?id=xyz");
    return pdu;
}

inline CVXLMmsPdu* notification()
{
    auto* pdu = new CVXLMmsPdu(kMmsNotificationInd);
    pdu->setHeader(kMmsFieldMessageType, "3");
    pdu->setHeader(kMmsFieldTransactionId, "T1");
    pdu->setHeader(kMmsFieldMmsVersion, "0");
    pdu->setHeader(kMmsFieldMessageClass, "2");
    pdu->setHeader(kMmsFieldMessageSize, "100");
    pdu->setHeader(kMmsFieldExpiry, "86400", kMmsParamToken, "1");
    pdu->setHeader(kMmsFieldSubject, "\xC2\xA1Hola!");
    pdu->setHeader(kMmsFieldContentLocation, "http://127.0.0.1:8080/mms?id=abc");
    return pdu;
}

struct SamplePdu {
    const char* name;
    CVXLMmsPdu* (*build)();
};

inline CVXLMmsPdu* defaultSendRequest()
{
    return sendRequest();
}

inline const SamplePdu kEncodedSamples[] = {
    {"send_req", defaultSendRequest},
    {"notifyresp_ind", notifyResponse},
    {"acknowledge_ind", acknowledge},
    {"mbox_view_req", mboxViewRequest},
    {"mbox_delete_req", mboxDeleteRequest},
    {"forward_req", forwardRequest},
    {"notification_ind", notification},
};

} // namespace mmstest
