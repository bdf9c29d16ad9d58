// A 200-entry album-contents reply read by the reply parser against expat on
// the same bytes. BM_ReplyParserToExpat reports how many times longer the
// reply parser takes (counter "parser_per_expat").
#include "bench/AlternatingRatio.h"
#include "engine/service/VRAXReplyParser.h"
#include "tests/service/FakeVraxEnvironment.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <string>

namespace {

const std::string& reply()
{
    static const std::string doc = [] {
        std::string d = "<?xml version=\"1.0\" ?>\n<VRAX ver=\"5.1\" seq=\"12\" time_rsp=\"1800000000\">\n"
                        "<context>c-7f3a91</context>\n<album-contents id=\"7\" offset=\"0\" count=\"200\">\n";
        for (int i = 0; i < 200; ++i) {
            const std::string n = std::to_string(1000 + i);
            d += " <item id=\"" + n + "\" type=\"image/jpeg\" size=\"" + std::to_string(40000 + 37 * i)
                + "\" time=\"17999" + n + "\">\n";
            d += "  <attr name=\"title\">Beach &amp; dunes, picture " + n + "</attr>\n";
            d += "  <attr name=\"thumb\">http://svc.example/t/" + n + ".jpg?w=96&amp;h=72</attr>\n";
            d += " </item>\n";
        }
        d += "</album-contents>\n</VRAX>";
        return d;
    }();
    return doc;
}

std::int32_t parseWithReplyParser(CVRAXReplyParser& parser, const CVXLByteBuffer& bytes)
{
    parser.reset();
    return parser.parse(bytes);
}

// Keeps what the reply parser keeps: the pairs by name and the context text.
struct ExpatState {
    std::string element;
    std::string pairName;
    std::string text;
    std::size_t pairs = 0;
};

void XMLCALL expatStart(void* user, const XML_Char* name, const XML_Char** attributes)
{
    auto* s = static_cast<ExpatState*>(user);
    s->element = name;
    s->text.clear();
    for (int i = 0; attributes[i]; i += 2)
        if (s->element == "attr" && std::string(attributes[i]) == "name")
            s->pairName = attributes[i + 1];
}

void XMLCALL expatEnd(void* user, const XML_Char*)
{
    auto* s = static_cast<ExpatState*>(user);
    if (s->element == "attr")
        ++s->pairs;
    s->element.clear();
}

void XMLCALL expatText(void* user, const XML_Char* text, int length)
{
    static_cast<ExpatState*>(user)->text.append(text, static_cast<std::size_t>(length));
}

std::size_t parseWithExpat()
{
    const std::string& d = reply();
    ExpatState state;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, expatStart, expatEnd);
    XML_SetCharacterDataHandler(parser, expatText);
    XML_Parse(parser, d.data(), static_cast<int>(d.size()), 1);
    XML_ParserFree(parser);
    return state.pairs;
}

CVXLByteBuffer replyBytes()
{
    CVXLByteBuffer bytes;
    bytes.append(reply().data(), static_cast<std::uint32_t>(reply().size()));
    return bytes;
}

void BM_ReplyParser(benchmark::State& state)
{
    FakeVraxEnvironment environment;
    CVRAXReplyParser parser(environment);
    const CVXLByteBuffer bytes = replyBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(parseWithReplyParser(parser, bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply().size()));
}
BENCHMARK(BM_ReplyParser)->Unit(benchmark::kMicrosecond);

void BM_ExpatReply(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(parseWithExpat());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * reply().size()));
}
BENCHMARK(BM_ExpatReply)->Unit(benchmark::kMicrosecond);

void BM_ReplyParserToExpat(benchmark::State& state)
{
    FakeVraxEnvironment environment;
    CVRAXReplyParser parser(environment);
    const CVXLByteBuffer bytes = replyBytes();
    state.counters["parser_per_expat"] = alternatingRatio(
        state, [&] { return parseWithReplyParser(parser, bytes); }, [] { return parseWithExpat(); });
    state.counters["doc_bytes"] = static_cast<double>(reply().size());
}
BENCHMARK(BM_ReplyParserToExpat)->Unit(benchmark::kMicrosecond);

} // namespace
