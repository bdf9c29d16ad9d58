#include "engine/transport/mms/VXLMmsPdu.h"

#include "engine/transport/mime/VXLMultipartBody.h"
#include "engine/transport/mms/VXLPduRef.h"
#include "engine/transport/mms/VXLReceivedPdu.h"
#include "engine/transport/mms/VXLSimpleRequestPdu.h"
#include "engine/transport/mms/VXLWspTables.h"

#include <gtest/gtest.h>

namespace {

// Counts its destructions, to see when a handle deletes its PDU.
struct CountedPdu : CVXLMmsPdu {
    explicit CountedPdu(int& deaths)
        : deaths_(deaths)
    {
    }
    ~CountedPdu() override { ++deaths_; }
    int& deaths_;
};

TEST(MmsPdu, RequiredHeaders)
{
    CVXLSimpleRequestPdu typed(kMmsNotifyRespInd, "N1");
    EXPECT_FALSE(typed.hasRequiredHeaders()); // X-Mms-Status is mandatory
    typed.setHeader(kMmsFieldStatus, "");
    EXPECT_FALSE(typed.hasRequiredHeaders()); // an empty value is stored but not present
    EXPECT_EQ(typed.fieldCount(kMmsFieldStatus), 1u);
    typed.setStatus(2);
    EXPECT_TRUE(typed.hasRequiredHeaders());

    CVXLMmsPdu untyped;
    EXPECT_TRUE(untyped.hasRequiredHeaders());
}

TEST(MmsPdu, NotificationFromDecodedWithoutExpiry)
{
    CVXLPduRef decoded(new CVXLMmsPdu());
    for (std::int32_t code : {12, 24, 13, 10, 14, 3})
        decoded->setHeader(code, "1");
    CVXLReceivedPdu notification(kMmsNotificationInd, decoded);
    EXPECT_FALSE(notification.hasRequiredHeaders());
    notification.setHeader(kMmsFieldExpiry, "100", kMmsParamToken, "1");
    EXPECT_TRUE(notification.hasRequiredHeaders());
}

TEST(MmsPdu, GettersAndParameters)
{
    CVXLMmsPdu pdu;
    EXPECT_EQ(pdu.priority(), 0);
    pdu.setFrom("+15550001111/type=PLMN", 2);
    EXPECT_EQ(pdu.fromAddress(), "+15550001111");
    pdu.addTo("a");
    pdu.addTo("b");
    pdu.addTo("c");
    EXPECT_EQ(pdu.lastHeaderValue(CVXLMmsPdu::fieldKey(kMmsFieldTo)), "c");
    EXPECT_EQ(pdu.lastHeaderValue(CVXLString("99")), "");
    // A parameter lands on the value it belongs to, not on value 0.
    pdu.setHeader(kMmsFieldCc, "x");
    pdu.setHeader(kMmsFieldCc, "y", kMmsParamCharset, "utf-8");
    EXPECT_EQ(pdu.fieldParameter(kMmsFieldCc, kMmsParamCharset, 0), nullptr);
    ASSERT_NE(pdu.fieldParameter(kMmsFieldCc, kMmsParamCharset, 1), nullptr);
    EXPECT_EQ(*pdu.fieldParameter(kMmsFieldCc, kMmsParamCharset, 1), "utf-8");
    EXPECT_EQ(pdu.contentType(), "application/vnd.wap.mms-message");
}

// New PDUs start from one set of MIME headers: a change to one PDU's
// headers must stay its own.
TEST(MmsPdu, MimeHeadersOfNewPdusChangePrivately)
{
    CVXLMmsPdu first;
    auto* second = new CVXLMmsPdu(kMmsSendReq);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(first.CVXLMimeEntity::addHeader("Content-Location", "here"));
    EXPECT_TRUE(second->CVXLMimeEntity::addHeader("Content-ID", "<a>"));
    second->setContentType("text/plain");
    EXPECT_EQ(first.contentId(), "");
    EXPECT_EQ(first.CVXLMimeEntity::contentLocation(), "here");
    EXPECT_EQ(second->CVXLMimeEntity::contentLocation(), "");
    EXPECT_EQ(first.mimeHeaders().valueCount("Content-Type"), 1u);
    EXPECT_EQ(second->contentId(), "<a>");
    EXPECT_EQ(second->mimeHeaders().valueCount("Content-Type"), 2u);
    delete second;

    CVXLMmsPdu third;
    EXPECT_EQ(third.mimeHeaders().nameCount(), 1u);
    EXPECT_EQ(third.contentType(), "application/vnd.wap.mms-message");
    EXPECT_EQ(third.pduContentType(), "application/vnd.wap.mms-message");
    EXPECT_EQ(third.contentId(), "");
    EXPECT_EQ(third.CVXLMimeEntity::contentLocation(), "");
}

TEST(MmsPdu, HandlesDeleteWithTheirLastUser)
{
    int deaths = 0;
    {
        CVXLPduRef first(new CountedPdu(deaths));
        {
            CVXLPduRef second(first);
        }
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 1);

    // A PDU no handle adopted survives all its handles.
    CountedPdu* embeddedLike = new CountedPdu(deaths);
    {
        CVXLPduRef owner(embeddedLike);
        CVXLPduRef another(embeddedLike); // already adopted: does not own
        another.reset();
        EXPECT_EQ(deaths, 1);
    }
    EXPECT_EQ(deaths, 2);
}

TEST(MultipartBody, Positions)
{
    CVXLMultipartBody body;
    CVXLEntityRef a(new CVXLMimeEntity()), b(new CVXLMimeEntity()), c(new CVXLMimeEntity());
    EXPECT_TRUE(body.appendPart(a));
    EXPECT_TRUE(body.insertPart(1, b)); // at partCount: an append
    EXPECT_TRUE(body.insertPart(0, c));
    EXPECT_FALSE(body.insertPart(4, c));
    ASSERT_EQ(body.partCount(), 3u);
    EXPECT_EQ(body.partAt(0).get(), c.get());
    EXPECT_EQ(body.partAt(2).get(), b.get());
    EXPECT_TRUE(body.partAt(3).isEmpty());
    EXPECT_FALSE(body.replacePart(3, a));
    EXPECT_TRUE(body.removePart(2));
    EXPECT_TRUE(body.removePart(0));
    EXPECT_TRUE(body.removePart(0));
    EXPECT_FALSE(body.removePart(0));
    EXPECT_EQ(body.partCount(), 0u);
    EXPECT_TRUE(body.appendPart(a)); // the tail was reset with the last removal
    EXPECT_EQ(body.partAt(0).get(), a.get());
}

} // namespace
