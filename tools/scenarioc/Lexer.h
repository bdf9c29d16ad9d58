#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenarioc {

struct Token {
    enum Kind { kIdent, kNumber, kString, kPunct, kEnd };
    Kind kind = kEnd;
    std::string text; // identifier, punctuation or the decoded string literal
    std::int64_t number = 0;
    int line = 0;
};

// Splits one source file into tokens. Identifiers may contain '@' so that the
// built-ins keep their names ("@uij_get"); comments are // and /* */.
class Lexer {
public:
    // False with the line and a message when the text cannot be split.
    static bool tokenize(
        const std::string& text, std::vector<Token>& out, int& errorLine, std::string& error);
};

} // namespace scenarioc
