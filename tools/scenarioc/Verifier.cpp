#include "tools/scenarioc/Verifier.h"

#include "tools/scenarioc/Builtins.h"
#include "tools/scenarioc/Opcodes.h"

#include <algorithm>
#include <map>
#include <set>

namespace scenarioc {

bool decodeInstruction(const std::vector<std::uint8_t>& code, std::uint32_t offset, Instruction& out)
{
    if (offset >= code.size())
        return false;
    out.offset = offset;
    out.op = code[offset];
    out.operand = 0;
    out.size = 1;
    if (hasOperand(out.op)) {
        if (code.size() - offset < 3)
            return false;
        out.operand
            = static_cast<std::int16_t>(static_cast<std::uint16_t>(code[offset + 1] << 8 | code[offset + 2]));
        out.size = 3;
    }
    return true;
}

namespace {

bool isDefinedOpcode(std::uint8_t op)
{
    return op <= kOpExit || (op >= kOpPushVarNumber && op <= kOpOr);
}

bool isJump(std::uint8_t op)
{
    return op >= kOpJump && op <= kOpOr;
}

class Checker {
public:
    explicit Checker(const Container& p)
        : p_(p)
    {
    }

    std::vector<Issue> run()
    {
        decodeAll();
        checkTables();
        for (std::size_t f = 0; f < p_.functions.size(); ++f)
            checkFunction(f);
        std::sort(issues_.begin(), issues_.end(),
            [](const Issue& a, const Issue& b) { return a.offset < b.offset; });
        return std::move(issues_);
    }

private:
    void report(std::uint32_t offset, std::string message)
    {
        issues_.push_back({offset, std::move(message)});
    }

    void decodeAll()
    {
        std::uint32_t at = 0;
        while (at < p_.code.size()) {
            Instruction in;
            if (!decodeInstruction(p_.code, at, in)) {
                report(at, "operand runs past the end of the code");
                break;
            }
            boundaries_.insert(at);
            at += in.size;
        }
    }

    bool onBoundary(std::uint32_t target) const { return boundaries_.count(target) != 0; }

    // The code of a function runs from its start to the next function's start.
    std::uint32_t functionEnd(std::uint32_t start) const
    {
        std::uint32_t end = static_cast<std::uint32_t>(p_.code.size());
        for (const FunctionRecord& f : p_.functions) {
            if (f.start > start && f.start < end)
                end = f.start;
        }
        return end;
    }

    void checkTables()
    {
        for (std::size_t i = 0; i < p_.functions.size(); ++i) {
            if (!onBoundary(p_.functions[i].start))
                report(
                    p_.functions[i].start, "function " + std::to_string(i) + " starts inside an instruction");
        }
        for (std::size_t i = 0; i < p_.cases.size(); ++i) {
            if (!onBoundary(p_.cases[i].target))
                report(p_.cases[i].target,
                    "case record " + std::to_string(i) + " targets inside an instruction");
        }
    }

    void checkOperands(
        const Instruction& in, const FunctionRecord& fn, std::uint32_t begin, std::uint32_t end)
    {
        auto where = [&](std::uint32_t target) { return target >= begin && target < end; };
        switch (in.op) {
        case kOpPushVarNumber:
        case kOpPushVar:
            if (in.operand < 0 && -in.operand > fn.frameSize)
                report(in.offset,
                    "variable " + std::to_string(in.operand) + " outside the frame of "
                        + std::to_string(fn.frameSize));
            else if (in.operand >= 0 && in.operand >= p_.globalCount)
                report(in.offset,
                    "global " + std::to_string(in.operand) + " beyond the declared "
                        + std::to_string(p_.globalCount));
            break;
        case kOpPushString:
            if (in.index() >= p_.strings.size())
                report(in.offset, "string constant " + std::to_string(in.index()) + " out of range");
            break;
        case kOpSwitch:
        case kOpSwitchEvent:
            if (in.index() >= p_.switches.size()) {
                report(in.offset, "switch table " + std::to_string(in.index()) + " out of range");
            } else {
                const SwitchRecord& s = p_.switches[in.index()];
                for (std::uint32_t c = 0; c < s.caseCount; ++c) {
                    if (!where(p_.cases[s.firstCase + c].target))
                        report(in.offset,
                            "case " + std::to_string(p_.cases[s.firstCase + c].key)
                                + " jumps out of its function");
                }
                if (s.defaultCase != kNoCase && !where(p_.cases[s.defaultCase].target))
                    report(in.offset, "default case jumps out of its function");
            }
            break;
        case kOpCall:
        case kOpCallScreen:
            if (in.index() >= p_.functions.size())
                report(in.offset, "function " + std::to_string(in.index()) + " out of range");
            else if ((p_.functions[in.index()].screen != 0) != (in.op == kOpCallScreen))
                report(in.offset,
                    "call opcode does not match the screen flag of " + p_.functionName(in.index()));
            break;
        case kOpBuiltin:
            if (builtinByIndex(in.index()) == nullptr)
                report(in.offset, "built-in " + std::to_string(in.index()) + " out of range");
            break;
        default:
            if (isJump(in.op)) {
                if (in.operand < 0 || static_cast<std::uint32_t>(in.operand) >= p_.code.size()
                    || !onBoundary(static_cast<std::uint32_t>(in.operand)))
                    report(in.offset, "jump target " + std::to_string(in.operand) + " is not an instruction");
                else if (!where(static_cast<std::uint32_t>(in.operand)))
                    report(in.offset, "jump target " + std::to_string(in.operand) + " outside its function");
            } else if (!isDefinedOpcode(in.op)) {
                report(in.offset, "undefined opcode " + std::to_string(in.op));
            }
        }
    }

    // Follows every path through one function with the value-stack depth.
    void checkFunction(std::size_t index)
    {
        const FunctionRecord& fn = p_.functions[index];
        const std::uint32_t begin = fn.start;
        const std::uint32_t end = functionEnd(begin);
        for (std::uint32_t at = begin; at < end;) {
            Instruction in;
            if (!decodeInstruction(p_.code, at, in))
                break;
            checkOperands(in, fn, begin, end);
            at += in.size;
        }

        std::map<std::uint32_t, int> depthAt;
        std::vector<std::pair<std::uint32_t, int>> work {{begin, 0}};
        auto reach = [&](std::uint32_t target, int depth) {
            if (target < begin || target >= end || !onBoundary(target))
                return; // reported with the operands
            auto [it, fresh] = depthAt.emplace(target, depth);
            if (fresh)
                work.emplace_back(target, depth);
            else if (it->second != depth)
                report(target,
                    "reached with stack depths " + std::to_string(it->second) + " and "
                        + std::to_string(depth));
        };
        depthAt[begin] = 0;
        std::set<std::uint32_t> underflows;
        while (!work.empty()) {
            auto [at, depth] = work.back();
            work.pop_back();
            Instruction in;
            if (!decodeInstruction(p_.code, at, in))
                continue;
            const std::uint32_t next = at + in.size;
            int need = 0;
            int effect = 0;
            bool fallsThrough = true;
            std::vector<std::uint32_t> targets;
            switch (in.op) {
            case kOpPop:
                need = 1;
                effect = -1;
                break;
            case kOpAssign:
                need = 2;
                effect = -2;
                break;
            case kOpNeg:
            case kOpNot:
                need = 1;
                break;
            case kOpReturn:
            case kOpScreenReturn:
                need = 1;
                fallsThrough = false;
                break;
            case kOpHalt:
                fallsThrough = false;
                break;
            case kOpExit:
                need = 1;
                fallsThrough = false;
                break;
            case kOpPushVarNumber:
            case kOpPushVar:
            case kOpPushNumber:
            case kOpPushString:
                effect = 1;
                break;
            case kOpSwitch:
            case kOpSwitchEvent:
                need = 1;
                effect = -1;
                if (in.index() < p_.switches.size()) {
                    const SwitchRecord& s = p_.switches[in.index()];
                    for (std::uint32_t c = 0; c < s.caseCount; ++c)
                        targets.push_back(p_.cases[s.firstCase + c].target);
                    if (s.defaultCase != kNoCase) {
                        targets.push_back(p_.cases[s.defaultCase].target);
                        fallsThrough = false;
                    }
                }
                break;
            case kOpCall:
            case kOpCallScreen:
                if (in.index() < p_.functions.size()) {
                    need = p_.functions[in.index()].paramCount;
                    effect = 1 - need;
                }
                break;
            case kOpBuiltin:
                if (const Builtin* b = builtinByIndex(in.index())) {
                    if (b->argCount == kVariableArgs) {
                        // The count must be the constant pushed just before the call.
                        Instruction count;
                        const bool known = at >= 3 && onBoundary(at - 3)
                            && decodeInstruction(p_.code, at - 3, count) && count.op == kOpPushNumber
                            && count.operand >= 0;
                        if (!known) {
                            report(at, std::string(b->name) + " without a constant count before it");
                            continue;
                        }
                        need = count.operand + 1;
                    } else {
                        need = b->argCount;
                    }
                    effect = (b->pushesResult ? 1 : 0) - need;
                }
                break;
            case kOpJump:
                fallsThrough = false;
                targets.push_back(static_cast<std::uint32_t>(in.operand));
                break;
            case kOpJumpFalse:
            case kOpJumpTrue:
                need = 1;
                effect = -1;
                targets.push_back(static_cast<std::uint32_t>(in.operand));
                break;
            case kOpAnd:
            case kOpOr:
                // The jump leaves the tested value; going on pops it.
                need = 1;
                effect = -1;
                if (depth >= 1)
                    reach(static_cast<std::uint32_t>(in.operand), depth);
                break;
            default:
                if (in.op >= kOpEq && in.op <= kOpMod) {
                    need = 2;
                    effect = -1;
                }
            }
            if (depth < need) {
                if (underflows.insert(at).second)
                    report(at,
                        "pops " + std::to_string(need) + " values with " + std::to_string(depth)
                            + " on the stack");
                continue;
            }
            for (std::uint32_t t : targets)
                reach(t, depth + effect);
            if (fallsThrough) {
                if (next >= end)
                    report(at, "runs off the end of " + p_.functionName(index));
                else
                    reach(next, depth + effect);
            }
        }
    }

    const Container& p_;
    std::set<std::uint32_t> boundaries_;
    std::vector<Issue> issues_;
};

} // namespace

std::vector<Issue> Verifier::verify(const Container& program)
{
    return Checker(program).run();
}

} // namespace scenarioc
