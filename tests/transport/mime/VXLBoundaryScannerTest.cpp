#include "engine/transport/mime/VXLBoundaryScanner.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Type = CVXLBoundaryScanner::TokenType;

struct Token {
    Type type;
    std::string text;
    bool operator==(const Token& other) const { return type == other.type && text == other.text; }
};

// Every token of the input, fed whole; stops at the first incomplete scan.
std::vector<Token> tokensOf(const std::string& input, const char* boundary = "frontier")
{
    CVXLByteBuffer buffer;
    buffer.append(input.data(), static_cast<std::uint32_t>(input.size()));
    CVXLBoundaryScanner scanner;
    scanner.setBuffer(&buffer);
    scanner.setBoundary(boundary);
    std::vector<Token> out;
    for (Type t = scanner.next(); t != CVXLBoundaryScanner::kTokenNone; t = scanner.next())
        out.push_back({t, scanner.tokenText().c_str()});
    return out;
}

struct Case {
    const char* input;
    std::vector<Token> tokens;
};

TEST(BoundaryScanner, ScansTheTokensOfAMultipartReply)
{
    const Case cases[] = {
        {"--frontier\r\n", {{CVXLBoundaryScanner::kTokenDelimiter, "--frontier"}}},
        {"--frontier--", {{CVXLBoundaryScanner::kTokenClose, "--frontier--"}}},
        {"Content-Type: text/xml\r\n\r\n",
         {{CVXLBoundaryScanner::kTokenHeaderName, "Content-Type:"},
          {CVXLBoundaryScanner::kTokenWord, "text/xml"},
          {CVXLBoundaryScanner::kTokenEmptyLine, "\r\n\r\n"}}},
        {"Content-Length: 42\r\n", {{CVXLBoundaryScanner::kTokenHeaderName, "Content-Length:"},
                                    {CVXLBoundaryScanner::kTokenNumber, "42"}}},
        {"<VRAX><a/></VRAX>rest ", {{CVXLBoundaryScanner::kTokenDocumentEnd, "<VRAX><a/></VRAX>"},
                                   {CVXLBoundaryScanner::kTokenWord, "rest"}}},
        {"<<</VRAX >", {{CVXLBoundaryScanner::kTokenDocumentEnd, "<<</VRAX >"}}},
        // The boundary is matched by its length: what follows is the next token.
        {"--frontierX\x01", {{CVXLBoundaryScanner::kTokenDelimiter, "--frontier"},
                             {CVXLBoundaryScanner::kTokenWord, "X"}}},
        {"--other\r\n", {}},
        {"--\x01", {}},
        {"\r\n--frontier ", {{CVXLBoundaryScanner::kTokenDelimiter, "--frontier"}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.tokens, tokensOf(c.input)) << c.input;
}

TEST(BoundaryScanner, AFailedScanDropsTheBufferAtTheNextConsume)
{
    CVXLByteBuffer buffer;
    buffer.appendCString("\rX and more");
    CVXLBoundaryScanner scanner;
    scanner.setBuffer(&buffer);
    EXPECT_EQ(CVXLBoundaryScanner::kTokenNone, scanner.next());
    EXPECT_EQ(buffer.length(), scanner.tokenStart());
    scanner.consume();
    EXPECT_EQ(0u, buffer.length());
}

TEST(BoundaryScanner, PeekLeavesTheCurrentTokenAlone)
{
    CVXLByteBuffer buffer;
    buffer.appendCString("Host: x\r\n");
    CVXLBoundaryScanner scanner;
    scanner.setBuffer(&buffer);
    ASSERT_EQ(CVXLBoundaryScanner::kTokenHeaderName, scanner.next());
    EXPECT_EQ(CVXLBoundaryScanner::kTokenHeaderName, scanner.peekType());
    EXPECT_EQ(std::string("Host:"), scanner.tokenText().c_str());
    EXPECT_EQ(CVXLBoundaryScanner::kTokenWord, scanner.next());
}

// Feeding a reply one byte at a time yields the same tokens as feeding it
// whole: an incomplete scan never consumes anything.
TEST(BoundaryScanner, SameTokensWhateverTheSplit)
{
    const std::string reply = "--frontier\r\nContent-Type: text/xml\r\nContent-Length: 17\r\n\r\n"
                              "<VRAX>ok</VRAX>\r\n--frontier--";
    const std::vector<Token> whole = tokensOf(reply + " ");
    for (std::size_t split = 0; split <= reply.size(); ++split) {
        CVXLByteBuffer buffer;
        CVXLBoundaryScanner scanner;
        scanner.setBuffer(&buffer);
        scanner.setBoundary("frontier");
        std::vector<Token> got;
        std::string rest = reply + " ";
        std::size_t fed = 0;
        while (fed < rest.size()) {
            const std::size_t step = fed < split ? 1 : rest.size() - fed;
            buffer.append(rest.data() + fed, static_cast<std::uint32_t>(step));
            fed += step;
            for (Type t = scanner.next(); t != CVXLBoundaryScanner::kTokenNone; t = scanner.next())
                got.push_back({t, scanner.tokenText().c_str()});
        }
        EXPECT_EQ(whole, got) << "split at " << split;
    }
}

} // namespace
