#include "tools/scenarioc/Disassembler.h"

#include "tools/scenarioc/Builtins.h"
#include "tools/scenarioc/Opcodes.h"
#include "tools/scenarioc/Verifier.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>

namespace scenarioc {

namespace {

const char* mnemonic(std::uint8_t op)
{
    switch (op) {
    case kOpNop:
        return "nop";
    case kOpPop:
        return "pop";
    case kOpAssign:
        return "assign";
    case kOpEq:
        return "eq";
    case kOpNe:
        return "ne";
    case kOpLt:
        return "lt";
    case kOpGt:
        return "gt";
    case kOpLe:
        return "le";
    case kOpGe:
        return "ge";
    case kOpAdd:
        return "add";
    case kOpSub:
        return "sub";
    case kOpMul:
        return "mul";
    case kOpDiv:
        return "div";
    case kOpMod:
        return "mod";
    case kOpNeg:
        return "neg";
    case kOpNot:
        return "not";
    case kOpReturn:
        return "return";
    case kOpScreenReturn:
        return "return.screen";
    case kOpHalt:
        return "halt";
    case kOpExit:
        return "exit";
    case kOpPushVarNumber:
        return "varnum";
    case kOpPushVar:
        return "load";
    case kOpPushNumber:
        return "push";
    case kOpPushString:
        return "string";
    case kOpSwitch:
        return "switch";
    case kOpSwitchEvent:
        return "switch.event";
    case kOpCall:
        return "call";
    case kOpCallScreen:
        return "call.screen";
    case kOpBuiltin:
        return "builtin";
    case kOpJump:
        return "jump";
    case kOpJumpFalse:
        return "jump.false";
    case kOpJumpTrue:
        return "jump.true";
    case kOpAnd:
        return "and";
    case kOpOr:
        return "or";
    default:
        return "?";
    }
}

std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", static_cast<unsigned char>(c));
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string offset(std::uint32_t at)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04u", at);
    return buf;
}

class Lister {
public:
    explicit Lister(const Container& p)
        : p_(p)
    {
        for (const Issue& i : Verifier::verify(p))
            issues_.emplace(i.offset, i.message);
        for (const FunctionRecord& f : p.functions)
            starts_.insert(f.start);
    }

    std::string run()
    {
        header();
        functionTable();
        for (std::size_t i = 0; i < p_.functions.size(); ++i)
            function(i);
        unowned();
        strings();
        issueSummary();
        return out_.str();
    }

private:
    void header()
    {
        out_ << "program " << quoted(p_.name) << "  version " << quoted(p_.version) << "\n";
        out_ << "globals " << p_.globalCount << ", entry function " << p_.entryFunction << " ("
             << p_.functionName(p_.entryFunction) << ")\n";
        std::size_t defaults = 0;
        for (const SwitchRecord& s : p_.switches)
            defaults += s.defaultCase != kNoCase ? 1 : 0;
        out_ << p_.code.size() << " code bytes, " << p_.functions.size() << " functions, "
             << p_.switches.size() << " switch tables, " << p_.cases.size() << " case records (" << defaults
             << " defaults), " << p_.strings.size() << " strings\n";
        auto table = issues_.equal_range(kNoOffset);
        for (auto it = table.first; it != table.second; ++it)
            out_ << "!! " << it->second << "\n";
    }

    void functionTable()
    {
        out_ << "\nfunctions:\n   #  params frame screen start  name\n";
        for (std::size_t i = 0; i < p_.functions.size(); ++i) {
            const FunctionRecord& f = p_.functions[i];
            char buf[64];
            std::snprintf(
                buf, sizeof buf, "%4zu  %6u %5u %6u %5u  ", i, f.paramCount, f.frameSize, f.screen, f.start);
            out_ << buf << p_.functionName(i) << "\n";
        }
    }

    std::uint32_t endOf(std::uint32_t start) const
    {
        auto it = starts_.upper_bound(start);
        return it == starts_.end() ? static_cast<std::uint32_t>(p_.code.size()) : *it;
    }

    std::string variable(std::int32_t v, const FunctionRecord* f) const
    {
        if (v >= 0)
            return "global " + std::to_string(v);
        if (f == nullptr || -v > f->frameSize)
            return "frame " + std::to_string(v) + " (outside the frame)";
        const int slot = f->frameSize + v;
        if (slot < f->paramCount)
            return "param " + std::to_string(slot);
        return "local " + std::to_string(slot - f->paramCount);
    }

    void function(std::size_t index)
    {
        const FunctionRecord& f = p_.functions[index];
        out_ << "\nfunction " << index << " " << p_.functionName(index) << " (params " << f.paramCount
             << ", frame " << f.frameSize << ", " << (f.screen ? "screen" : "plain") << ")\n";
        code(f.start, endOf(f.start), &f);
    }

    void unowned()
    {
        const std::uint32_t first
            = starts_.empty() ? static_cast<std::uint32_t>(p_.code.size()) : *starts_.begin();
        if (first > 0) {
            out_ << "\ncode before the first function:\n";
            code(0, first, nullptr);
        }
    }

    void code(std::uint32_t begin, std::uint32_t end, const FunctionRecord* f)
    {
        for (std::uint32_t at = begin; at < end;) {
            Instruction in;
            if (!decodeInstruction(p_.code, at, in)) {
                out_ << "  " << offset(at) << "  (truncated instruction)\n";
                flagged(at);
                break;
            }
            line(in, f);
            flagged(at);
            at += in.size;
        }
    }

    void flagged(std::uint32_t at)
    {
        auto range = issues_.equal_range(at);
        for (auto it = range.first; it != range.second; ++it)
            out_ << "        !! " << it->second << "\n";
    }

    void line(const Instruction& in, const FunctionRecord* f)
    {
        char head[48];
        std::snprintf(
            head, sizeof head, "  %s  %3u %-13s", offset(in.offset).c_str(), in.op, mnemonic(in.op));
        out_ << head;
        switch (in.op) {
        case kOpPushVarNumber:
        case kOpPushVar:
            out_ << in.operand << "  " << variable(in.operand, f);
            break;
        case kOpPushNumber:
            out_ << in.operand;
            break;
        case kOpPushString:
            out_ << "[" << in.index() << "] "
                 << (in.index() < p_.strings.size() ? quoted(p_.strings[in.index()]) : "(no such string)");
            break;
        case kOpCall:
        case kOpCallScreen:
            out_ << in.index() << " "
                 << (in.index() < p_.functions.size() ? p_.functionName(in.index()) : "(no such function)");
            break;
        case kOpBuiltin:
            if (const Builtin* b = builtinByIndex(in.index()))
                out_ << in.index() << " " << b->name;
            else
                out_ << in.index() << " (no such built-in)";
            break;
        case kOpSwitch:
        case kOpSwitchEvent:
            out_ << "table " << in.index();
            out_ << "\n";
            switchTable(in.index());
            return;
        default:
            if (hasOperand(in.op)) {
                if (in.op >= kOpJump && in.op <= kOpOr)
                    out_ << "-> "
                         << offset(static_cast<std::uint32_t>(static_cast<std::uint16_t>(in.operand)));
                else
                    out_ << in.operand;
            }
        }
        out_ << "\n";
    }

    void switchTable(std::uint16_t index)
    {
        if (index >= p_.switches.size()) {
            out_ << "          (no such table)\n";
            return;
        }
        const SwitchRecord& s = p_.switches[index];
        std::map<std::uint16_t, std::vector<std::int16_t>> byTarget;
        std::vector<std::uint16_t> order;
        for (std::uint32_t c = 0; c < s.caseCount; ++c) {
            const CaseRecord& k = p_.cases[s.firstCase + c];
            if (byTarget[k.target].empty())
                order.push_back(k.target);
            byTarget[k.target].push_back(k.key);
        }
        for (std::uint16_t target : order) {
            out_ << "          case";
            const auto& keys = byTarget[target];
            for (std::size_t i = 0; i < keys.size(); ++i)
                out_ << (i ? ", " : " ") << keys[i];
            out_ << " -> " << offset(target) << "\n";
        }
        if (s.defaultCase != kNoCase)
            out_ << "          default -> " << offset(p_.cases[s.defaultCase].target) << "\n";
        else
            out_ << "          (no default: go on)\n";
    }

    void strings()
    {
        out_ << "\nstrings:\n";
        for (std::size_t i = 0; i < p_.strings.size(); ++i)
            out_ << "  [" << i << "] " << quoted(p_.strings[i]) << "\n";
    }

    void issueSummary()
    {
        if (issues_.empty())
            out_ << "\nno problems found\n";
        else
            out_ << "\n!! " << issues_.size() << " problem(s) found\n";
    }

    const Container& p_;
    std::multimap<std::uint32_t, std::string> issues_;
    std::set<std::uint32_t> starts_;
    std::ostringstream out_;
};

} // namespace

std::string Disassembler::listing(const Container& program)
{
    return Lister(program).run();
}

} // namespace scenarioc
