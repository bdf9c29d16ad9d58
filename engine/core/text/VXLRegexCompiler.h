#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/text/VXLRegex.h"

#include <cstdint>

// Builds a CVXLRegex's node program from a pattern in two passes: the first
// counts the program's size, the second emits exactly that many bytes.
//
// Node: opcode byte, 16-bit offset to the next node (high byte first, 0 for
// none; BACK links backwards), then the operand. Programs larger than the
// 16-bit offsets can address fail to compile.
class CVXLRegexCompiler : public CVXLObject {
public:
    CVXLRegexCompiler() = default;

    // 1 when compiled, else 0 with an empty program.
    int compile(const char* pattern);
    const CVXLRegex& regex() const { return regex_; }

    // Compiles into the given expression, whose state must already be clear.
    static int compileInto(CVXLRegex& regex, const char* pattern);

private:
    CVXLRegex regex_;
};
