#include "engine/transport/http/VXLHttpHeadTokenizer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Type = CVXLHttpHeadTokenizer::TokenType;

struct Case {
    const char* input;
    Type type;
    const char* token; // the token text when the type has one
};

TEST(HttpHeadTokenizer, ClassifiesTheLineAtTheFront)
{
    const Case cases[] = {
        {"", CVXLHttpHeadTokenizer::kTokenNone, ""},
        {"HTT", CVXLHttpHeadTokenizer::kTokenNone, ""},
        {"HTTP/1.1 200 OK\r", CVXLHttpHeadTokenizer::kTokenNone, ""},
        {"HTTP/1.1 200 OK\r\nDate", CVXLHttpHeadTokenizer::kTokenStatus, "HTTP/1.1 200 OK\r\n"},
        {"HTTP/1.0 404 Gone\nX", CVXLHttpHeadTokenizer::kTokenStatus, "HTTP/1.0 404 Gone\n"},
        {"HTTP/1.1 200 O\x01K\r\n", CVXLHttpHeadTokenizer::kTokenMalformed, ""},
        {"\r\n", CVXLHttpHeadTokenizer::kTokenBlank, "\r\n"},
        {"\nbody", CVXLHttpHeadTokenizer::kTokenBlank, "\n"},
        {"\r", CVXLHttpHeadTokenizer::kTokenNone, ""},
        {"\rX", CVXLHttpHeadTokenizer::kTokenMalformed, ""},
        // A header line is whole only once the next byte shows it is not folded.
        {"Server: x\r\n", CVXLHttpHeadTokenizer::kTokenNone, ""},
        {"Server: x\r\n\r\n", CVXLHttpHeadTokenizer::kTokenHeader, "Server: x\r\n"},
        {"X-Folded: a\r\n\tb\r\nY: c\r\n", CVXLHttpHeadTokenizer::kTokenHeader, "X-Folded: a\r\n\tb\r\n"},
        {"X-Empty:\r\n\r\n", CVXLHttpHeadTokenizer::kTokenHeader, "X-Empty:\r\n"},
        {"lower: v\nZ", CVXLHttpHeadTokenizer::kTokenHeader, "lower: v\n"},
        // Not a header: never skipped to reach a later line.
        {"garbage line\r\nServer: x\r\n\r\n", CVXLHttpHeadTokenizer::kTokenMalformed, ""},
        {": no name\r\n\r\n", CVXLHttpHeadTokenizer::kTokenMalformed, ""},
        {"Bad\rName: x\r\n\r\n", CVXLHttpHeadTokenizer::kTokenMalformed, ""},
        {"X: a\rb\r\n\r\n", CVXLHttpHeadTokenizer::kTokenMalformed, ""},
    };
    for (const Case& c : cases) {
        CVXLByteBuffer buffer;
        buffer.append(c.input, static_cast<std::uint32_t>(std::strlen(c.input)));
        CVXLHttpHeadTokenizer tokenizer;
        tokenizer.setBuffer(&buffer);
        EXPECT_EQ(c.type, tokenizer.next()) << c.input;
        EXPECT_EQ(std::string(c.token), tokenizer.tokenText().c_str()) << c.input;
    }
}

TEST(HttpHeadTokenizer, NulInsideAValueIsMalformed)
{
    const char input[] = "X: a\0b\r\n\r\n";
    CVXLByteBuffer buffer;
    buffer.append(input, sizeof input - 1);
    CVXLHttpHeadTokenizer tokenizer;
    tokenizer.setBuffer(&buffer);
    EXPECT_EQ(CVXLHttpHeadTokenizer::kTokenMalformed, tokenizer.next());
}

TEST(HttpHeadTokenizer, ConsumingTakesLinesOffTheFrontAndLeavesTheBody)
{
    const char* head = "HTTP/1.1 200 OK\r\nA: 1\r\n\r\nbody";
    CVXLByteBuffer buffer;
    buffer.appendCString(head);
    CVXLHttpHeadTokenizer tokenizer;
    tokenizer.setBuffer(&buffer);
    EXPECT_EQ(CVXLHttpHeadTokenizer::kTokenStatus, tokenizer.next());
    EXPECT_EQ(CVXLHttpHeadTokenizer::kTokenHeader, tokenizer.next());
    EXPECT_EQ(CVXLHttpHeadTokenizer::kTokenBlank, tokenizer.next());
    tokenizer.consume();
    EXPECT_EQ(
        std::string("body"), std::string(reinterpret_cast<const char*>(buffer.data()), buffer.length()));
}

TEST(HttpHeadTokenizer, AnEndlessLineIsMalformed)
{
    CVXLByteBuffer buffer;
    buffer.appendCString("X-Long: ");
    std::string filler(CVXLHttpHeadTokenizer::kMaxLineLength, 'a');
    buffer.appendCString(filler.c_str());
    CVXLHttpHeadTokenizer tokenizer;
    tokenizer.setBuffer(&buffer);
    EXPECT_EQ(CVXLHttpHeadTokenizer::kTokenMalformed, tokenizer.next());
}

} // namespace
