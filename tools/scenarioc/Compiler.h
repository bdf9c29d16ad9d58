#pragma once

#include "tools/scenarioc/Container.h"

#include <string>
#include <vector>

namespace scenarioc {

struct SourceFile {
    std::string name; // used in messages
    std::string text;
};

// Compiles scenario sources (one program, its declarations spread over the files
// in the order given) into a container. Errors read "file:line: message"; the first
// one stops the compilation. The result is checked by Verifier before it is
// handed out, so a fault of the compiler itself is reported too.
class Compiler {
public:
    static bool compile(const std::vector<SourceFile>& sources, Container& out, std::string& error);
};

} // namespace scenarioc
