// XML parse throughput on a 1 MB document: our reader against expat and
// libxml2's SAX reader on the same bytes. BM_ReaderToExpatTime times ours and
// expat in one loop and reports how many times longer our reader takes
// (counter "reader_per_expat"). The *ByteByByte benchmarks feed 4 MB of text
// one byte per call, which must stay linear.
#include "bench/AlternatingRatio.h"
#include "engine/core/xml/VXLXmlReader.h"

#include <benchmark/benchmark.h>
#include <expat.h>
#include <libxml/parser.h>

#include <algorithm>
#include <string>

namespace {

const std::string& document()
{
    static const std::string doc = [] {
        std::string d
            = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VRAX ver=\"2\">\n <list count=\"many\">\n";
        for (int i = 0; d.size() < (1u << 20); ++i) {
            const std::string n = std::to_string(i);
            d += "  <li id=\"" + n + "\" default='0' status=\"ok\">\n";
            d += "   <name>Album number " + n + " &amp; friends</name>\n";
            d += "   <descr>Pictures from the trip to the coast, day " + n
                + "; &lt;b&gt;bold&lt;/b&gt; &#233;t&#xE9;</descr>\n";
            d += "   <attr name=\"MAX_PHOTO_UPLOAD_SIZE\">512000</attr>\n";
            d += "   <thumb href=\"http://example.com/album/" + n + "/cover.jpg?size=small&amp;v=2\"/>\n";
            d += "  </li>\n";
        }
        d += " </list>\n</VRAX>\n";
        return d;
    }();
    return doc;
}

// Counts what it is told, as a real handler would look at it.
struct CountingReader : CVXLXmlReader {
    std::size_t events = 0;
    std::size_t bytes = 0;
    void onElement(const CVXLString& name, bool) override
    {
        ++events;
        bytes += name.length();
    }
    void onAttribute(const CVXLString& name, const CVXLString& value) override
    {
        ++events;
        bytes += name.length() + value.length();
    }
    void onText(const CVXLString& text) override
    {
        ++events;
        bytes += text.length();
    }
};

struct ExpatCounts {
    std::size_t events = 0;
    std::size_t bytes = 0;
};

void XMLCALL expatStart(void* user, const XML_Char* name, const XML_Char** attributes)
{
    auto* c = static_cast<ExpatCounts*>(user);
    ++c->events;
    c->bytes += std::char_traits<char>::length(name);
    for (int i = 0; attributes[i]; i += 2) {
        ++c->events;
        c->bytes += std::char_traits<char>::length(attributes[i])
            + std::char_traits<char>::length(attributes[i + 1]);
    }
}

void XMLCALL expatEnd(void* user, const XML_Char* name)
{
    auto* c = static_cast<ExpatCounts*>(user);
    ++c->events;
    c->bytes += std::char_traits<char>::length(name);
}

void XMLCALL expatText(void* user, const XML_Char*, int length)
{
    static_cast<ExpatCounts*>(user)->bytes += static_cast<std::size_t>(length);
}

std::size_t parseWithReader(CountingReader& reader)
{
    const std::string& d = document();
    reader.reset();
    reader.feed(d.data(), static_cast<std::uint32_t>(d.size()));
    reader.finish();
    return reader.events;
}

std::size_t parseWithExpat()
{
    const std::string& d = document();
    ExpatCounts counts;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &counts);
    XML_SetElementHandler(parser, expatStart, expatEnd);
    XML_SetCharacterDataHandler(parser, expatText);
    XML_Parse(parser, d.data(), static_cast<int>(d.size()), 1);
    XML_ParserFree(parser);
    return counts.events;
}

void BM_XmlReader(benchmark::State& state)
{
    CountingReader reader;
    for (auto _ : state)
        benchmark::DoNotOptimize(parseWithReader(reader));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document().size()));
}
BENCHMARK(BM_XmlReader)->Unit(benchmark::kMillisecond);

void BM_Expat(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(parseWithExpat());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * document().size()));
}
BENCHMARK(BM_Expat)->Unit(benchmark::kMillisecond);

void BM_ReaderToExpatTime(benchmark::State& state)
{
    CountingReader reader;
    state.counters["reader_per_expat"] = alternatingRatio(
        state, [&] { return parseWithReader(reader); }, [] { return parseWithExpat(); });
    state.counters["doc_bytes"] = static_cast<double>(document().size());
}
BENCHMARK(BM_ReaderToExpatTime)->Unit(benchmark::kMillisecond);

// libxml2's SAX reader with the same three handlers.
void libxmlStart(void* user, const xmlChar* name, const xmlChar** attributes)
{
    // libxml2 passes no list at all for a tag without attributes.
    static const char* const kNone[] = {nullptr};
    expatStart(user, reinterpret_cast<const char*>(name),
        attributes ? reinterpret_cast<const char**>(attributes) : const_cast<const char**>(kNone));
}

void libxmlEnd(void* user, const xmlChar* name)
{
    expatEnd(user, reinterpret_cast<const char*>(name));
}

void libxmlText(void* user, const xmlChar*, int length)
{
    static_cast<ExpatCounts*>(user)->bytes += static_cast<std::size_t>(length);
}

xmlSAXHandler libxmlHandler()
{
    xmlSAXHandler sax {};
    sax.startElement = libxmlStart;
    sax.endElement = libxmlEnd;
    sax.characters = libxmlText;
    return sax;
}

std::size_t parseWithLibxml(const std::string& d, std::size_t chunk)
{
    ExpatCounts counts;
    xmlSAXHandler sax = libxmlHandler();
    xmlParserCtxtPtr parser = xmlCreatePushParserCtxt(&sax, &counts, nullptr, 0, nullptr);
    xmlCtxtUseOptions(parser, XML_PARSE_HUGE | XML_PARSE_NONET);
    for (std::size_t at = 0; at < d.size(); at += chunk)
        xmlParseChunk(parser, d.data() + at, static_cast<int>(std::min(chunk, d.size() - at)), 0);
    xmlParseChunk(parser, nullptr, 0, 1);
    xmlFreeParserCtxt(parser);
    return counts.events + counts.bytes;
}

void BM_Libxml2Sax(benchmark::State& state)
{
    const std::string& d = document();
    for (auto _ : state)
        benchmark::DoNotOptimize(parseWithLibxml(d, d.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.size()));
}
BENCHMARK(BM_Libxml2Sax)->Unit(benchmark::kMillisecond);

// One element holding 4 MB of text, entities here and there.
const std::string& textDocument()
{
    static const std::string doc = [] {
        std::string d = "<message><body>";
        while (d.size() < (4u << 20))
            d += "A picture from the coast, the sea &amp; the sky at dusk; more to come.\n";
        return d + "</body></message>";
    }();
    return doc;
}

void BM_ReaderByteByByte(benchmark::State& state)
{
    const std::string& d = textDocument();
    CountingReader reader;
    for (auto _ : state) {
        reader.reset();
        for (char c : d)
            reader.feed(c);
        benchmark::DoNotOptimize(reader.finish());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.size()));
}
BENCHMARK(BM_ReaderByteByByte)->Unit(benchmark::kMillisecond);

void BM_ExpatByteByByte(benchmark::State& state)
{
    const std::string& d = textDocument();
    for (auto _ : state) {
        ExpatCounts counts;
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, &counts);
        XML_SetElementHandler(parser, expatStart, expatEnd);
        XML_SetCharacterDataHandler(parser, expatText);
        for (char c : d)
            XML_Parse(parser, &c, 1, 0);
        XML_Parse(parser, nullptr, 0, 1);
        XML_ParserFree(parser);
        benchmark::DoNotOptimize(counts.bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.size()));
}
BENCHMARK(BM_ExpatByteByByte)->Unit(benchmark::kMillisecond);

void BM_Libxml2ByteByByte(benchmark::State& state)
{
    const std::string& d = textDocument();
    for (auto _ : state)
        benchmark::DoNotOptimize(parseWithLibxml(d, 1));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.size()));
}
BENCHMARK(BM_Libxml2ByteByByte)->Unit(benchmark::kMillisecond);

} // namespace
