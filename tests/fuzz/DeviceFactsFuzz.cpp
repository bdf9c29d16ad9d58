// Takes the input as device.conf and reads the facts from it: no line may
// break the reader, and every value it hands out is trimmed and holds no
// comment or newline (a lone CR inside a line is just a byte of it).
#include "platform/kernel/DeviceFacts.h"
#include "tests/fuzz/FuzzDeviceRoot.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace tessel::kernel;

namespace {

void expectClean(const std::string& value)
{
    if (value.find_first_of("#\n") != std::string::npos)
        __builtin_trap();
    if (!value.empty()
        && (value.front() == ' ' || value.front() == '\t' || value.back() == ' ' || value.back() == '\t'))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzWriteFile(fuzzDeviceRoot() + "/device.conf", data, size);

    const DeviceFacts facts = deviceFacts();
    for (const std::string* text : {&facts.phoneNumber, &facts.nai, &facts.operatorName, &facts.connection})
        expectClean(*text);
    const std::string number = deviceFact("phone.number", "4255550100");
    if (number != facts.phoneNumber)
        __builtin_trap();
    expectClean(deviceFact("screen.width", ""));
    return 0;
}
