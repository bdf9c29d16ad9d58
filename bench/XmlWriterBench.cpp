// Writing an XML document of 10,000, 20,000 and 40,000 elements: a root with
// one child per record, each with two attributes and escaped text. The time
// per element must stay flat as the document grows (BigO should read N).
#include "engine/core/xml/VXLXmlWriter.h"

#include <benchmark/benchmark.h>

namespace {

void BM_XmlWriterElements(benchmark::State& state)
{
    const auto elements = static_cast<int>(state.range(0));
    const CVXLString name("item");
    const CVXLString id("id");
    const CVXLString kind("kind");
    const CVXLString photo("photo");
    const CVXLString text("Album & friends <2>");
    std::uint32_t written = 0;
    for (auto _ : state) {
        CVXLXmlWriter writer;
        writer.startElement("items");
        for (int i = 0; i < elements; ++i) {
            writer.startElement(name);
            writer.attribute(id, CVXLString(i));
            writer.attribute(kind, photo);
            writer.text(text);
            writer.endElement();
        }
        writer.endElement();
        written = writer.output().length();
        benchmark::DoNotOptimize(written);
    }
    state.counters["output_bytes"] = written;
    state.SetComplexityN(elements);
}
BENCHMARK(BM_XmlWriterElements)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(40000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
