#include "engine/core/text/VXLRegexCompiler.h"

namespace {

using Op = CVXLRegex::Opcode;

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::uint32_t kNodeSize = 3;
constexpr const char* kMetaBytes = "^$.[()|?+*\\";

// Width flags of a compiled piece.
constexpr int kHasWidth = 1; // never matches the empty string
constexpr int kSingleByte = 2; // matches exactly one byte
constexpr int kStartsWithRepeat = 4;

bool isRepeat(char c)
{
    return c == '*' || c == '+' || c == '?';
}

// One pass over the pattern. Without code it only counts the size.
struct Parser {
    const char* at;
    std::uint8_t* code;
    std::uint32_t size = 0;
    int groups = 0;
    bool failed = false;

    Parser(const char* pattern, std::uint8_t* out)
        : at(pattern)
        , code(out)
    {
    }

    std::uint32_t fail()
    {
        failed = true;
        return kNone;
    }

    // Counting stops growing past the limit so a huge pattern cannot wrap it.
    void grow(std::uint32_t n)
    {
        if (size <= CVXLRegex::kMaxProgramSize)
            size += n;
        else
            failed = true;
    }

    std::uint32_t node(std::uint8_t op)
    {
        const std::uint32_t pos = size;
        if (code) {
            code[pos] = op;
            code[pos + 1] = 0;
            code[pos + 2] = 0;
        }
        grow(kNodeSize);
        return pos;
    }

    void byte(std::uint8_t b)
    {
        if (code)
            code[size] = b;
        grow(1);
    }

    // Puts a node in front of the operand that starts at pos.
    void insertBefore(std::uint8_t op, std::uint32_t pos)
    {
        if (code) {
            for (std::uint32_t i = size; i > pos; --i)
                code[i - 1 + kNodeSize] = code[i - 1];
            code[pos] = op;
            code[pos + 1] = 0;
            code[pos + 2] = 0;
        }
        grow(kNodeSize);
    }

    std::uint32_t next(std::uint32_t pos) const
    {
        const std::uint32_t offset = (std::uint32_t(code[pos + 1]) << 8) | code[pos + 2];
        if (offset == 0)
            return kNone;
        return code[pos] == Op::kBack ? pos - offset : pos + offset;
    }

    // Links the last node of the chain starting at pos to target.
    void tail(std::uint32_t pos, std::uint32_t target)
    {
        if (!code || pos == kNone || target == kNone)
            return;
        std::uint32_t last = pos;
        for (std::uint32_t n = next(last); n != kNone; n = next(last))
            last = n;
        const std::uint32_t offset = code[last] == Op::kBack ? last - target : target - last;
        code[last + 1] = static_cast<std::uint8_t>(offset >> 8);
        code[last + 2] = static_cast<std::uint8_t>(offset);
    }

    // tail() on the operand of a BRANCH node; other nodes have none to link.
    void operandTail(std::uint32_t pos, std::uint32_t target)
    {
        if (!code || pos == kNone || code[pos] != Op::kBranch)
            return;
        tail(pos + kNodeSize, target);
    }

    std::uint32_t expression(bool group, int& flags);
    std::uint32_t branch(int& flags);
    std::uint32_t piece(int& flags);
    std::uint32_t atom(int& flags);
    std::uint32_t set();
};

// Alternatives separated by '|', each a BRANCH node; the expression's end
// (END, or CLOSE for a group) follows every alternative.
std::uint32_t Parser::expression(bool group, int& flags)
{
    flags = kHasWidth;
    int number = 0;
    std::uint32_t first = kNone;
    if (group) {
        if (groups >= CVXLRegex::kMaxGroups)
            return fail();
        number = ++groups;
        first = node(static_cast<std::uint8_t>(Op::kOpen + number));
    }

    int branchFlags = 0;
    std::uint32_t alternative = branch(branchFlags);
    if (alternative == kNone)
        return fail();
    if (first == kNone)
        first = alternative;
    else
        tail(first, alternative);
    for (;;) {
        if (!(branchFlags & kHasWidth))
            flags &= ~kHasWidth;
        flags |= branchFlags & kStartsWithRepeat;
        if (*at != '|')
            break;
        ++at;
        alternative = branch(branchFlags);
        if (alternative == kNone)
            return fail();
        tail(first, alternative);
    }

    const std::uint32_t end
        = node(group ? static_cast<std::uint8_t>(Op::kClose + number) : static_cast<std::uint8_t>(Op::kEnd));
    tail(first, end);
    if (code) {
        for (std::uint32_t b = first; b != kNone && b != end; b = next(b))
            operandTail(b, end);
    }

    if (group) {
        if (*at != ')')
            return fail();
        ++at;
    } else if (*at != '\0') {
        return fail(); // a ')' without its '('
    }
    return failed ? kNone : first;
}

std::uint32_t Parser::branch(int& flags)
{
    flags = 0;
    const std::uint32_t start = node(Op::kBranch);
    std::uint32_t chain = kNone;
    while (*at != '\0' && *at != '|' && *at != ')') {
        int pieceFlags = 0;
        const std::uint32_t latest = piece(pieceFlags);
        if (latest == kNone)
            return fail();
        flags |= pieceFlags & kHasWidth;
        if (chain == kNone)
            flags |= pieceFlags & kStartsWithRepeat;
        else
            tail(chain, latest);
        chain = latest;
    }
    if (chain == kNone)
        node(Op::kNothing);
    return start;
}

std::uint32_t Parser::piece(int& flags)
{
    int atomFlags = 0;
    const std::uint32_t start = atom(atomFlags);
    if (start == kNone)
        return kNone;
    const char op = *at;
    if (!isRepeat(op)) {
        flags = atomFlags;
        return start;
    }
    // Repeating what can match nothing would loop without consuming.
    if (!(atomFlags & kHasWidth) && op != '?')
        return fail();
    flags = op == '*' ? kStartsWithRepeat : op == '+' ? (kHasWidth | kStartsWithRepeat) : 0;

    if (op == '*' && (atomFlags & kSingleByte)) {
        insertBefore(Op::kStar, start);
    } else if (op == '*') {
        // BRANCH(x, BACK to the BRANCH) BRANCH(NOTHING)
        insertBefore(Op::kBranch, start);
        operandTail(start, node(Op::kBack));
        operandTail(start, start);
        tail(start, node(Op::kBranch));
        tail(start, node(Op::kNothing));
    } else if (op == '+' && (atomFlags & kSingleByte)) {
        insertBefore(Op::kPlus, start);
    } else if (op == '+') {
        // x BRANCH(BACK to x) BRANCH(NOTHING)
        const std::uint32_t loop = node(Op::kBranch);
        tail(start, loop);
        tail(node(Op::kBack), start);
        tail(loop, node(Op::kBranch));
        tail(start, node(Op::kNothing));
    } else {
        // BRANCH(x) BRANCH(NOTHING)
        insertBefore(Op::kBranch, start);
        tail(start, node(Op::kBranch));
        const std::uint32_t nothing = node(Op::kNothing);
        tail(start, nothing);
        operandTail(start, nothing);
    }
    ++at;
    if (isRepeat(*at))
        return fail();
    return start;
}

std::uint32_t Parser::atom(int& flags)
{
    flags = 0;
    const char c = *at;
    switch (c) {
    case '\0':
    case '|':
    case ')':
    case '*':
    case '+':
    case '?':
        return fail();
    case '^':
        ++at;
        return node(Op::kBol);
    case '$':
        ++at;
        return node(Op::kEol);
    case '.':
        ++at;
        flags = kHasWidth | kSingleByte;
        return node(Op::kAny);
    case '[':
        ++at;
        flags = kHasWidth | kSingleByte;
        return set();
    case '(': {
        ++at;
        int groupFlags = 0;
        const std::uint32_t start = expression(true, groupFlags);
        if (start == kNone)
            return fail();
        flags = groupFlags & (kHasWidth | kStartsWithRepeat);
        return start;
    }
    case '\\': {
        if (at[1] == '\0')
            return fail();
        const std::uint32_t start = node(Op::kExactly);
        byte(static_cast<std::uint8_t>(at[1]));
        byte(0);
        at += 2;
        flags = kHasWidth | kSingleByte;
        return start;
    }
    default:
        break;
    }
    std::uint32_t length = static_cast<std::uint32_t>(vxlComplementSpan(at, kMetaBytes));
    if (length == 0)
        return fail();
    // The operator after a run applies to its last byte alone.
    if (length > 1 && isRepeat(at[length]))
        --length;
    flags = kHasWidth | (length == 1 ? kSingleByte : 0);
    const std::uint32_t start = node(Op::kExactly);
    for (std::uint32_t i = 0; i < length && !failed; ++i)
        byte(static_cast<std::uint8_t>(*at++));
    byte(0);
    return failed ? kNone : start;
}

// After the '['. Ranges compare bytes as signed values.
std::uint32_t Parser::set()
{
    std::uint32_t start;
    if (*at == '^') {
        ++at;
        start = node(Op::kAnyBut);
    } else {
        start = node(Op::kAnyOf);
    }
    if (*at == ']' || *at == '-')
        byte(static_cast<std::uint8_t>(*at++));
    while (*at != '\0' && *at != ']' && !failed) {
        if (*at != '-') {
            byte(static_cast<std::uint8_t>(*at++));
            continue;
        }
        ++at;
        if (*at == ']' || *at == '\0') {
            byte('-');
            continue;
        }
        const int from = static_cast<signed char>(at[-2]);
        const int to = static_cast<signed char>(at[0]);
        if (to < from)
            return fail();
        // The NUL ends the set in the program, and no subject byte is NUL.
        for (int b = from + 1; b <= to; ++b) {
            if (b != 0)
                byte(static_cast<std::uint8_t>(b));
        }
        ++at;
    }
    byte(0);
    if (*at != ']')
        return fail();
    ++at;
    return failed ? kNone : start;
}

} // namespace

int CVXLRegexCompiler::compile(const char* pattern)
{
    regex_.reset();
    return compileInto(regex_, pattern);
}

int CVXLRegexCompiler::compileInto(CVXLRegex& regex, const char* pattern)
{
    if (!pattern)
        return 0;
    int flags = 0;
    Parser counting(pattern, nullptr);
    if (counting.expression(false, flags) == kNone || counting.failed
        || counting.size > CVXLRegex::kMaxProgramSize)
        return 0;

    const std::uint32_t size = counting.size;
    auto* code = static_cast<std::uint8_t*>(vxlAlloc(size));
    if (!code)
        return 0;
    Parser emitting(pattern, code);
    if (emitting.expression(false, flags) == kNone || emitting.failed || emitting.size != size) {
        vxlFree(code);
        return 0;
    }

    // Prefilters, for a single top-level alternative only: the next node of
    // the first BRANCH is then the END.
    const std::uint32_t second = emitting.next(0);
    if (second != kNone && code[second] == Op::kEnd) {
        const std::uint32_t first = kNodeSize;
        if (code[first] == Op::kExactly)
            regex.firstByte_ = static_cast<std::int8_t>(code[first + kNodeSize]);
        else if (code[first] == Op::kBol)
            regex.anchored_ = 1;
        if (flags & kStartsWithRepeat) {
            std::uint32_t longest = 0;
            for (std::uint32_t n = first; n != kNone; n = emitting.next(n)) {
                if (code[n] != Op::kExactly)
                    continue;
                const std::uint32_t length = static_cast<std::uint32_t>(
                    vxlStrLen(reinterpret_cast<const char*>(code + n + kNodeSize)));
                if (length > longest) {
                    longest = length;
                    regex.requiredOffset_ = n + kNodeSize;
                }
            }
            regex.requiredLength_ = longest;
        }
    }

    const bool stored = regex.program_.append(code, size);
    vxlFree(code);
    if (!stored) {
        regex.reset();
        return 0;
    }
    return 1;
}
