// Reads a scenario configuration file from the input with every pass of the
// Scenario Manager's parser: the configuration, the destinations (top level
// and a category) and a scenario.
#include "engine/client/scenario/ScenarioClientFace.h"
#include "engine/client/scenario/ScenarioFileParser.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/VXLTextPair.h"
#include "engine/core/xml/VXLXmlReader.h"

#include <cstddef>
#include <cstdint>

namespace {

class Client : public CScenarioClientFace {
public:
    bool getSetting(const char*, CVXLString& value) const override
    {
        value = "";
        return false;
    }
    void setPersistentString(const char*, const CVXLString&) override { }
    void clearMenuLinks() override { }
    void addMenuLink(CVXLTextPair* link) override { delete link; }
    void pushUIRequest(std::int32_t) override { }
};

class Reader : public CVXLXmlReader {
public:
    explicit Reader(CScenarioFileParser& parser)
        : parser_(parser)
    {
    }
    void onElement(const CVXLString& name, bool start) override { parser_.element(name, start); }
    void onAttribute(const CVXLString& name, const CVXLString& value) override
    {
        parser_.attribute(name, value);
    }
    void onText(const CVXLString& text) override { parser_.text(text); }

private:
    CScenarioFileParser& parser_;
};

void runPass(CScenarioFileParser& parser, const std::uint8_t* data, std::size_t size)
{
    Reader reader(parser);
    reader.feed(data, static_cast<std::uint32_t>(size));
    reader.finish();
    parser.end();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    Client client;
    CScenarioFileParser parser;
    parser.setClient(&client);

    parser.beginConfiguration();
    runPass(parser, data, size);
    parser.beginDestinations("");
    runPass(parser, data, size);
    parser.beginDestinations("prints");
    runPass(parser, data, size);
    CScenarioLayout layout;
    parser.beginScenario("__vxl_sendto_recipients", &layout);
    runPass(parser, data, size);
    return 0;
}
