#include "engine/transport/mms/VXLWspTables.h"
#include "tests/support/ExternalTool.h"
#include "tests/support/TestProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::string dec(long n)
{
    return std::to_string(n);
}

std::string lower(std::string s)
{
    for (char& c : s)
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    return s;
}

std::size_t valueTableSize(const VXLMmsValueRow* table)
{
    std::size_t n = 0;
    while (table[n].value != kVxlTableEnd)
        ++n;
    return n;
}

TEST(VXLWspTables, ExplicitLookups)
{
    struct Case {
        const char* what;
        std::int32_t got;
        std::int32_t want;
    };
    const Case cases[] = {
        {"field wire of 24", mmsFieldWireCode("24"), 0x98},
        {"field code of wire 150", mmsFieldCode("150"), 22},
        {"kind of field 4", mmsFieldKind("4", true), kMmsKindContentType},
        {"kind of wire 0x84", mmsFieldKind("132", false), kMmsKindContentType},
        {"kind of field 40", mmsFieldKind("40", true), kMmsKindFieldCode},
        {"charset UTF-8", charsetNumber("UTF-8"), 106},
        {"charset Shift_jis", charsetNumber("SHIFT_jis"), 17},
        {"charset id 14", charsetNumber("14"), 1000},
        {"charset id 0", charsetNumber("0"), 4},
        {"charset empty key is id 0", charsetNumber(""), 4},
        {"charset unknown name", charsetNumber("windows-1252"), -1},
        {"charset unknown id", charsetNumber("15"), -1},
        {"content type image/JPEG wire", wspContentTypeCode("image/JPEG", true), 0x1E},
        {"content type IMAGE/jpeg number", wspContentTypeCode("IMAGE/jpeg", false), 30},
        {"content type video/mpeg wire", wspContentTypeCode("video/mpeg", true), -1},
        {"content type video/mpeg number", wspContentTypeCode("video/mpeg", false), 0x10000},
        {"content type number 62", wspContentTypeCode("62", true), 62},
        {"content type number 200 masked to 72", wspContentTypeCode("200", false), 72},
        {"content type number 79", wspContentTypeCode("79", true), -1},
        {"content type unknown name", wspContentTypeCode("image/webp", true), -1},
        {"yes/no 1", mmsValueWireCode("1", mmsValueTable("6")), 0x81},
        {"status code from 224", mmsValueFromWire("224", mmsValueTable("18")), 14},
        {"header wire of 6014", wspHeaderWireCode("6014"), 0x8E},
        {"header wire of 6017", wspHeaderWireCode("6017"), 0x91},
        {"header wire of 6064", wspHeaderWireCode("6064"), 0xC0},
        {"header wire of 6070", wspHeaderWireCode("6070"), -1},
        {"parameter kind of id 1", wspParameterKind("1", true), kWspParamCharset},
        {"parameter kind of wire 0x89", wspParameterKind("137", false), kWspParamContentType},
        {"parameter kind of wire 0x84", wspParameterKind("132", false), -1},
        {"parameter wire of id 4", wspParameterId("4", true), 0x85},
        {"parameter id of wire 0x99", wspParameterId("153", false), 24},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.want) << c.what;

    EXPECT_STREQ(charsetName("1000"), "iso-10646-UCS-2");
    EXPECT_STREQ(charsetName("106"), "utf-8");
    EXPECT_EQ(charsetName("2252"), nullptr);
    EXPECT_STREQ(wspContentTypeName("62", true), "application/vnd.wap.mms-message");
    EXPECT_STREQ(wspContentTypeName("200", true), "application/vnd.oma.drm.message");
    EXPECT_STREQ(wspContentTypeName("35", false), "application/vnd.wap.multipart.mixed");
    EXPECT_STREQ(wspContentTypeName("79", true), "");
    EXPECT_STREQ(wspHeaderName("142"), "Content-Location");
    EXPECT_STREQ(wspHeaderName("192"), "Content-ID");
    EXPECT_EQ(wspHeaderName("198"), nullptr);
    EXPECT_STREQ(wspParameterName("1"), "charset");
    EXPECT_STREQ(wspParameterName("8"), "type");
    EXPECT_EQ(wspParameterName("29"), nullptr);
}

TEST(VXLWspTables, NumericKeysHoldDigitsAndMinusOnly)
{
    for (const char* key : {"4a", " 4", "0x84", "+4", "4.0", "four"}) {
        EXPECT_EQ(mmsFieldWireCode(key), -1) << key;
        EXPECT_EQ(mmsFieldCode(key), -1) << key;
        EXPECT_EQ(mmsFieldKind(key, true), -1) << key;
        EXPECT_EQ(mmsValueTable(key), nullptr) << key;
        EXPECT_EQ(mmsValueWireCode(key, mmsValueTable("6")), -1) << key;
        EXPECT_EQ(mmsValueFromWire(key, mmsValueTable("6")), -1) << key;
        EXPECT_EQ(wspParameterKind(key, true), -1) << key;
        EXPECT_EQ(wspParameterName(key), nullptr) << key;
        EXPECT_EQ(charsetName(key), nullptr) << key;
        EXPECT_EQ(wspHeaderWireCode(key), -1) << key;
        EXPECT_EQ(wspHeaderName(key), nullptr) << key;
        EXPECT_EQ(wspContentTypeName(key, true), nullptr) << key;
    }
    // An empty key is 0; "-1" is a number that no row holds.
    EXPECT_STREQ(wspContentTypeName("", true), "*/*");
    EXPECT_EQ(mmsValueWireCode("", mmsValueTable("6")), 0x80);
    EXPECT_EQ(mmsFieldWireCode("-1"), -1);
    EXPECT_EQ(mmsValueWireCode("1", nullptr), -1);
    EXPECT_EQ(mmsValueFromWire("128", nullptr), -1);
}

TEST(VXLWspTables, FieldTableCoversTheAssignedCodesInBothDirections)
{
    for (std::size_t i = 0; i < kVxlMmsFieldRows; ++i) {
        const VXLMmsFieldRow& row = kVxlMmsFieldTable[i];
        std::int32_t code = static_cast<std::int32_t>(i + 1);
        EXPECT_EQ(row.code, code);
        EXPECT_EQ(row.wire, 0x80 + code);
        EXPECT_LT(std::strlen(row.name), 52u) << row.name;
        EXPECT_EQ(mmsFieldWireCode(dec(code).c_str()), 0x80 + code);
        EXPECT_EQ(mmsFieldCode(dec(0x80 + code).c_str()), code);
        EXPECT_EQ(mmsFieldKind(dec(0x80 + code).c_str(), false), row.kind);
    }
    EXPECT_EQ(kVxlMmsFieldTable[kVxlMmsFieldRows].code, kVxlTableEnd);
    for (const char* code : {"0", "54", "129"}) {
        EXPECT_EQ(mmsFieldWireCode(code), -1) << code;
        EXPECT_EQ(mmsFieldKind(code, true), -1) << code;
    }
    for (const char* wire : {"1", "128", "182", "255"}) {
        EXPECT_EQ(mmsFieldCode(wire), -1) << wire;
        EXPECT_EQ(mmsFieldKind(wire, false), -1) << wire;
    }
    EXPECT_STREQ(kVxlMmsFieldTable[0].name, "Bcc");
    EXPECT_STREQ(kVxlMmsFieldTable[52].name, "X-Mms-Recommended-Retrieval-Mode-Text");
}

TEST(VXLWspTables, FieldValueKinds)
{
    struct Case {
        std::int32_t kind;
        std::vector<std::int32_t> codes;
    };
    const Case cases[] = {
        {kMmsKindNotEncodable, {46, 48}},
        {kMmsKindInteger, {5, 14, 31, 35, 45, 47, 51}},
        {kMmsKindText, {3, 11, 24, 30}},
        {kMmsKindEncodedString, {1, 2, 19, 22, 23, 26, 38, 39, 50, 53}},
        {kMmsKindEnumerated, {6, 10, 12, 15, 16, 17, 18, 20, 21, 25, 27, 28, 34, 37, 41, 43, 49, 52}},
        {kMmsKindContentType, {4}},
        {kMmsKindVersion, {13}},
        {kMmsKindIndexAndEncodedString, {32}},
        {kMmsKindIndexAndDate, {33}},
        {kMmsKindTokenAndEncodedString, {9, 36}},
        {kMmsKindTokenAndInteger, {7, 8, 29, 42, 44}},
        {kMmsKindFieldCode, {40}},
    };
    std::set<std::int32_t> seen;
    for (const Case& c : cases) {
        for (std::int32_t code : c.codes) {
            EXPECT_EQ(mmsFieldKind(dec(code).c_str(), true), c.kind) << "field " << code;
            EXPECT_TRUE(seen.insert(code).second) << "field " << code;
        }
    }
    EXPECT_EQ(seen.size(), kVxlMmsFieldRows);
}

// Every value table, both directions: internal value <-> wire byte.
TEST(VXLWspTables, ValueTablesMapBothWays)
{
    using Pairs = std::vector<std::pair<std::int32_t, std::int32_t>>;
    const Pairs yesNo = {{0, 0x80}, {1, 0x81}};
    const Pairs absRel = {{0, 0x80}, {1, 0x81}};
    Pairs messageType;
    for (std::int32_t kind = 1; kind <= 21; ++kind) {
        if (kind != 5)
            messageType.push_back({kind, kind < 5 ? 0x7F + kind : 0x7E + kind});
    }
    Pairs statusCode;
    for (std::int32_t v = 0; v <= 25; ++v)
        statusCode.push_back({v, v <= 8 ? 0x80 + v : v <= 13 ? 0xC0 + v - 9 : 0xE0 + v - 14});
    const Pairs totals = {{4, 0x80}, {5, 0x81}};
    struct Case {
        std::int32_t field;
        Pairs rows;
    };
    const Case cases[] = {
        {6, yesNo},
        {16, yesNo},
        {17, yesNo},
        {34, yesNo},
        {41, yesNo},
        {43, yesNo},
        {49, yesNo},
        {13, {{0, 0x92}}},
        {7, absRel},
        {8, absRel},
        {29, absRel},
        {9, {{2, 0x80}, {3, 0x81}}},
        {10, {{1, 0x80}, {2, 0x81}, {3, 0x82}, {4, 0x83}}},
        {12, messageType},
        {15, {{1, 0x80}, {2, 0x81}, {3, 0x82}}},
        {18, statusCode},
        {25, statusCode},
        {37, statusCode},
        {20, {{0, 0x80}, {1, 0x81}}},
        {21, {{1, 0x80}, {2, 0x81}, {3, 0x82}, {4, 0x83}, {5, 0x84}, {6, 0x85}, {7, 0x86}}},
        {27, {{1, 0x80}, {2, 0x81}}},
        {28, {{0, 0x80}, {1, 0x81}, {2, 0x82}, {3, 0x83}}},
        {36, {{6, 0x80}, {7, 0x81}, {8, 0x82}}},
        {42, totals},
        {44, totals},
        {52, {{1, 0x80}, {2, 0x81}}},
    };
    std::set<std::int32_t> fieldsWithTable;
    for (const Case& c : cases) {
        const VXLMmsValueRow* table = mmsValueTable(dec(c.field).c_str());
        ASSERT_NE(table, nullptr) << "field " << c.field;
        EXPECT_EQ(valueTableSize(table), c.rows.size()) << "field " << c.field;
        for (auto [value, wire] : c.rows) {
            EXPECT_EQ(mmsValueWireCode(dec(value).c_str(), table), wire) << "field " << c.field;
            EXPECT_EQ(mmsValueFromWire(dec(wire).c_str(), table), value) << "field " << c.field;
        }
        fieldsWithTable.insert(c.field);
    }
    EXPECT_EQ(fieldsWithTable.size(), kVxlMmsValueTableRows);
    // Every enumerated field has a table; fields outside the list have none.
    for (std::int32_t code = 0; code <= 60; ++code) {
        bool has = mmsValueTable(dec(code).c_str()) != nullptr;
        EXPECT_EQ(has, fieldsWithTable.count(code) == 1) << "field " << code;
        if (mmsFieldKind(dec(code).c_str(), true) == kMmsKindEnumerated) {
            EXPECT_TRUE(has) << "field " << code;
        }
    }
    const VXLMmsValueRow* type = mmsValueTable("12");
    EXPECT_EQ(mmsValueWireCode("5", type), -1);
    EXPECT_EQ(mmsValueWireCode("22", type), -1);
    EXPECT_EQ(mmsValueFromWire("148", type), -1);
    EXPECT_EQ(mmsValueFromWire("127", type), -1);
}

TEST(VXLWspTables, ParameterTableFollowsTheWellKnownCodes)
{
    struct Case {
        const char* name;
        std::int32_t kind;
    };
    const Case byId[kVxlWspParameterRows] = {
        {"q", 0},
        {"charset", 1},
        {"level", 2},
        {"type", 3},
        {"name", 4},
        {"filename", 4},
        {"differences", 5},
        {"padding", 6},
        {"type", 7},
        {"start", 4},
        {"start-info", 4},
        {"comment", 4},
        {"domain", 4},
        {"max-age", 3},
        {"path", 4},
        {"secure", 9},
        {"SEC", 6},
        {"MAC", 4},
        {"Creation-date", 8},
        {"Modification-date", 8},
        {"Read-date", 8},
        {"Size", 3},
        {"Name", 4},
        {"Filename", 4},
        {"Start", 4},
        {"Start-info", 4},
        {"Comment", 4},
        {"Domain", 4},
        {"Path", 4},
    };
    for (std::int32_t id = 0; id < static_cast<std::int32_t>(kVxlWspParameterRows); ++id) {
        std::int32_t wire = 0x80 + id + (id >= 4 ? 1 : 0);
        EXPECT_STREQ(wspParameterName(dec(id).c_str()), byId[id].name) << id;
        EXPECT_EQ(wspParameterKind(dec(id).c_str(), true), byId[id].kind) << id;
        EXPECT_EQ(wspParameterKind(dec(wire).c_str(), false), byId[id].kind) << id;
        EXPECT_EQ(wspParameterId(dec(id).c_str(), true), wire) << id;
        EXPECT_EQ(wspParameterId(dec(wire).c_str(), false), id) << id;
    }
    EXPECT_EQ(kVxlWspParameterTable[kVxlWspParameterRows].id, kVxlTableEnd);
}

TEST(VXLWspTables, ContentAndHeaderTablesAreNumberedByCode)
{
    for (std::size_t i = 0; i < kVxlWspWellKnownContentTypes; ++i) {
        const VXLWspContentTypeRow& row = kVxlWspContentTypeTable[i];
        EXPECT_EQ(row.number, static_cast<std::int32_t>(i));
        EXPECT_EQ(row.wire, static_cast<std::int32_t>(i));
        // Every well-known name finds its own row, whatever the letter case.
        std::string upper = row.name;
        for (char& ch : upper)
            ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch;
        EXPECT_EQ(wspContentTypeCode(upper.c_str(), true), row.wire) << row.name;
    }
    EXPECT_STREQ(kVxlWspContentTypeTable[kWspContentTypeMmsMessage].name, "application/vnd.wap.mms-message");
    EXPECT_STREQ(kVxlWspContentTypeTable[51].name, "application/vnd.wap.multipart.related");
    EXPECT_STREQ(kVxlWspContentTypeTable[0].name, "*/*");
    EXPECT_STREQ(kVxlWspContentTypeTable[78].name, "application/vnd.syncml.ds.notification");
    EXPECT_EQ(wspContentTypeCode("video/quicktime", false), 0x10001);
    for (std::size_t i = kVxlWspWellKnownContentTypes; i < kVxlWspContentTypeRows; ++i)
        EXPECT_EQ(kVxlWspContentTypeTable[i].wire, -1);

    for (std::int32_t code = 0; code < static_cast<std::int32_t>(kVxlWspHeaderRows); ++code) {
        const VXLWspHeaderRow& row = kVxlWspHeaderTable[code];
        EXPECT_EQ(row.id, kVxlWspHeaderIdBase + code);
        EXPECT_EQ(row.wire, 0x80 + code);
        EXPECT_EQ(wspHeaderWireCode(dec(row.id).c_str()), row.wire);
        EXPECT_STREQ(wspHeaderName(dec(row.wire).c_str()), row.name);
    }
    EXPECT_STREQ(kVxlWspHeaderTable[0].name, "Accept");
    EXPECT_STREQ(kVxlWspHeaderTable[0x45].name, "Content-Disposition");
    EXPECT_EQ(kVxlWspHeaderTable[kVxlWspHeaderRows].id, kVxlTableEnd);
}

TEST(VXLWspTables, CharsetsByIdNameAndNumber)
{
    for (std::size_t i = 0; i < kVxlCharsetRows; ++i) {
        const VXLCharsetRow& row = kVxlCharsetTable[i];
        EXPECT_EQ(charsetNumber(dec(row.id).c_str()), row.number) << row.name;
        EXPECT_EQ(charsetNumber(row.name), row.number) << row.name;
        EXPECT_STREQ(charsetName(dec(row.number).c_str()), row.name);
    }
    EXPECT_EQ(kVxlCharsetTable[kVxlCharsetRows].id, kVxlTableEnd);
}

TEST(VXLWspTables, CharsetOutsideTheTableKeepsItsNumber)
{
    struct Case {
        const char* key;
        std::int32_t number;
    };
    const Case cases[] = {
        {"#2252", 2252},
        {"#106", 106},
        {"#0", 0},
        {"#", -1},
        {"#-3", -1},
        {"#12a", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(charsetNumber(c.key), c.number) << c.key;
}

TEST(VXLWspTables, StringKeysAndNameAppends)
{
    CVXLString out("x:");
    EXPECT_TRUE(wspContentTypeName(CVXLString("62"), out, true));
    EXPECT_TRUE(wspHeaderName(CVXLString("192"), out));
    EXPECT_TRUE(wspParameterName(CVXLString("1"), out));
    EXPECT_TRUE(charsetName(CVXLString("106"), out));
    EXPECT_EQ(out, "x:application/vnd.wap.mms-messageContent-IDcharsetutf-8");

    CVXLString kept("kept");
    EXPECT_FALSE(wspContentTypeName(CVXLString("62a"), kept, true));
    EXPECT_FALSE(wspHeaderName(CVXLString("198"), kept));
    EXPECT_FALSE(wspParameterName(CVXLString("29"), kept));
    EXPECT_FALSE(charsetName(CVXLString("-5"), kept));
    EXPECT_FALSE(charsetName(CVXLString("utf-8"), kept));
    EXPECT_EQ(kept, "kept");

    EXPECT_EQ(mmsFieldWireCode(CVXLString("24")), 0x98);
    EXPECT_EQ(mmsFieldCode(CVXLString("150")), 22);
    EXPECT_EQ(mmsFieldKind(CVXLString("132"), false), kMmsKindContentType);
    EXPECT_EQ(mmsValueWireCode(CVXLString("1"), mmsValueTable(CVXLString("6"))), 0x81);
    EXPECT_EQ(mmsValueFromWire(CVXLString("224"), mmsValueTable(CVXLString("37"))), 14);
    EXPECT_EQ(wspParameterKind(CVXLString("137"), false), kWspParamContentType);
    EXPECT_EQ(wspParameterId(CVXLString("4"), true), 0x85);
    EXPECT_EQ(wspHeaderWireCode(CVXLString("6017")), 0x91);
    EXPECT_EQ(wspContentTypeCode(CVXLString("Image/Jpeg"), true), 0x1E);
    EXPECT_EQ(charsetNumber(CVXLString("UTF-8")), 106);

    // A NUL inside a key hides nothing: "12<NUL>x" is no number.
    CVXLString withNul("12");
    withNul.appendBytes("\0x", 2);
    EXPECT_EQ(mmsFieldWireCode(withNul), -1);
    EXPECT_EQ(mmsValueTable(withNul), nullptr);
    EXPECT_EQ(charsetNumber(withNul), -1);
}

// The codecs look up by number; every number must answer as its decimal
// text does, found or not, including the out parameter left alone.
TEST(VXLWspTables, NumberLookupsAnswerAsTheirDecimalTexts)
{
    struct Case {
        const char* what;
        bool (*byNumber)(std::int32_t, CVXLString&);
        bool (*byText)(const CVXLString&, CVXLString&);
    };
    const Case cases[] = {
        {"charset", charsetNameOf, charsetName},
        {"header", wspHeaderNameOf, wspHeaderName},
        {"content type by number",
            [](std::int32_t n, CVXLString& out) { return wspContentTypeNameOf(n, out, true); },
            [](const CVXLString& key, CVXLString& out) { return wspContentTypeName(key, out, true); }},
        {"content type by wire",
            [](std::int32_t n, CVXLString& out) { return wspContentTypeNameOf(n, out, false); },
            [](const CVXLString& key, CVXLString& out) { return wspContentTypeName(key, out, false); }},
        {"parameter",
            [](std::int32_t n, CVXLString& out) {
                const VXLWspParameterRow* row = wspParameterRowOfWire(n);
                if (row)
                    out.appendCString(row->name);
                return row != nullptr;
            },
            [](const CVXLString& key, CVXLString& out) {
                const std::int32_t id = wspParameterId(key, false);
                return id >= 0 && wspParameterName(CVXLString(dec(id).c_str()), out);
            }},
    };
    std::vector<std::int32_t> numbers;
    for (std::int32_t n = 0; n < 400; ++n)
        numbers.push_back(n);
    for (std::int32_t n : {1015, 2026, 6017, 65535, 0x7FFFFFFF})
        numbers.push_back(n);
    for (const Case& c : cases) {
        for (std::int32_t n : numbers) {
            CVXLString viaNumber("x"), viaText("x");
            const bool found = c.byNumber(n, viaNumber);
            EXPECT_EQ(found, c.byText(CVXLString(dec(n).c_str()), viaText)) << c.what << " " << n;
            EXPECT_EQ(viaNumber, viaText) << c.what << " " << n;
        }
    }
    for (std::int32_t n : numbers) {
        const VXLWspParameterRow* row = wspParameterRowOfWire(n);
        EXPECT_EQ(row ? row->kind : -1, wspParameterKind(CVXLString(dec(n).c_str()), false)) << n;
        EXPECT_EQ(mmsFieldKindOf(n), mmsFieldKind(CVXLString(dec(n).c_str()), true)) << n;
        EXPECT_EQ(mmsFieldWireOf(n), mmsFieldWireCode(CVXLString(dec(n).c_str()))) << n;
    }
}

// A charset outside the table travels as "#<number>": a decoder can keep it and
// an encoder write the same number back, rather than failing the message.
TEST(VXLWspTables, UnknownCharsetRoundTrips)
{
    for (std::int32_t number : {0, 2, 13, 127, 2252, 65535}) {
        CVXLString name;
        ASSERT_TRUE(charsetName(CVXLString(number), name)) << number;
        EXPECT_EQ(name, ("#" + dec(number)).c_str());
        EXPECT_EQ(charsetNumber(name), number);
    }
    CVXLString known;
    ASSERT_TRUE(charsetName(CVXLString(2026), known));
    EXPECT_EQ(known, "big5");
    EXPECT_EQ(charsetNumber(known), 2026);
}

// tshark prints the value tables of its WSP and MMS dissectors; the same
// assignments must come out of ours.
class TsharkValues {
public:
    using Table = std::map<long, std::string>;

    static const TsharkValues* instance()
    {
        static TsharkValues* values = load();
        return values;
    }

    const Table* field(const std::string& name) const
    {
        auto it = fields_.find(name);
        return it == fields_.end() ? nullptr : &it->second;
    }
    const Table& contentTypes() const { return contentTypes_; }
    const Table& charsets() const { return charsets_; }

private:
    static TsharkValues* load()
    {
        const TestCommandResult run
            = testRunCommand("'" + testCheckTool(testToolTshark()).path + "' -G values 2>/dev/null");
        if (run.status != 0)
            return nullptr;
        auto* values = new TsharkValues;
        std::string current;
        Table block;
        for (const std::string& s : testLines(run.output)) {
            std::vector<std::string> cols;
            std::size_t start = 0;
            for (std::size_t tab; (tab = s.find('\t', start)) != std::string::npos; start = tab + 1)
                cols.push_back(s.substr(start, tab - start));
            cols.push_back(s.substr(start));
            if (cols.size() != 4 || cols[0] != "V")
                continue;
            if (cols[1] != current) {
                values->keep(current, block);
                current = cols[1];
                block.clear();
            }
            block.emplace(std::strtol(cols[2].c_str(), nullptr, 0), cols[3]);
        }
        values->keep(current, block);
        return values;
    }

    static bool holds(const Table& t, long value, const char* text)
    {
        auto it = t.find(value);
        return it != t.end() && lower(it->second) == lower(text);
    }

    void keep(const std::string& name, const Table& block)
    {
        // A field may come in several blocks (tshark lists its header code pages in turn);
        // the first name of a value wins.
        if (name.rfind("mmse.", 0) == 0 || name.rfind("wsp.", 0) == 0)
            fields_[name].insert(block.begin(), block.end());
        // The content-type and character-set assignments are shared by several dissectors.
        if (contentTypes_.empty() && holds(block, 0, "*/*")
            && holds(block, 62, "application/vnd.wap.mms-message"))
            contentTypes_ = block;
        if (charsets_.empty() && holds(block, 106, "utf-8") && holds(block, 2026, "big5")
            && holds(block, 1000, "iso-10646-ucs-2") && holds(block, 3, "us-ascii"))
            charsets_ = block;
    }

    std::map<std::string, Table> fields_;
    Table contentTypes_;
    Table charsets_;
};

class VXLWspTablesTshark : public ::testing::Test {
protected:
    void SetUp() override
    {
        TESSEL_REQUIRE_TOOL(testToolTshark());
        values_ = TsharkValues::instance();
        ASSERT_NE(values_, nullptr) << "tshark -G values failed";
    }
    const TsharkValues* values_ = nullptr;
};

TEST_F(VXLWspTablesTshark, ContentTypes)
{
    const TsharkValues::Table& theirs = values_->contentTypes();
    ASSERT_FALSE(theirs.empty());
    for (std::size_t i = 0; i < kVxlWspWellKnownContentTypes; ++i) {
        const VXLWspContentTypeRow& row = kVxlWspContentTypeTable[i];
        auto it = theirs.find(row.wire);
        ASSERT_NE(it, theirs.end()) << row.name;
        // tshark misspells 0x0E; the assigned type is "multipart/byteranges".
        if (row.wire == 0x0E && it->second == "multipart/byterantes")
            EXPECT_STREQ(row.name, "multipart/byteranges");
        else
            EXPECT_EQ(it->second, row.name) << "content type " << row.wire;
    }
}

TEST_F(VXLWspTablesTshark, HeaderNames)
{
    const TsharkValues::Table* theirs = values_->field("wsp.header.name_value");
    ASSERT_NE(theirs, nullptr);
    for (std::size_t i = 0; i < kVxlWspHeaderRows; ++i) {
        const VXLWspHeaderRow& row = kVxlWspHeaderTable[i];
        auto it = theirs->find(row.wire - 0x80);
        ASSERT_NE(it, theirs->end()) << row.name;
        // tshark tells the older encodings of a repeated name by a suffix.
        std::string name = it->second;
        std::size_t suffix = name.find(" (encoding ");
        if (suffix != std::string::npos)
            name.erase(suffix);
        EXPECT_EQ(name, row.name) << "header " << row.wire;
    }
}

TEST_F(VXLWspTablesTshark, Parameters)
{
    const TsharkValues::Table* theirs = values_->field("wsp.parameter.type");
    ASSERT_NE(theirs, nullptr);
    std::set<long> ours;
    for (std::size_t i = 0; i < kVxlWspParameterRows; ++i) {
        const VXLWspParameterRow& row = kVxlWspParameterTable[i];
        long code = row.wire - 0x80;
        ours.insert(code);
        auto it = theirs->find(code);
        ASSERT_NE(it, theirs->end()) << row.name;
        // tshark describes charset (1) and the two types (3, 9) by their encoding only.
        if (code == 1 || code == 3 || code == 9)
            continue;
        std::string name = it->second.substr(0, it->second.find_first_of(": "));
        EXPECT_EQ(lower(name), lower(row.name)) << "parameter " << code << " " << it->second;
    }
    std::set<long> all;
    for (const auto& [code, text] : *theirs)
        all.insert(code);
    EXPECT_EQ(ours, all);
}

TEST_F(VXLWspTablesTshark, Charsets)
{
    const TsharkValues::Table& theirs = values_->charsets();
    ASSERT_FALSE(theirs.empty());
    for (std::size_t i = 0; i < kVxlCharsetRows; ++i) {
        const VXLCharsetRow& row = kVxlCharsetTable[i];
        auto it = theirs.find(row.number);
        ASSERT_NE(it, theirs.end()) << row.name;
        EXPECT_EQ(lower(it->second), lower(row.name)) << row.number;
    }
}

// For each field that tshark knows: internal value -> wire byte -> tshark's name.
TEST_F(VXLWspTablesTshark, MmsValues)
{
    struct Case {
        std::int32_t field;
        const char* tsharkField;
        std::vector<std::pair<std::int32_t, const char*>> meanings;
    };
    const std::vector<std::pair<std::int32_t, const char*>> yesNo = {{0, "Yes"}, {1, "No"}};
    const Case cases[] = {
        {12, "mmse.message_type",
            {{1, "m-send-req"}, {2, "m-send-conf"}, {3, "m-notification-ind"}, {4, "m-notifyresp-ind"},
                {6, "m-retrieve-conf"}, {7, "m-acknowledge-ind"}, {8, "m-delivery-ind"},
                {9, "m-read-rec-ind"}, {10, "m-read-orig-ind"}, {11, "m-forward-req"}, {12, "m-forward-conf"},
                {13, "m-mbox-store-req"}, {14, "m-mbox-store-conf"}, {15, "m-mbox-view-req"},
                {16, "m-mbox-view-conf"}, {17, "m-mbox-upload-req"}, {18, "m-mbox-upload-conf"},
                {19, "m-mbox-delete-req"}, {20, "m-mbox-delete-conf"}, {21, "m-mbox-descr"}}},
        {6, "mmse.delivery_report", yesNo},
        {16, "mmse.read_report", yesNo},
        {17, "mmse.report_allowed", yesNo},
        {10, "mmse.message_class.id",
            {{1, "Personal"}, {2, "Advertisement"}, {3, "Informational"}, {4, "Auto"}}},
        {15, "mmse.priority", {{1, "Low"}, {2, "Normal"}, {3, "High"}}},
        {18, "mmse.response_status",
            {{0, "Ok"}, {1, "Unspecified"}, {2, "Service denied"}, {3, "Message format corrupt"},
                {4, "Sending address unresolved"}, {5, "Message not found"}, {6, "Network problem"},
                {7, "Content not accepted"}, {8, "Unsupported message"}, {9, "Transient failure"},
                {10, "Transient: Sending address unresolved"}, {11, "Transient: Message not found"},
                {12, "Transient: Network problem"}, {13, "Transient: Partial success"},
                {14, "Permanent failure"}, {15, "Permanent: Service denied"},
                {16, "Permanent: Message format corrupt"}, {17, "Permanent: Sending address unresolved"},
                {18, "Permanent: Message not found"}, {19, "Permanent: Content not accepted"},
                {20, "Permanent: Reply charging limitations not met"},
                {21, "Permanent: Reply charging request not accepted"},
                {22, "Permanent: Reply charging forwarding denied"},
                {23, "Permanent: Reply charging not supported"},
                {24, "Permanent: Address hiding not supported"}}},
        {25, "mmse.retrieve_status",
            {{0, "Ok"}, {9, "Transient failure"}, {10, "Transient: Message not found"},
                {11, "Transient: Network problem"}, {14, "Permanent failure"},
                {15, "Permanent: Service denied"}, {16, "Permanent: Message not found"},
                {17, "Permanent: Content unsupported"}}},
        {20, "mmse.sender_visibility", {{0, "Hide"}, {1, "Show"}}},
        {21, "mmse.status",
            {{1, "Expired"}, {2, "Retrieved"}, {3, "Rejected"}, {4, "Deferred"}, {5, "Unrecognized"},
                {6, "Indeterminate"}, {7, "Forwarded"}}},
        {27, "mmse.read_status", {{1, "Read"}, {2, "Deleted without being read"}}},
        {28, "mmse.reply_charging",
            {{0, "Requested"}, {1, "Requested text only"}, {2, "Accepted"}, {3, "Accepted text only"}}},
    };
    for (const Case& c : cases) {
        const TsharkValues::Table* theirs = values_->field(c.tsharkField);
        ASSERT_NE(theirs, nullptr) << c.tsharkField;
        const VXLMmsValueRow* table = mmsValueTable(dec(c.field).c_str());
        ASSERT_NE(table, nullptr) << c.field;
        for (auto [value, name] : c.meanings) {
            std::int32_t wire = mmsValueWireCode(dec(value).c_str(), table);
            auto it = theirs->find(wire);
            ASSERT_NE(it, theirs->end()) << c.tsharkField << " value " << value;
            EXPECT_EQ(it->second, name) << c.tsharkField << " value " << value;
        }
        // Every byte tshark assigns and our table holds means the same on both sides.
        for (const VXLMmsValueRow* row = table; row->value != kVxlTableEnd; ++row) {
            if (theirs->count(row->wire) == 0)
                continue;
            bool listed = false;
            for (auto [value, name] : c.meanings)
                listed = listed || value == row->value;
            EXPECT_TRUE(listed) << c.tsharkField << " wire " << row->wire;
        }
    }
}

} // namespace
