#include "engine/client/VXLTextTable.h"

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

// Reads the published list of engine texts ("- 0 "Tessel Error"; 1 "Retry"; ...")
// so the compiled table is checked against the document, not against itself.
class TextListReader {
public:
    bool load(const std::string& path)
    {
        std::ifstream in(path);
        if (!in)
            return false;
        std::string line;
        bool inList = false;
        while (std::getline(in, line)) {
            if (!inList) {
                inList = line.rfind("Every row, by id", 0) == 0 && seenTextTableHeading_;
                if (line.rfind("# ", 0) == 0)
                    seenTextTableHeading_ = line.find(": Text table") != std::string::npos;
                continue;
            }
            if (line.rfind("**", 0) == 0)
                break;
            if (line.rfind("- ", 0) == 0 && !parseLine(line.substr(2)))
                return false;
        }
        return !rows.empty();
    }

    std::map<std::uint32_t, std::string> rows;
    std::string error;

private:
    bool parseLine(const std::string& body)
    {
        std::size_t pos = 0;
        while (pos < body.size()) {
            std::size_t digits = pos;
            while (digits < body.size() && std::isdigit(static_cast<unsigned char>(body[digits])))
                ++digits;
            if (digits == pos || digits >= body.size() || body[digits] != ' ')
                return fail(body, pos);
            std::uint32_t id = static_cast<std::uint32_t>(std::stoul(body.substr(pos, digits - pos)));
            pos = digits + 1;
            std::string text;
            if (body.compare(pos, 12, "(empty text)") == 0) {
                pos += 12;
            } else if (body[pos] == '"') {
                // A text ends at the quote that is followed by "; <id>" or the end of the line.
                std::size_t close = pos + 1;
                for (;; ++close) {
                    close = body.find('"', close);
                    if (close == std::string::npos)
                        return fail(body, pos);
                    if (close + 1 == body.size())
                        break;
                    if (body.compare(close + 1, 2, "; ") == 0 && close + 3 < body.size()
                        && std::isdigit(static_cast<unsigned char>(body[close + 3])))
                        break;
                }
                text = body.substr(pos + 1, close - pos - 1);
                pos = close + 1;
            } else {
                return fail(body, pos);
            }
            if (!rows.emplace(id, text).second)
                return fail(body, pos);
            if (body.compare(pos, 2, "; ") == 0)
                pos += 2;
            else if (pos != body.size())
                return fail(body, pos);
        }
        return true;
    }

    bool fail(const std::string& body, std::size_t pos)
    {
        error = "cannot read: " + body.substr(pos);
        return false;
    }

    bool seenTextTableHeading_ = false;
};

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

TEST(VXLTextTable, LookupOfKnownAndMissingIds)
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
        {791, "There are failed messages left in your outbound queue.  Select 'OK' to try and "
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

TEST(VXLTextTable, ReturnsTheTablesOwnStrings)
{
    const VXLTextRow* table = getTextTable();
    for (std::uint32_t id : {0u, 400u, 794u})
        EXPECT_EQ(getEngineText(id), table[id].text);
}

TEST(VXLTextTable, EveryTextMatchesThePublishedList)
{
    const std::string path = std::string(TESSEL_SHARED_DIR) + "/spec/piece-01.md";
    TextListReader reader;
    if (!std::ifstream(path))
        GTEST_SKIP() << path << " is not available";
    ASSERT_TRUE(reader.load(path)) << reader.error;
    // The list leaves out the end row.
    ASSERT_EQ(reader.rows.size(), kVxlTextTableRows - 1);
    for (const auto& [id, text] : reader.rows) {
        ASSERT_LT(id, kVxlTextTableEndId);
        EXPECT_EQ(std::string(getEngineText(id)), text) << "id " << id;
    }
}

} // namespace
