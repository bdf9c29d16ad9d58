#pragma once

#include "tools/scenarioc/Container.h"

#include <string>

namespace scenarioc {

// A readable listing of a container: header, function table, every function's
// code in index order with resolved operands, jump targets and switch tables,
// and the string constants. Whatever Verifier finds is marked "!!" at its place
// and counted at the end.
class Disassembler {
public:
    static std::string listing(const Container& program);
};

} // namespace scenarioc
