#include "engine/client/VXLTextTable.h"

#include "engine/client/VXLClient.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

namespace {

TEST(VXLTextTable, HoldsEveryIdOnceAndEndsWithTheEndRow)
{
    const VXLTextRow* table = getTextTable();
    ASSERT_NE(table, nullptr);
    bool seen[kVxlTextTableRows] = {};
    std::size_t count = 0;
    for (const VXLTextRow* row = table;; ++row) {
        ++count;
        ASSERT_LT(row->id, kVxlTextTableRows);
        ASSERT_NE(row->text, nullptr) << "id " << row->id;
        EXPECT_FALSE(seen[row->id]) << "id " << row->id << " twice";
        seen[row->id] = true;
        if (row->id == kVxlTextTableEndId) {
            EXPECT_STREQ(row->text, "");
            break;
        }
        ASSERT_LT(count, kVxlTextTableRows);
    }
    EXPECT_EQ(count, kVxlTextTableRows);
}

// Lookups answer once the engine's root exists.
class VXLTextTableLookup : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(client_, nullptr); }
    void TearDown() override { delete client_; }

    TempDeviceRoot root_;
    CVXLPlatformFactory factory_;
    CVXLClient* client_ = CVXLClient::create(&factory_);
};

TEST(VXLTextTable, NoTextBeforeTheEngineExists)
{
    ASSERT_EQ(CVXLClient::instance(), nullptr);
    for (std::uint32_t id : {0u, 53u, 794u, 795u})
        EXPECT_STREQ(getEngineText(id), "") << "id " << id;
}

TEST_F(VXLTextTableLookup, LookupOfKnownAndMissingIds)
{
    struct Case {
        std::uint32_t id;
        const char* text;
    };
    const Case cases[] = {
        {0, "Tessel Error"},
        {53, "Tessel"},
        {77, ""},
        {99, "?"},
        {471, "Data Charge "},
        {753, "Your message is ready to be forwarded to "},
        {791,
            "There are failed messages left in your outbound queue.  Select 'OK' to try and "
            "resend or 'CANCEL' to delete."},
        {793, "An internal error occurred. "},
        {794, "The media you are attempting to send is too large."},
        {795, ""},
        {796, ""},
        {100000, ""},
        {0xFFFFFFFFu, ""},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(getEngineText(c.id), c.text) << "id " << c.id;
}

TEST_F(VXLTextTableLookup, ReturnsTheTablesOwnStrings)
{
    const VXLTextRow* table = getTextTable();
    for (std::uint32_t id : {0u, 400u, 794u})
        EXPECT_EQ(getEngineText(id), table[id].text);
}

} // namespace
