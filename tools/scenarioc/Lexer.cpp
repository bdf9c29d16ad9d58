#include "tools/scenarioc/Lexer.h"

#include <cctype>

namespace scenarioc {

namespace {

bool isIdentStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '@';
}

bool isIdentChar(char c)
{
    return isIdentStart(c) || std::isdigit(static_cast<unsigned char>(c));
}

} // namespace

bool Lexer::tokenize(const std::string& text, std::vector<Token>& out, int& errorLine, std::string& error)
{
    static const char* const kTwoCharPuncts[] = {"==", "!=", "<=", ">=", "&&", "||"};
    int line = 1;
    std::size_t i = 0;
    auto fail = [&](const std::string& message) {
        errorLine = line;
        error = message;
        return false;
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const int startLine = line;
            i += 2;
            while (i + 1 < text.size() && !(text[i] == '*' && text[i + 1] == '/')) {
                if (text[i] == '\n')
                    ++line;
                ++i;
            }
            if (i + 1 >= text.size()) {
                line = startLine;
                return fail("comment not closed");
            }
            i += 2;
        } else if (isIdentStart(c)) {
            Token t {Token::kIdent, {}, 0, line};
            while (i < text.size() && isIdentChar(text[i]))
                t.text += text[i++];
            out.push_back(std::move(t));
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            Token t {Token::kNumber, {}, 0, line};
            while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
                t.text += text[i];
                t.number = t.number * 10 + (text[i] - '0');
                if (t.number > 0xFFFFFF)
                    return fail("number " + t.text + "... is too large");
                ++i;
            }
            if (i < text.size() && isIdentChar(text[i]))
                return fail("malformed number " + t.text + text[i]);
            out.push_back(std::move(t));
        } else if (c == '"') {
            Token t {Token::kString, {}, 0, line};
            ++i;
            for (;;) {
                if (i >= text.size() || text[i] == '\n')
                    return fail("string not closed");
                char ch = text[i++];
                if (ch == '"')
                    break;
                if (ch == '\\') {
                    if (i >= text.size())
                        return fail("string not closed");
                    const char e = text[i++];
                    switch (e) {
                    case 'n':
                        ch = '\n';
                        break;
                    case 't':
                        ch = '\t';
                        break;
                    case '\\':
                        ch = '\\';
                        break;
                    case '"':
                        ch = '"';
                        break;
                    default:
                        return fail(std::string("unknown escape \\") + e + " in a string");
                    }
                }
                t.text += ch;
            }
            out.push_back(std::move(t));
        } else {
            Token t {Token::kPunct, std::string(1, c), 0, line};
            for (const char* two : kTwoCharPuncts) {
                if (i + 1 < text.size() && text[i] == two[0] && text[i + 1] == two[1])
                    t.text = two;
            }
            if (t.text.size() == 1 && std::string("(){},;:=+-*/%<>!").find(c) == std::string::npos)
                return fail(std::string("unexpected character '") + c + "'");
            i += t.text.size();
            out.push_back(std::move(t));
        }
    }
    out.push_back(Token {Token::kEnd, {}, 0, line});
    return true;
}

} // namespace scenarioc
