#include "engine/core/text/VXLRegex.h"

#include "engine/core/text/VXLRegexCompiler.h"

namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFu;
constexpr std::uint32_t kNodeSize = 3;

} // namespace

struct CVXLRegex::MatchState {
    const std::uint8_t* code;
    const char* input;
    std::uint64_t budget;
    std::uint64_t steps = 0;
    int depth = 0;
    // Set when the recursion limit or the budget was reached: the whole
    // search then fails.
    bool aborted = false;

    bool spend(std::uint64_t n)
    {
        steps += n;
        if (steps > budget)
            aborted = true;
        return !aborted;
    }

    std::uint8_t op(std::uint32_t node) const { return code[node]; }
    const char* operand(std::uint32_t node) const
    {
        return reinterpret_cast<const char*>(code + node + kNodeSize);
    }
    std::uint32_t next(std::uint32_t node) const
    {
        const std::uint32_t offset = (std::uint32_t(code[node + 1]) << 8) | code[node + 2];
        if (offset == 0)
            return kNone;
        return code[node] == kBack ? node - offset : node + offset;
    }
};

void CVXLRegex::reset()
{
    clearGroups();
    subjectStart_ = nullptr;
    firstByte_ = 0;
    anchored_ = 0;
    requiredOffset_ = 0;
    requiredLength_ = 0;
    program_.clear();
}

void CVXLRegex::clearGroups()
{
    for (int i = 0; i < kSlots; ++i) {
        groupStarts_[i] = nullptr;
        groupEnds_[i] = nullptr;
    }
}

int CVXLRegex::compile(const char* pattern)
{
    reset();
    return CVXLRegexCompiler::compileInto(*this, pattern);
}

CVXLRegex CVXLRegex::fromPattern(const char* pattern)
{
    CVXLRegexCompiler compiler;
    compiler.compile(pattern);
    return compiler.regex();
}

int CVXLRegex::exec(const char* subject)
{
    return execFrom(subject, 0);
}

int CVXLRegex::execFrom(const char* subject, std::uint32_t start)
{
    // Slots from an earlier search would point into another text.
    clearGroups();
    subjectStart_ = subject;
    if (!subject || !isCompiled())
        return 0;
    const std::size_t length = vxlStrLen(subject);
    if (start > length)
        return 0;
    const char* from = subject + start;
    if (requiredLength_ > 0
        && !vxlStrStr(from, reinterpret_cast<const char*>(program_.data() + requiredOffset_)))
        return 0;

    MatchState state {program_.data(), nullptr, kMatchStepsBase + kMatchStepsPerByte * length};
    if (anchored_)
        return start == 0 && tryAt(state, subject) ? 1 : 0;
    if (firstByte_ != 0) {
        for (const char* s = vxlStrChr(from, firstByte_); s && !state.aborted;
             s = vxlStrChr(s + 1, firstByte_)) {
            if (tryAt(state, s))
                return 1;
        }
        return 0;
    }
    // Every position up to and including the terminating NUL.
    for (const char* s = from; !state.aborted; ++s) {
        if (tryAt(state, s))
            return 1;
        if (*s == '\0')
            break;
    }
    return 0;
}

bool CVXLRegex::tryAt(MatchState& state, const char* position)
{
    clearGroups();
    state.input = position;
    if (!match(state, 0) || state.aborted) {
        clearGroups();
        return false;
    }
    groupStarts_[0] = position;
    groupEnds_[0] = state.input;
    return true;
}

bool CVXLRegex::match(MatchState& state, std::uint32_t node)
{
    if (state.aborted)
        return false;
    if (state.depth >= kMaxMatchDepth) {
        state.aborted = true;
        return false;
    }
    ++state.depth;
    const bool matched = walk(state, node);
    --state.depth;
    return matched && !state.aborted;
}

// Follows the next links from node; recurses only where a later failure must
// come back to try something else.
bool CVXLRegex::walk(MatchState& state, std::uint32_t node)
{
    for (std::uint32_t scan = node; scan != kNone;) {
        if (!state.spend(1))
            return false;
        std::uint32_t next = state.next(scan);
        const std::uint8_t op = state.op(scan);
        const char* in = state.input;
        switch (op) {
        case kEnd:
            return true;
        case kBol:
            if (in != subjectStart_)
                return false;
            break;
        case kEol:
            if (*in != '\0')
                return false;
            break;
        case kAny:
            if (*in == '\0')
                return false;
            ++state.input;
            break;
        case kExactly: {
            const char* text = state.operand(scan);
            std::uint32_t i = 0;
            for (; text[i] != '\0'; ++i) {
                if (in[i] != text[i])
                    return false;
            }
            state.input += i;
            break;
        }
        case kAnyOf:
            if (*in == '\0' || !vxlStrChr(state.operand(scan), *in))
                return false;
            ++state.input;
            break;
        case kAnyBut:
            if (*in == '\0' || vxlStrChr(state.operand(scan), *in))
                return false;
            ++state.input;
            break;
        case kNothing:
        case kBack:
            break;
        case kBranch:
            if (next == kNone || state.op(next) != kBranch) {
                next = scan + kNodeSize;
                break;
            }
            for (std::uint32_t alternative = scan; alternative != kNone && state.op(alternative) == kBranch;
                 alternative = state.next(alternative)) {
                state.input = in;
                if (match(state, alternative + kNodeSize))
                    return true;
                if (state.aborted)
                    return false;
            }
            state.input = in;
            return false;
        case kStar:
        case kPlus: {
            // Count the run without recursion, then back off one at a time.
            const char follow = next != kNone && state.op(next) == kExactly ? *state.operand(next) : '\0';
            const std::uint32_t least = op == kStar ? 0 : 1;
            std::uint32_t count = repeat(state, scan + kNodeSize);
            if (!state.spend(count))
                return false;
            for (;;) {
                if (count < least || !state.spend(1))
                    return false;
                state.input = in + count;
                if ((follow == '\0' || *state.input == follow) && match(state, next))
                    return true;
                if (state.aborted || count == 0)
                    return false;
                --count;
            }
        }
        default:
            if (op > kOpen && op <= kOpen + kMaxGroups) {
                if (!match(state, next))
                    return false;
                // The deepest (last) setting wins; earlier ones keep it.
                if (!groupStarts_[op - kOpen])
                    groupStarts_[op - kOpen] = in;
                return true;
            }
            if (op > kClose && op <= kClose + kMaxGroups) {
                if (!match(state, next))
                    return false;
                if (!groupEnds_[op - kClose])
                    groupEnds_[op - kClose] = in;
                return true;
            }
            return false; // not a node of ours
        }
        scan = next;
    }
    return false;
}

// How many times in a row the single-byte node matches at the input.
std::uint32_t CVXLRegex::repeat(MatchState& state, std::uint32_t node) const
{
    const char* in = state.input;
    const char* operand = state.operand(node);
    switch (state.op(node)) {
    case kAny:
        return static_cast<std::uint32_t>(vxlStrLen(in));
    case kExactly: {
        std::uint32_t n = 0;
        while (in[n] == *operand && in[n] != '\0')
            ++n;
        return n;
    }
    case kAnyOf:
        return static_cast<std::uint32_t>(vxlSpan(in, operand));
    case kAnyBut:
        return static_cast<std::uint32_t>(vxlComplementSpan(in, operand));
    default:
        return 0;
    }
}

int CVXLRegex::matches(const char* subject)
{
    return isCompiled() ? exec(subject) : 0;
}

int CVXLRegex::matches(const CVXLString& subject)
{
    return matches(subject.c_str());
}

int CVXLRegex::groupStart(int n) const
{
    if (n < 0 || n >= kSlots || !groupStarts_[n] || !groupEnds_[n] || !subjectStart_)
        return 0;
    return static_cast<int>(groupStarts_[n] - subjectStart_);
}

int CVXLRegex::groupLength(int n) const
{
    if (n < 0 || n >= kSlots || !groupStarts_[n] || !groupEnds_[n] || groupEnds_[n] < groupStarts_[n])
        return 0;
    return static_cast<int>(groupEnds_[n] - groupStarts_[n]);
}

CVXLString CVXLRegex::group(int n, const CVXLString& subject) const
{
    if (!isCompiled())
        return CVXLString();
    return subject.substr(groupStart(n), static_cast<std::uint32_t>(groupLength(n)));
}

int vxlRegexMatch(const char* pattern, const char* subject)
{
    CVXLRegex regex;
    if (!regex.compile(pattern))
        return 0;
    return regex.exec(subject);
}

int vxlRegexMatch(const char* pattern, const CVXLString& subject)
{
    return vxlRegexMatch(pattern, subject.c_str());
}

CVXLString replaceAll(CVXLRegex& regex, const CVXLString& replacement, const CVXLString& subject)
{
    if (!regex.isCompiled())
        return subject;
    // Searching the subject rather than the growing result keeps every
    // inserted replacement out of later searches and '^' at the real start.
    const char* text = subject.c_str();
    CVXLString result;
    std::uint32_t done = 0;
    while (regex.execFrom(text, done)) {
        const std::uint32_t at = static_cast<std::uint32_t>(regex.groupStart(0));
        const std::uint32_t length = static_cast<std::uint32_t>(regex.groupLength(0));
        if (length == 0)
            break;
        result.appendBytes(text + done, at - done);
        result += replacement;
        done = at + length;
    }
    if (done == 0)
        return subject;
    result.appendBytes(text + done, subject.length() - done);
    return result;
}

CVXLString replaceAll(CVXLRegex& regex, const char* replacement, const char* subject)
{
    return replaceAll(regex, CVXLString(replacement), CVXLString(subject));
}

CVXLString vxlRegexReplaceAll(const char* pattern, const char* replacement, const CVXLString& subject)
{
    CVXLRegex regex;
    regex.compile(pattern);
    return replaceAll(regex, CVXLString(replacement), subject);
}
