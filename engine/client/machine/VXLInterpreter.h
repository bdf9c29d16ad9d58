#pragma once

#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLValueStack.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLVariant.h"

#include <cstdint>

class CVXLInterpreterHost;
class CVXLScenarioProgram;

// The stack machine's interpreter: decodes and executes the program's
// instructions over a value stack, a call stack of frames and the globals,
// in slices of at most kSliceLength instructions. Every pop, variable,
// jump target, table index and call is checked; a bad one stops the run with
// kResultMachineBadProgram.
//
// A call frame on the call stack, bottom to top: the return offset, the
// parameters (first deepest), the locals, the frame size, the function index.
// Variable v < 0 names a frame variable (-1 the last, -frameSize the first
// parameter); v >= 0 a global.
class CVXLInterpreter : public CVXLObject {
public:
    static constexpr int kSliceLength = 10;
    static constexpr std::uint32_t kValueStackCapacity = 10;
    static constexpr std::uint32_t kCallStackCapacity = 50;
    // Globals grow on write only up to this number.
    static constexpr std::uint32_t kMaxGlobals = 0x8000;
    static constexpr std::int32_t kNotRunning = -1;

    enum SliceResult {
        kSliceMore, // ran its instructions; the program goes on
        kSliceSuspended, // waits for an event (a built-in or a screen return)
        kSliceStopped, // the program counter is -1
    };

    explicit CVXLInterpreter(CVXLInterpreterHost* host);
    CVXLInterpreter(const CVXLInterpreter&) = delete;
    CVXLInterpreter& operator=(const CVXLInterpreter&) = delete;
    ~CVXLInterpreter() override;

    void setProgram(const CVXLScenarioProgram* program) { program_ = program; }
    const CVXLScenarioProgram* program() const { return program_; }

    // Clears the error word and the completion, empties the stacks and sets
    // the globals to the program's count of empty values.
    void reset();

    // Calls a function with its parameters taken from the value stack (first
    // parameter deepest); false (and the run stopped) when it cannot.
    bool call(std::uint32_t function);
    SliceResult runSlice();

    bool isRunning() const { return pc_ != kNotRunning; }
    std::int32_t programCounter() const { return pc_; }
    std::int32_t error() const { return error_; }
    // Stops the run with an error word: as a halt, then the error is kept.
    void fail(std::int32_t error);
    // Ends the run as opcodes 18 and 19 do.
    void halt(const CVXLVariant& exitValue);

    // How the last run ended and its value; kCompletionNone while running.
    VXLCompletionKind completion() const { return completion_; }
    const CVXLVariant& result() const { return result_; }

    CVXLValueStack& values() { return values_; }
    CVXLValueStack& frames() { return frames_; }

    // A global beyond the array reads as empty; writing one grows the array.
    CVXLVariant global(std::uint32_t index) const;
    bool setGlobal(std::uint32_t index, const CVXLVariant& value);
    std::uint32_t globalCount() const { return globals_.count(); }

    // The frame `depth` frames below the current one (0 the current): its
    // function index, its return offset and the call-stack offset of its top
    // (the function index slot). False when no such frame exists.
    struct FrameInfo {
        std::uint32_t function;
        std::int32_t returnOffset;
        int top;
    };
    bool frameAt(std::uint32_t depth, FrameInfo& out) const;
    // Cuts the call stack back so that the frame at `depth` is on top and
    // continues at `pc`. False when there is no such frame.
    bool unwindFrames(std::uint32_t depth, std::int32_t pc);

private:
    bool execute(std::uint8_t opcode, std::int32_t operand, bool& suspend);
    bool binary(std::uint8_t opcode);
    bool readVariable(std::int32_t variable, CVXLVariant& out);
    bool writeVariable(std::int32_t variable, const CVXLVariant& value);
    CVXLVariant* frameVariable(std::int32_t variable);
    bool jump(std::int32_t target);
    bool doSwitch(std::uint32_t table);
    bool doReturn();
    void finishRun(VXLCompletionKind kind, const CVXLVariant& value);

    CVXLInterpreterHost* host_;
    const CVXLScenarioProgram* program_ = nullptr;
    std::int32_t pc_ = kNotRunning;
    std::int32_t error_ = kResultSucceeded;
    CVXLValueStack values_;
    CVXLValueStack frames_;
    CVXLValueStack globals_;
    VXLCompletionKind completion_ = kCompletionNone;
    CVXLVariant result_;
};
