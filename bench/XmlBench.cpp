// XML parse throughput on a 1 MB document: our reader against expat on the
// same bytes. BM_ReaderToExpatTime times both in one loop and reports how
// many times longer our reader takes (counter "reader_per_expat").
#include "engine/core/xml/VXLXmlReader.h"

#include <benchmark/benchmark.h>
#include <expat.h>

#include <chrono>
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
    using Clock = std::chrono::steady_clock;
    CountingReader reader;
    Clock::duration ours {}, theirs {};
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(parseWithReader(reader));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(parseWithExpat());
        ours += t1 - t0;
        theirs += Clock::now() - t1;
    }
    state.counters["reader_per_expat"]
        = static_cast<double>(ours.count()) / static_cast<double>(theirs.count());
    state.counters["doc_bytes"] = static_cast<double>(document().size());
}
BENCHMARK(BM_ReaderToExpatTime)->Unit(benchmark::kMillisecond);

} // namespace
