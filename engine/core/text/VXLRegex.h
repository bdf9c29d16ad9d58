#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// A small backtracking regular-expression matcher over NUL-terminated 8-bit
// text: '^' '$' '.' sets, groups (up to ten), '|', '*' '+' '?' and '\' for a
// literal byte. The pattern compiles into a node program (see
// CVXLRegexCompiler); a pattern that does not compile gives an empty program,
// which never matches.
//
// The object keeps the group positions of its last search, so it serves one
// search at a time. Copies share the compiled program.
class CVXLRegex : public CVXLObject {
public:
    static constexpr int kMaxGroups = 10;
    static constexpr int kSlots = kMaxGroups + 1;
    // Nodes link by 16-bit offsets.
    static constexpr std::uint32_t kMaxProgramSize = 0xFFFF;
    // Nesting of the matcher's recursion (alternatives, groups, repetition
    // steps); a search that needs more ends with no match instead of running
    // off the stack on a long text (4000 levels use well under 1 MB).
    static constexpr int kMaxMatchDepth = 4000;
    // Work allowed to one search, in nodes visited: a base plus an amount per
    // subject byte. Nested repetitions can backtrack exponentially ("^([^:]+)+$"
    // over a long line); past the budget the search ends with no match.
    static constexpr std::uint64_t kMatchStepsBase = 1u << 20;
    static constexpr std::uint64_t kMatchStepsPerByte = 256;

    enum Opcode : std::uint8_t {
        kEnd = 0,
        kBol = 1,
        kEol = 2,
        kAny = 3,
        kAnyOf = 4,
        kAnyBut = 5,
        kBranch = 6,
        kBack = 7,
        kExactly = 8,
        kNothing = 9,
        kStar = 10,
        kPlus = 11,
        kOpen = 20, // kOpen + n for group n
        kClose = 40, // kClose + n
    };

    CVXLRegex() = default;
    CVXLRegex(const CVXLRegex&) = default;
    CVXLRegex& operator=(const CVXLRegex&) = default;
    ~CVXLRegex() override = default;

    // 1 when the pattern compiled, else 0 (and an empty program).
    int compile(const char* pattern);
    static CVXLRegex fromPattern(const char* pattern);

    // Leftmost match anywhere in the subject: 1 or 0.
    int exec(const char* subject);
    // The same, trying only positions from start on; '^' and the group
    // offsets still refer to the subject's first byte.
    int execFrom(const char* subject, std::uint32_t start);
    int matches(const char* subject);
    int matches(const CVXLString& subject);

    bool isCompiled() const { return program_.length() > 0; }
    const CVXLByteBuffer& program() const { return program_; }

    // Group 0 is the whole match. Unset groups and n outside 0..10 give 0.
    int groupStart(int n) const;
    int groupLength(int n) const;
    // The subject must be the text of the last search.
    CVXLString group(int n, const CVXLString& subject) const;

private:
    friend class CVXLRegexCompiler;
    struct MatchState;

    void reset();
    void clearGroups();
    bool tryAt(MatchState& state, const char* position);
    bool match(MatchState& state, std::uint32_t node);
    bool walk(MatchState& state, std::uint32_t node);
    std::uint32_t repeat(MatchState& state, std::uint32_t node) const;

    const char* subjectStart_ = nullptr;
    const char* groupStarts_[kSlots] = {};
    const char* groupEnds_[kSlots] = {};
    std::int8_t firstByte_ = 0;
    std::uint8_t anchored_ = 0;
    std::uint32_t requiredOffset_ = 0;
    std::uint32_t requiredLength_ = 0;
    CVXLByteBuffer program_;
};

int vxlRegexMatch(const char* pattern, const char* subject);
int vxlRegexMatch(const char* pattern, const CVXLString& subject);

// Replaces every match by the replacement text, left to right. The search
// goes on in the subject after each replaced match, so a replacement is never
// searched again, and an empty match ends the work (it would never advance).
// Without a compiled program the subject comes back unchanged.
CVXLString replaceAll(CVXLRegex& regex, const CVXLString& replacement, const CVXLString& subject);
CVXLString replaceAll(CVXLRegex& regex, const char* replacement, const char* subject);
CVXLString vxlRegexReplaceAll(const char* pattern, const char* replacement, const CVXLString& subject);
