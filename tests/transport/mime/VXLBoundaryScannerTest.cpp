#include "engine/transport/mime/VXLBoundaryScanner.h"

#include <gtest/gtest.h>

#include <algorithm>
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
        {"Content-Length: 42\r\n",
            {{CVXLBoundaryScanner::kTokenHeaderName, "Content-Length:"},
                {CVXLBoundaryScanner::kTokenNumber, "42"}}},
        {"<VRAX><a/></VRAX>rest ",
            {{CVXLBoundaryScanner::kTokenDocumentEnd, "<VRAX><a/></VRAX>"},
                {CVXLBoundaryScanner::kTokenWord, "rest"}}},
        {"<<</VRAX >", {{CVXLBoundaryScanner::kTokenDocumentEnd, "<<</VRAX >"}}},
        // The boundary is matched by its length: what follows is the next token.
        {"--frontierX\x01",
            {{CVXLBoundaryScanner::kTokenDelimiter, "--frontier"}, {CVXLBoundaryScanner::kTokenWord, "X"}}},
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
    EXPECT_EQ(CVXLScanResult::Malformed, scanner.result());
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

// A scan that finds no token either waits for bytes that could still make
// one or fails on a byte that cannot.
TEST(BoundaryScanner, TellsNeedMoreFromMalformed)
{
    const struct {
        const char* input;
        CVXLScanResult result;
    } cases[] = {
        {"", CVXLScanResult::NeedMore},
        {"--fronti", CVXLScanResult::NeedMore},
        {"--frontier", CVXLScanResult::NeedMore}, // the next byte decides
        {"--frontier-", CVXLScanResult::NeedMore},
        {"--frontier-x", CVXLScanResult::Malformed},
        {"--other\r", CVXLScanResult::Malformed},
        {"--\x01", CVXLScanResult::Malformed},
        {"Content-Type", CVXLScanResult::NeedMore},
        {"\r\n\r", CVXLScanResult::NeedMore},
        {"\r\n\rX", CVXLScanResult::Malformed},
        {"<VRAX>text</VRAX", CVXLScanResult::NeedMore},
    };
    for (const auto& c : cases) {
        CVXLByteBuffer buffer;
        buffer.appendCString(c.input);
        CVXLBoundaryScanner scanner;
        scanner.setBuffer(&buffer);
        scanner.setBoundary("frontier");
        EXPECT_EQ(CVXLBoundaryScanner::kTokenNone, scanner.next()) << c.input;
        EXPECT_EQ(c.result, scanner.result()) << c.input;
    }
}

// The tokens of a reply fed in pieces, taken after every piece, and how the
// last scan ended. Feeding stops at a failed scan: what its consume drops
// depends on the bytes present.
struct Scanned {
    std::vector<Token> tokens;
    CVXLScanResult last = CVXLScanResult::NeedMore;
    bool operator==(const Scanned& other) const { return tokens == other.tokens && last == other.last; }
};

Scanned scanInPieces(const std::string& reply, const std::vector<std::size_t>& pieces)
{
    CVXLByteBuffer buffer;
    CVXLBoundaryScanner scanner;
    scanner.setBuffer(&buffer);
    scanner.setBoundary("frontier");
    Scanned out;
    std::size_t fed = 0;
    for (std::size_t piece : pieces) {
        buffer.append(reply.data() + fed, static_cast<std::uint32_t>(piece));
        fed += piece;
        for (Type t = scanner.next(); t != CVXLBoundaryScanner::kTokenNone; t = scanner.next())
            out.tokens.push_back({t, scanner.tokenText().c_str()});
        out.last = scanner.result();
        if (out.last == CVXLScanResult::Malformed)
            break;
    }
    return out;
}

// Whatever the split, a reply yields the tokens and the last result it
// yields fed whole: cut in two at every byte, and fed one byte at a time up
// to every byte and then whole.
TEST(BoundaryScanner, SameTokensWhateverTheSplit)
{
    const std::string replies[] = {
        "--frontier\r\nContent-Type: text/xml\r\nContent-Length: 17\r\n\r\n"
        "<VRAX>ok</VRAX>\r\n--frontier-- ",
        "X-Count: 12a 345 a::b c: \r\n\r\n\r\n---frontier--frontier\r\n",
        "<VRAX><a>x</a></VRA <</VRAX  x> after\r\n<<</VRAX>",
        "Host: a\r\n--frontierfrontier --frontier-x and more",
        "\r\n\r\n\r\n--frontier\r\n\r\r",
        "Content-Type: text/xml\r\n<VRAX>not ended",
    };
    for (const std::string& reply : replies) {
        const Scanned whole = scanInPieces(reply, {reply.size()});
        for (std::size_t split = 0; split <= reply.size(); ++split) {
            EXPECT_EQ(whole, scanInPieces(reply, {split, reply.size() - split}))
                << reply << " cut at " << split;
            std::vector<std::size_t> bytes(split, 1);
            bytes.push_back(reply.size() - split);
            EXPECT_EQ(whole, scanInPieces(reply, bytes)) << reply << " a byte at a time up to " << split;
        }
    }
}

// A reply that arrives in pieces costs what it costs whole: each piece's
// bytes are looked at where the last scan stopped, not from the front.
TEST(BoundaryScanner, ExaminesEachByteAtMostTwiceWhateverThePieces)
{
    std::string reply = "--frontier\r\nContent-Type: text/xml\r\n\r\n<VRAX>";
    while (reply.size() < 65536)
        reply += "<item kind=\"picture\">a line of text</item>\r\n";
    reply += "</VRAX>\r\n--frontier--";
    for (std::size_t piece : {1u, 7u, 512u, 65536u}) {
        CVXLByteBuffer buffer;
        CVXLBoundaryScanner scanner;
        scanner.setBuffer(&buffer);
        scanner.setBoundary("frontier");
        std::size_t tokens = 0;
        for (std::size_t fed = 0; fed < reply.size(); fed += piece) {
            buffer.append(
                reply.data() + fed, static_cast<std::uint32_t>(std::min(piece, reply.size() - fed)));
            while (scanner.next() != CVXLBoundaryScanner::kTokenNone)
                ++tokens;
        }
        EXPECT_EQ(6u, tokens) << "pieces of " << piece;
        EXPECT_LE(scanner.bytesExamined(), 2 * reply.size()) << "pieces of " << piece;
    }
}

} // namespace
