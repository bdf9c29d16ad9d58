// Reads a premium descriptor. The control decides alone whether a message is
// kept; no attribute is longer than the text; a second read of the same text
// gives the same attributes.
#include "engine/messaging/premium/PremiumDescriptorReader.h"
#include "tests/fuzz/FuzzBytes.h"
#include "tests/fuzz/FuzzDeviceRoot.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzDeviceRoot();
    if (size > 1 << 16)
        return 0;
    CVXLString text;
    text.appendBytes(data, static_cast<std::uint32_t>(size));

    CPremiumDescriptorReader reader;
    reader.read(text);
    const CVXLString control = reader.control();
    FUZZ_CHECK(
        reader.isNormal() == (control.length() == 0 || control.compare(CVXLString("NORMAL"), false) == 0));
    for (const CVXLString* value :
        {&reader.control(), &reader.id(), &reader.priority(), &reader.name(), &reader.thumbnail()})
        FUZZ_CHECK(value->length() <= text.length());
    const CVXLString id = reader.id();
    const CVXLString name = reader.name();
    const CVXLString priority = reader.priority();
    const CVXLString thumbnail = reader.thumbnail();
    reader.read(text);
    FUZZ_CHECK(reader.control() == control && reader.id() == id && reader.name() == name
        && reader.priority() == priority && reader.thumbnail() == thumbnail);
    return 0;
}
