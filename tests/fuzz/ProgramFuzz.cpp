// Loads a compiled scenario program container from the input and, when it
// loads, runs each of its first functions in the interpreter for a bounded
// number of slices with every built-in answering "go on". Whatever the code
// holds, the machine must stop on a bad instruction, never read outside the
// program's tables or its stacks.
#include "engine/client/machine/VXLInterpreter.h"
#include "engine/client/machine/VXLInterpreterHost.h"
#include "engine/client/machine/VXLScenarioProgram.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::uint32_t kMaxFunctionsRun = 4;
constexpr int kMaxSlices = 400;

struct Host : CVXLInterpreterHost {
    int callBuiltin(std::uint32_t) override { return 1; }
    void releaseScreenJob() override { }
    void returnedIntoScreenFunction() override { }
    void unwindScreenJobs() override { }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVXLScenarioProgram program;
    if (!program.load(data, static_cast<std::uint32_t>(size)))
        return 0;
    Host host;
    CVXLInterpreter interpreter(&host);
    interpreter.setProgram(&program);
    const std::uint32_t functions = program.functionCount();
    for (std::uint32_t f = 0; f < functions && f < kMaxFunctionsRun; ++f) {
        interpreter.reset();
        const VXLFunctionRecord* record = program.function(f);
        for (std::uint32_t p = 0; record && p < record->paramCount; ++p)
            interpreter.values().push(CVXLVariant());
        if (!interpreter.call(f))
            continue;
        for (int slice = 0; slice < kMaxSlices; ++slice) {
            if (interpreter.runSlice() != CVXLInterpreter::kSliceMore)
                break;
        }
    }
    return 0;
}
