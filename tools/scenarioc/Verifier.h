#pragma once

#include "tools/scenarioc/Container.h"

#include <cstdint>
#include <string>
#include <vector>

namespace scenarioc {

struct Instruction {
    std::uint32_t offset = 0;
    std::uint8_t op = 0;
    std::int32_t operand = 0; // the 16-bit operand widened as a signed value
    std::uint32_t size = 1;

    std::uint16_t index() const { return static_cast<std::uint16_t>(operand); }
};

// Decodes the instruction at offset; false when its operand runs past the code.
bool decodeInstruction(const std::vector<std::uint8_t>& code, std::uint32_t offset, Instruction& out);

struct Issue {
    std::uint32_t offset; // code offset, or kNoOffset for a table entry
    std::string message;
};

inline constexpr std::uint32_t kNoOffset = 0xFFFFFFFFu;

// Checks what the tables cannot show by themselves: every operand in range, every
// jump and case target on an instruction boundary inside its function, and the
// value stack never popped below its floor (followed through every path of each
// function, so a join reached with two different depths is reported too).
class Verifier {
public:
    static std::vector<Issue> verify(const Container& program);
};

} // namespace scenarioc
