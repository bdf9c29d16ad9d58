#pragma once

#include <string_view>

namespace scenarioc {

// One built-in function of the stack machine, called by opcode 136 with its index.
struct Builtin {
    const char* name;
    int index;
    int argCount; // kVariableArgs: the values, then their count on top
    bool pushesResult;
};

inline constexpr int kVariableArgs = -1;
inline constexpr int kBuiltinCount = 46;

// The table in index order; nullptr when the name is not a built-in.
const Builtin* findBuiltin(std::string_view name);
const Builtin* builtinByIndex(int index);

} // namespace scenarioc
