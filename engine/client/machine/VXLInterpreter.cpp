#include "engine/client/machine/VXLInterpreter.h"

#include "engine/client/machine/ScenarioOpcodes.h"
#include "engine/client/machine/VXLInterpreterHost.h"
#include "engine/client/machine/VXLScenarioProgram.h"

namespace {

// Slots of a frame above its variables: the frame size and the function index.
constexpr int kFrameTrailer = 2;

} // namespace

CVXLInterpreter::CVXLInterpreter(CVXLInterpreterHost* host)
    : host_(host)
    , values_(kValueStackCapacity)
    , frames_(kCallStackCapacity)
    , globals_(0)
{
}

CVXLInterpreter::~CVXLInterpreter() = default;

void CVXLInterpreter::reset()
{
    pc_ = kNotRunning;
    error_ = kResultSucceeded;
    completion_ = kCompletionNone;
    result_ = CVXLVariant();
    values_.clear();
    frames_.clear();
    globals_.clear();
    const std::uint32_t count = program_ ? program_->globalCount() : 0;
    for (std::uint32_t i = 0; i < count; ++i)
        globals_.push(CVXLVariant());
}

CVXLVariant CVXLInterpreter::global(std::uint32_t index) const
{
    const CVXLVariant* value = globals_.item(index);
    return value ? *value : CVXLVariant();
}

bool CVXLInterpreter::setGlobal(std::uint32_t index, const CVXLVariant& value)
{
    if (index >= kMaxGlobals)
        return false;
    while (globals_.count() <= index) {
        if (!globals_.push(CVXLVariant()))
            return false;
    }
    *globals_.item(index) = value;
    return true;
}

bool CVXLInterpreter::call(std::uint32_t function)
{
    const VXLFunctionRecord* f = program_ ? program_->function(function) : nullptr;
    if (!f || values_.count() < f->paramCount) {
        fail(kResultMachineBadProgram);
        return false;
    }
    if (pc_ == kNotRunning)
        completion_ = kCompletionNone;
    bool ok = frames_.push(CVXLVariant(pc_));
    for (int i = f->paramCount; ok && i > 0; --i)
        ok = frames_.push(*values_.at(-i));
    ok = ok && values_.drop(f->paramCount);
    for (std::uint32_t i = f->paramCount; ok && i < f->frameSize; ++i)
        ok = frames_.push(CVXLVariant(0));
    ok = ok && frames_.push(CVXLVariant(static_cast<int>(f->frameSize)))
        && frames_.push(CVXLVariant(static_cast<int>(function)));
    if (!ok) {
        fail(kResultMachineBadProgram);
        return false;
    }
    pc_ = f->start;
    return true;
}

CVXLInterpreter::SliceResult CVXLInterpreter::runSlice()
{
    bool suspend = false;
    for (int executed = 0; isRunning() && executed < kSliceLength; ++executed) {
        const std::uint32_t length = program_ ? program_->codeLength() : 0;
        if (pc_ < 0 || static_cast<std::uint32_t>(pc_) >= length) {
            fail(kResultMachineBadProgram);
            break;
        }
        const std::uint8_t* code = program_->code();
        const std::uint8_t opcode = code[pc_];
        std::int32_t operand = 0;
        if (opcode & kOperandFlag) {
            if (static_cast<std::uint32_t>(pc_) + 3 > length) {
                fail(kResultMachineBadProgram);
                break;
            }
            operand = static_cast<std::int16_t>((code[pc_ + 1] << 8) | code[pc_ + 2]);
            pc_ += 3;
        } else {
            pc_ += 1;
        }
        if (!execute(opcode, operand, suspend)) {
            fail(kResultMachineBadProgram);
            break;
        }
        if (suspend)
            return isRunning() ? kSliceSuspended : kSliceStopped;
    }
    return isRunning() ? kSliceMore : kSliceStopped;
}

bool CVXLInterpreter::execute(std::uint8_t opcode, std::int32_t operand, bool& suspend)
{
    const std::uint32_t index = static_cast<std::uint16_t>(operand);
    CVXLVariant value;
    CVXLVariant variable;
    switch (opcode) {
    case kOpNop:
        return true;
    case kOpPop:
        return values_.pop(value);
    case kOpAssign:
        return values_.pop(value) && values_.pop(variable) && writeVariable(variable.toInt(), value);
    case kOpEq:
    case kOpNe:
    case kOpLt:
    case kOpGt:
    case kOpLe:
    case kOpGe:
    case kOpAdd:
    case kOpSub:
    case kOpMul:
    case kOpDiv:
    case kOpMod:
        return binary(opcode);
    case kOpNeg:
        if (!values_.pop(value))
            return false;
        return values_.push(CVXLVariant(static_cast<int>(0u - static_cast<std::uint32_t>(value.toInt()))));
    case kOpNot:
        if (!values_.pop(value))
            return false;
        return values_.push(CVXLVariant(value.isFalse() ? 1 : 0));
    case kOpReturn:
        return doReturn();
    case kOpScreenReturn: {
        if (host_)
            host_->releaseScreenJob();
        suspend = true;
        if (!doReturn())
            return false;
        FrameInfo caller {};
        if (isRunning() && host_ && frameAt(0, caller)) {
            const VXLFunctionRecord* f = program_->function(caller.function);
            if (f && f->screen)
                host_->returnedIntoScreenFunction();
        }
        return true;
    }
    case kOpHalt:
        halt(CVXLVariant());
        return true;
    case kOpExit:
        if (!values_.pop(value))
            return false;
        halt(value);
        return true;
    case kOpPushVarNumber:
    case kOpPushNumber:
        return values_.push(CVXLVariant(operand));
    case kOpPushVar:
        return readVariable(operand, value) && values_.push(value);
    case kOpPushString: {
        CVXLString text;
        return program_->stringAt(index, text) && values_.push(CVXLVariant(text));
    }
    case kOpSwitch:
    case kOpSwitchEvent:
        return doSwitch(index);
    case kOpCall:
    case kOpCallScreen:
        // call() stops the run itself when it cannot; that is not a decode error.
        call(index);
        return true;
    case kOpBuiltin: {
        if (!host_)
            return true;
        const int result = host_->callBuiltin(index);
        if (result == 0 && isRunning())
            suspend = true;
        return true;
    }
    case kOpJump:
        return jump(operand);
    case kOpJumpFalse:
    case kOpJumpTrue:
        if (!values_.pop(value))
            return false;
        if (value.isTrue() == (opcode == kOpJumpTrue))
            return jump(operand);
        return true;
    case kOpAnd:
    case kOpOr: {
        CVXLVariant* top = values_.peek();
        if (!top)
            return false;
        if (top->isTrue() == (opcode == kOpOr))
            return jump(operand);
        return values_.pop(value);
    }
    default:
        // Undefined opcodes do nothing; their operand was skipped.
        return true;
    }
}

bool CVXLInterpreter::binary(std::uint8_t opcode)
{
    CVXLVariant right;
    CVXLVariant left;
    if (!values_.pop(right) || !values_.pop(left))
        return false;
    switch (opcode) {
    case kOpEq:
        return values_.push(CVXLVariant(left == right ? 1 : 0));
    case kOpNe:
        return values_.push(CVXLVariant(left != right ? 1 : 0));
    case kOpLt:
        return values_.push(CVXLVariant(left < right ? 1 : 0));
    case kOpGt:
        return values_.push(CVXLVariant(left > right ? 1 : 0));
    case kOpLe:
        return values_.push(CVXLVariant(left <= right ? 1 : 0));
    case kOpGe:
        return values_.push(CVXLVariant(left >= right ? 1 : 0));
    case kOpAdd:
        return values_.push(left + right);
    case kOpSub:
        return values_.push(left - right);
    case kOpMul:
        return values_.push(left * right);
    case kOpDiv:
        return values_.push(left / right);
    default:
        return values_.push(left % right);
    }
}

CVXLVariant* CVXLInterpreter::frameVariable(std::int32_t variable)
{
    const CVXLVariant* size = frames_.at(-2);
    if (!size || size->kind() != CVXLVariant::kInteger)
        return nullptr;
    const std::int32_t frameSize = size->toInt();
    // The frame's variables and its return offset must all be on the stack.
    if (variable < -frameSize || variable > -1
        || static_cast<std::int64_t>(frameSize) + kFrameTrailer + 1 > frames_.count())
        return nullptr;
    return frames_.at(variable - kFrameTrailer);
}

bool CVXLInterpreter::readVariable(std::int32_t variable, CVXLVariant& out)
{
    if (variable >= 0) {
        out = global(static_cast<std::uint32_t>(variable));
        return true;
    }
    CVXLVariant* slot = frameVariable(variable);
    if (!slot)
        return false;
    out = *slot;
    return true;
}

bool CVXLInterpreter::writeVariable(std::int32_t variable, const CVXLVariant& value)
{
    if (variable >= 0)
        return setGlobal(static_cast<std::uint32_t>(variable), value);
    CVXLVariant* slot = frameVariable(variable);
    if (!slot)
        return false;
    *slot = value;
    return true;
}

bool CVXLInterpreter::jump(std::int32_t target)
{
    if (target < 0 || static_cast<std::uint32_t>(target) >= program_->codeLength())
        return false;
    pc_ = target;
    return true;
}

bool CVXLInterpreter::doSwitch(std::uint32_t table)
{
    const VXLSwitchRecord* s = program_->switchRecord(table);
    CVXLVariant key;
    if (!s || !values_.pop(key))
        return false;
    const std::int16_t wanted = static_cast<std::int16_t>(key.toInt());
    for (std::uint32_t i = 0; i < s->caseCount; ++i) {
        const VXLCaseRecord* c = program_->caseRecord(s->firstCase + i);
        if (!c)
            return false;
        if (c->key == wanted)
            return jump(c->target);
    }
    if (s->defaultCase != CVXLScenarioProgram::kNoCase) {
        const VXLCaseRecord* c = program_->caseRecord(s->defaultCase);
        return c && jump(c->target);
    }
    return true;
}

bool CVXLInterpreter::doReturn()
{
    CVXLVariant function;
    CVXLVariant size;
    CVXLVariant returnOffset;
    if (!frames_.pop(function) || !frames_.pop(size))
        return false;
    const std::int32_t frameSize = size.toInt();
    if (size.kind() != CVXLVariant::kInteger || frameSize < 0
        || !frames_.drop(static_cast<std::uint32_t>(frameSize)) || !frames_.pop(returnOffset))
        return false;
    pc_ = returnOffset.toInt();
    if (pc_ != kNotRunning)
        return true;
    // The outermost function returned: its result ends the run (empty when
    // it left nothing).
    CVXLVariant value;
    values_.pop(value);
    values_.clear();
    frames_.clear();
    finishRun(kCompletionReturned, value);
    return true;
}

void CVXLInterpreter::halt(const CVXLVariant& exitValue)
{
    values_.clear();
    frames_.clear();
    pc_ = kNotRunning;
    if (host_)
        host_->unwindScreenJobs();
    finishRun(kCompletionHalted, exitValue);
}

void CVXLInterpreter::fail(std::int32_t error)
{
    halt(CVXLVariant());
    error_ = error;
    completion_ = kCompletionFailed;
}

void CVXLInterpreter::finishRun(VXLCompletionKind kind, const CVXLVariant& value)
{
    completion_ = kind;
    result_ = value;
}

bool CVXLInterpreter::frameAt(std::uint32_t depth, FrameInfo& out) const
{
    int top = -1;
    for (std::uint32_t d = 0;; ++d) {
        const CVXLVariant* function = frames_.at(top);
        const CVXLVariant* size = frames_.at(top - 1);
        if (!function || !size || size->toInt() < 0)
            return false;
        const std::int64_t returnAt = static_cast<std::int64_t>(top) - kFrameTrailer - size->toInt();
        if (returnAt < -static_cast<std::int64_t>(frames_.count()))
            return false;
        const CVXLVariant* returnOffset = frames_.at(static_cast<int>(returnAt));
        if (d == depth) {
            out.function = static_cast<std::uint32_t>(function->toInt());
            out.returnOffset = returnOffset->toInt();
            out.top = top;
            return true;
        }
        top = static_cast<int>(returnAt) - 1;
    }
}

bool CVXLInterpreter::unwindFrames(std::uint32_t depth, std::int32_t pc)
{
    FrameInfo frame {};
    if (!frameAt(depth, frame))
        return false;
    frames_.drop(static_cast<std::uint32_t>(-(frame.top + 1)));
    pc_ = pc;
    return true;
}
