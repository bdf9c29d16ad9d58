#include "engine/transport/http/VXLHttpBodyFramer.h"

#include "engine/transport/http/VXLHttpResponseReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum class Framing { Length, Chunks, UntilClose };

struct Outcome {
    std::string body;
    CVXLScanResult result = CVXLScanResult::NeedMore;
    std::string rest; // shown but not taken: what follows the body
};

void start(CVXLHttpBodyFramer& framer, Framing framing, std::uint32_t length)
{
    if (framing == Framing::Length)
        framer.frameByLength(length);
    else if (framing == Framing::Chunks)
        framer.frameByChunks();
    else
        framer.frameUntilClose();
}

// Shows the framer the pieces one after the other, each time with what it
// left of the pieces before, as the HTTP job does with its receive buffer.
Outcome frame(Framing framing, std::uint32_t length, const std::vector<std::string>& pieces)
{
    CVXLHttpBodyFramer framer;
    start(framer, framing, length);
    Outcome out;
    out.result = framer.done() ? CVXLScanResult::Done : CVXLScanResult::NeedMore;
    for (const std::string& piece : pieces) {
        out.rest += piece;
        while (out.result == CVXLScanResult::NeedMore && !out.rest.empty()) {
            CVXLHttpBodyFramer::Taken taken;
            out.result = framer.take(reinterpret_cast<const std::uint8_t*>(out.rest.data()),
                static_cast<std::uint32_t>(out.rest.size()), &taken);
            const std::size_t used = static_cast<std::size_t>(taken.framing) + taken.body;
            EXPECT_LE(used, out.rest.size());
            // Framing seen is taken at once, so nothing is ever shown twice.
            if (out.result == CVXLScanResult::NeedMore && taken.body == 0) {
                EXPECT_EQ(used, out.rest.size()) << "framing left untaken";
            }
            out.body += out.rest.substr(taken.framing, taken.body);
            out.rest.erase(0, used);
        }
    }
    return out;
}

std::vector<std::string> splitAt(const std::string& input, const std::vector<std::size_t>& splits)
{
    std::vector<std::string> pieces;
    std::size_t from = 0;
    for (std::size_t at : splits) {
        pieces.push_back(input.substr(from, at - from));
        from = at;
    }
    pieces.push_back(input.substr(from));
    return pieces;
}

std::vector<std::string> byteByByte(const std::string& input)
{
    std::vector<std::string> pieces;
    for (char c : input)
        pieces.emplace_back(1, c);
    return pieces;
}

struct Case {
    const char* what;
    Framing framing;
    std::uint32_t length; // for Framing::Length
    std::string input;
    std::vector<std::size_t> splits;
    std::string body;
    CVXLScanResult result;
    std::string rest; // not checked when malformed
};

const std::string k26(26, 'A');
const std::string kEndlessLineEnds(2 * CVXLHttpBodyFramer::kMaxChunkLineLength, '\n');
const std::string kLongExtension
    = "1;" + std::string(CVXLHttpBodyFramer::kMaxChunkLineLength + 8, 'e') + "\r\n";
const std::string kEndlessTrailer = "0\r\n" + std::string(CVXLHttpResponseReader::kMaxHeadLength + 8, 'x');

TEST(HttpBodyFramer, FramesBodiesHoweverTheBytesAreSplit)
{
    using R = CVXLScanResult;
    const Case cases[] = {
        {"length: whole", Framing::Length, 5, "hello", {}, "hello", R::Done, ""},
        {"length: split", Framing::Length, 5, "hello", {1, 3}, "hello", R::Done, ""},
        {"length: what follows is not taken", Framing::Length, 5, "hello HTTP/1.1", {2}, "hello", R::Done,
            " HTTP/1.1"},
        {"length: short so far", Framing::Length, 10, "hello", {}, "hello", R::NeedMore, ""},
        {"length 0: done before any byte", Framing::Length, 0, "extra", {}, "", R::Done, "extra"},

        {"chunk 1A with 26 bytes", Framing::Chunks, 0, "1A\r\n" + k26 + "\r\n0\r\n\r\n", {}, k26, R::Done,
            ""},
        {"chunk split in the size, the line end, the data and the last line", Framing::Chunks, 0,
            "1A\r\n" + k26 + "\r\n0\r\n\r\n", {1, 3, 10, 31, 33, 35}, k26, R::Done, ""},
        {"line ends before the size, lower-case digits", Framing::Chunks, 0,
            "\r\n1a\r\n" + k26 + "\r\n0\r\n\r\n", {}, k26, R::Done, ""},
        {"an extension is ignored", Framing::Chunks, 0, "1A;name=value\r\n" + k26 + "\r\n0;last\r\n\r\n", {7},
            k26, R::Done, ""},
        {"blanks after the size", Framing::Chunks, 0, "3 \t\r\nabc\r\n0\r\n\r\n", {}, "abc", R::Done, ""},
        {"two chunks", Framing::Chunks, 0, "3\r\nabc\r\n4\r\ndefg\r\n0\r\n\r\n", {5, 12}, "abcdefg", R::Done,
            ""},
        {"a trailer is read up to its blank line; the next response is left", Framing::Chunks, 0,
            "3\r\nabc\r\n0\r\nExpires: never\r\nX: y\r\n\r\nHTTP/1.1 200", {20}, "abc", R::Done,
            "HTTP/1.1 200"},
        {"a bare LF ends the trailer", Framing::Chunks, 0, "0\r\n\n", {}, "", R::Done, ""},
        {"a folded trailer field", Framing::Chunks, 0, "0\r\nX: a\r\n b\r\n\r\nnext", {6}, "", R::Done,
            "next"},
        {"bare LFs end the size lines and the trailer", Framing::Chunks, 0,
            "3\nabc\n4;e\ndefg\n0\nX: y\n\nnext", {2, 9, 15}, "abcdefg", R::Done, "next"},
        {"trailer not ended yet", Framing::Chunks, 0, "0\r\nExpires: never\r\n", {}, "", R::NeedMore, ""},
        {"last line end half there", Framing::Chunks, 0, "0\r\n\r", {}, "", R::NeedMore, ""},
        {"largest size", Framing::Chunks, 0, "FFFFFFFF\r\nabc", {}, "abc", R::NeedMore, ""},
        {"size line not ended", Framing::Chunks, 0, "1A", {}, "", R::NeedMore, ""},
        {"size line ends in CR so far", Framing::Chunks, 0, "1A\r", {}, "", R::NeedMore, ""},
        {"extension not ended", Framing::Chunks, 0, "1A;ext", {}, "", R::NeedMore, ""},

        {"nine digits", Framing::Chunks, 0, "100000000\r\n", {}, "", R::Malformed, ""},
        {"not a hex digit", Framing::Chunks, 0, "1G\r\n", {}, "", R::Malformed, ""},
        {"no size at all", Framing::Chunks, 0, "\r\nx\r\n", {}, "", R::Malformed, ""},
        {"CR without LF", Framing::Chunks, 0, "1A\rx", {}, "", R::Malformed, ""},
        {"a CR in a trailer's blank line", Framing::Chunks, 0, "0\r\n\r\r\n", {}, "", R::Malformed, ""},
        {"a NUL in a trailer field", Framing::Chunks, 0, std::string("0\r\nX: a\0b\r\n\r\n", 13), {}, "",
            R::Malformed, ""},
        {"a trailer field without a name", Framing::Chunks, 0, "0\r\n: y\r\n\r\n", {}, "", R::Malformed, ""},
        {"a trailer line without a colon", Framing::Chunks, 0, "0\r\nnot a field\r\n\r\n", {}, "",
            R::Malformed, ""},
        {"a trailer field's lone CR", Framing::Chunks, 0, "0\r\nX: a\rb\r\n\r\n", {}, "", R::Malformed, ""},
        {"text after the size", Framing::Chunks, 0, "1A x\r\n", {}, "", R::Malformed, ""},
        {"data longer than its size: the body so far, then the fault", Framing::Chunks, 0, "3\r\nabcX\r\n",
            {}, "abc", R::Malformed, ""},
        {"endless line ends", Framing::Chunks, 0, kEndlessLineEnds, {}, "", R::Malformed, ""},
        {"endless extension", Framing::Chunks, 0, kLongExtension, {}, "", R::Malformed, ""},
        {"endless trailer", Framing::Chunks, 0, kEndlessTrailer, {}, "", R::Malformed, ""},

        {"until close: every byte is body", Framing::UntilClose, 0, "3\r\nabc\r\n0\r\n\r\n", {4},
            "3\r\nabc\r\n0\r\n\r\n", R::NeedMore, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome split = frame(c.framing, c.length, splitAt(c.input, c.splits));
        EXPECT_EQ(c.result, split.result);
        EXPECT_EQ(c.body, split.body);
        if (c.result != CVXLScanResult::Malformed) {
            EXPECT_EQ(c.rest, split.rest);
        }
        for (const auto& pieces : {std::vector<std::string> {c.input}, byteByByte(c.input)}) {
            const Outcome other = frame(c.framing, c.length, pieces);
            EXPECT_EQ(split.result, other.result) << pieces.size() << " pieces";
            EXPECT_EQ(split.body, other.body) << pieces.size() << " pieces";
            EXPECT_EQ(split.rest, other.rest) << pieces.size() << " pieces";
        }
    }
}

// The HTTP job sizes its reads by it, so the bytes after a body arrive apart.
TEST(HttpBodyFramer, TellsHowMuchBodyIsKnownToFollow)
{
    struct AheadCase {
        const char* what;
        Framing framing;
        std::uint32_t length;
        std::string shown;
        std::uint32_t ahead;
    } cases[] = {
        {"rest of the length", Framing::Length, 10, "abc", 7},
        {"length reached", Framing::Length, 3, "abc", 0},
        {"rest of the chunk", Framing::Chunks, 0, "5\r\nab", 3},
        {"within a size line", Framing::Chunks, 0, "5\r", 0},
        {"chunk ended: a size line comes next", Framing::Chunks, 0, "2\r\nab", 0},
        {"until close: unknown", Framing::UntilClose, 0, "abc", 0},
    };
    for (const AheadCase& c : cases) {
        SCOPED_TRACE(c.what);
        CVXLHttpBodyFramer framer;
        start(framer, c.framing, c.length);
        CVXLHttpBodyFramer::Taken taken;
        (void)framer.take(reinterpret_cast<const std::uint8_t*>(c.shown.data()),
            static_cast<std::uint32_t>(c.shown.size()), &taken);
        EXPECT_EQ(c.ahead, framer.bodyAhead());
    }
}

} // namespace
