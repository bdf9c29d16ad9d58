#include "tools/scenarioc/Compiler.h"

#include "tools/scenarioc/Builtins.h"
#include "tools/scenarioc/Lexer.h"
#include "tools/scenarioc/Opcodes.h"
#include "tools/scenarioc/Verifier.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace scenarioc {

namespace {

constexpr int kMaxIndex = 0xFFFF;

struct CompileError {
    std::string file;
    int line;
    std::string message;
};

struct FunctionInfo {
    std::string name;
    int index = -1;
    bool screen = false;
    std::vector<std::string> params;
    std::string file;
    int line = 0;
    FunctionRecord record;
};

// A named number: it compiles to exactly what the number would.
struct Constant {
    int value;
    std::string file;
    int line;
};

struct CallFixup {
    std::uint32_t at; // the opcode byte
    std::string callee;
    std::size_t argCount;
    std::string file;
    int line;
};

struct SwitchInfo {
    std::vector<CaseRecord> cases;
    bool hasDefault = false;
    std::uint16_t defaultTarget = 0;
};

// Where break and continue go: a switch takes break, a wait takes both.
struct Construct {
    bool isWait;
    std::uint32_t waitStart;
    std::vector<std::uint32_t> breaks; // operand positions to patch with the end
};

class Unit {
public:
    // Notes every constant of a file before anything is compiled, so that a use
    // ahead of its definition can say where the definition is.
    void noteConstants(const std::string& file, const std::vector<Token>& tokens)
    {
        for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
            if (tokens[i].kind == Token::kIdent && tokens[i].text == "const"
                && tokens[i + 1].kind == Token::kIdent)
                declaredConstants_.emplace(
                    tokens[i + 1].text, file + ":" + std::to_string(tokens[i + 1].line));
        }
    }

    void declarations(const std::string& file, const std::vector<Token>& tokens)
    {
        file_ = file;
        toks_ = &tokens;
        pos_ = 0;
        while (peek().kind != Token::kEnd)
            declaration();
    }

    Container finish()
    {
        assignIndexes();
        if (code_.size() > kMaxCodeLength)
            fail("", 0,
                "the program's code is " + std::to_string(code_.size()) + " bytes; at most "
                    + std::to_string(kMaxCodeLength) + " can be addressed");
        if (switches_.size() > kMaxIndex + 1u)
            fail("", 0, "more switch tables than an operand can index");

        Container c;
        c.globalCount = static_cast<std::uint16_t>(globals_.size());
        c.name = programName_;
        c.version = version_;
        c.code = code_;

        for (const FunctionInfo* f : byIndex_) {
            FunctionRecord r = f->record;
            r.nameIndex = static_cast<std::uint32_t>(c.functionNames.size());
            c.functionNames.push_back(f->name);
            c.functions.push_back(r);
        }
        if (entryName_.empty()) {
            c.entryFunction = 0;
        } else {
            const FunctionInfo* e = lookupFunction(entryName_);
            if (e == nullptr)
                fail(entryFile_, entryLine_, "entry function " + entryName_ + " is not defined");
            c.entryFunction = static_cast<std::uint16_t>(e->index);
        }

        for (const CallFixup& fx : calls_) {
            const FunctionInfo* f = lookupFunction(fx.callee);
            if (f == nullptr)
                fail(fx.file, fx.line, "call of undefined function " + fx.callee);
            if (fx.argCount != f->params.size())
                fail(fx.file, fx.line,
                    fx.callee + " takes " + std::to_string(f->params.size()) + " arguments, not "
                        + std::to_string(fx.argCount));
            c.code[fx.at] = f->screen ? kOpCallScreen : kOpCall;
            putOperand(c.code, fx.at + 1, f->index);
        }

        // The string constants: the empty text first, then every literal once, in
        // byte order, so the table does not depend on the order of the sources.
        std::set<std::string> pool;
        for (const auto& [at, text] : stringFixups_)
            pool.insert(text);
        pool.erase("");
        c.strings.push_back("");
        c.strings.insert(c.strings.end(), pool.begin(), pool.end());
        if (c.strings.size() > kMaxIndex + 1u)
            fail("", 0, "more string constants than an operand can index");
        for (const auto& [at, text] : stringFixups_) {
            auto it = std::lower_bound(c.strings.begin() + 1, c.strings.end(), text);
            putOperand(c.code, at + 1, text.empty() ? 0 : static_cast<int>(it - c.strings.begin()));
        }

        // A default record lies just before its table's first case, with key 0.
        for (const SwitchInfo& s : switches_) {
            SwitchRecord r;
            if (s.hasDefault) {
                r.defaultCase = static_cast<std::uint32_t>(c.cases.size());
                c.cases.push_back({0, s.defaultTarget});
            }
            r.firstCase = static_cast<std::uint32_t>(c.cases.size());
            r.caseCount = static_cast<std::uint32_t>(s.cases.size());
            c.cases.insert(c.cases.end(), s.cases.begin(), s.cases.end());
            c.switches.push_back(r);
        }

        std::vector<Issue> issues = Verifier::verify(c);
        if (!issues.empty())
            fail("", 0,
                "internal error: the compiled code fails its check at offset "
                    + std::to_string(issues.front().offset) + ": " + issues.front().message);
        return c;
    }

private:
    [[noreturn]] static void fail(const std::string& file, int line, const std::string& message)
    {
        throw CompileError {file, line, message};
    }
    [[noreturn]] void fail(const Token& at, const std::string& message) const
    {
        fail(file_, at.line, message);
    }

    const Token& peek(std::size_t ahead = 0) const
    {
        const std::vector<Token>& t = *toks_;
        return t[std::min(pos_ + ahead, t.size() - 1)];
    }
    const Token& next()
    {
        const Token& t = peek();
        if (t.kind != Token::kEnd)
            ++pos_;
        return t;
    }
    bool isPunct(const char* p, std::size_t ahead = 0) const
    {
        return peek(ahead).kind == Token::kPunct && peek(ahead).text == p;
    }
    bool isWord(const char* w) const { return peek().kind == Token::kIdent && peek().text == w; }
    bool acceptPunct(const char* p)
    {
        if (!isPunct(p))
            return false;
        next();
        return true;
    }
    bool acceptWord(const char* w)
    {
        if (!isWord(w))
            return false;
        next();
        return true;
    }
    static std::string describe(const Token& t)
    {
        switch (t.kind) {
        case Token::kEnd:
            return "end of file";
        case Token::kString:
            return "string \"" + t.text + "\"";
        case Token::kNumber:
            return "number " + t.text;
        default:
            return "'" + t.text + "'";
        }
    }
    void expectPunct(const char* p)
    {
        if (!acceptPunct(p))
            fail(peek(), std::string("expected '") + p + "' but found " + describe(peek()));
    }
    std::string expectString(const char* what)
    {
        if (peek().kind != Token::kString)
            fail(peek(), std::string("expected ") + what + " (a string) but found " + describe(peek()));
        return next().text;
    }

    static bool isKeyword(const std::string& s)
    {
        static const std::set<std::string> kWords
            = {"program", "version", "entry", "global", "screen", "function", "var", "if", "else", "switch",
                "wait", "case", "default", "return", "halt", "exit", "break", "continue", "const"};
        return kWords.count(s) != 0;
    }
    std::string expectName(const char* what)
    {
        const Token& t = peek();
        if (t.kind != Token::kIdent || isKeyword(t.text))
            fail(t, std::string("expected ") + what + " but found " + describe(t));
        if (findBuiltin(t.text) != nullptr)
            fail(t, t.text + " is the name of a built-in");
        return next().text;
    }

    // --- declarations ---

    void declaration()
    {
        const Token& t = peek();
        if (acceptWord("program")) {
            programName_ = expectString("the program name");
            expectPunct(";");
        } else if (acceptWord("version")) {
            version_ = expectString("the version");
            expectPunct(";");
        } else if (acceptWord("entry")) {
            entryFile_ = file_;
            entryLine_ = t.line;
            entryName_ = expectName("the entry function's name");
            expectPunct(";");
        } else if (acceptWord("global")) {
            do {
                const Token& nameTok = peek();
                std::string name = expectName("a global's name");
                refuseConstantName(nameTok, name);
                if (globals_.count(name) != 0)
                    fail(nameTok, "global " + name + " is declared twice");
                if (globals_.size() >= 0x8000)
                    fail(nameTok, "too many globals");
                const int index = static_cast<int>(globals_.size());
                globals_[name] = index;
            } while (acceptPunct(","));
            expectPunct(";");
        } else if (acceptWord("const")) {
            constant();
        } else if (isWord("screen") || isWord("function")) {
            function();
        } else {
            fail(t,
                "expected a declaration (program, version, entry, global, const, function) but found "
                    + describe(t));
        }
    }

    void constant()
    {
        const Token& nameTok = peek();
        const std::string name = expectName("a constant's name");
        if (auto it = constants_.find(name); it != constants_.end())
            fail(nameTok,
                "constant " + name + " is defined twice (first at " + it->second.file + ":"
                    + std::to_string(it->second.line) + ")");
        if (globals_.count(name) != 0)
            fail(nameTok, name + " is already a global");
        if (functions_.count(name) != 0)
            fail(nameTok, name + " is already a function");
        expectPunct("=");
        const bool negative = acceptPunct("-");
        if (peek().kind != Token::kNumber)
            fail(peek(), "expected the value of " + name + " (a number) but found " + describe(peek()));
        const std::int64_t value = negative ? -next().number : next().number;
        if (value < -32768 || value > 32767)
            fail(nameTok,
                "constant " + name + " = " + std::to_string(value)
                    + " is not a 16-bit number (-32768 to 32767)");
        expectPunct(";");
        constants_[name] = {static_cast<int>(value), file_, nameTok.line};
    }

    // Globals, functions, parameters and variables cannot take a constant's name.
    void refuseConstantName(const Token& at, const std::string& name) const
    {
        if (constants_.count(name) != 0)
            fail(at, name + " is already a constant");
    }

    void function()
    {
        auto f = std::make_unique<FunctionInfo>();
        f->screen = acceptWord("screen");
        if (!acceptWord("function"))
            fail(peek(), "expected 'function' after 'screen'");
        if (peek().kind == Token::kNumber) {
            if (peek().number > kMaxIndex)
                fail(peek(), "function index " + peek().text + " is out of range");
            f->index = static_cast<int>(next().number);
        }
        const Token& nameTok = peek();
        f->name = expectName("a function name");
        f->file = file_;
        f->line = nameTok.line;
        refuseConstantName(nameTok, f->name);
        if (functions_.count(f->name) != 0)
            fail(nameTok, "function " + f->name + " is defined twice");
        if (globals_.count(f->name) != 0)
            fail(nameTok, f->name + " is already a global");
        expectPunct("(");
        if (!isPunct(")")) {
            do {
                const Token& p = peek();
                std::string name = expectName("a parameter name");
                refuseConstantName(p, name);
                if (std::find(f->params.begin(), f->params.end(), name) != f->params.end())
                    fail(p, "parameter " + name + " is named twice");
                f->params.push_back(name);
            } while (acceptPunct(","));
        }
        expectPunct(")");

        fn_ = f.get();
        locals_ = f->params;
        localFixups_.clear();
        f->record.start = static_cast<std::uint16_t>(code_.size());
        f->record.screen = f->screen ? 1 : 0;
        f->record.paramCount = static_cast<std::uint16_t>(f->params.size());

        if (!isPunct("{"))
            fail(peek(), "expected '{' to begin the body of " + f->name);
        if (statement()) {
            // Falling off the end returns 0.
            emit(kOpPushNumber, 0);
            emit(f->screen ? kOpScreenReturn : kOpReturn);
        }
        if (locals_.size() > 0x8000)
            fail(nameTok, f->name + " has too many variables");
        const int frameSize = static_cast<int>(locals_.size());
        f->record.frameSize = static_cast<std::uint16_t>(frameSize);
        for (const auto& [at, slot] : localFixups_)
            putOperand(code_, at + 1, slot - frameSize);
        functions_[f->name] = std::move(f);
        fn_ = nullptr;
    }

    void assignIndexes()
    {
        std::map<int, FunctionInfo*> taken;
        std::vector<FunctionInfo*> rest;
        std::vector<FunctionInfo*> all;
        for (auto& [name, f] : functions_)
            all.push_back(f.get());
        std::sort(all.begin(), all.end(),
            [](const FunctionInfo* a, const FunctionInfo* b) { return a->record.start < b->record.start; });
        for (FunctionInfo* f : all) {
            if (f->index < 0) {
                rest.push_back(f);
            } else if (!taken.emplace(f->index, f).second) {
                fail(f->file, f->line,
                    "function index " + std::to_string(f->index) + " is given to both "
                        + taken[f->index]->name + " and " + f->name);
            }
        }
        const int count = static_cast<int>(all.size());
        if (count > kMaxIndex + 1)
            fail("", 0, "too many functions");
        // Functions without an index take the free places in order of definition.
        std::size_t r = 0;
        for (int i = 0; i < count; ++i) {
            if (taken.count(i) == 0) {
                if (r >= rest.size())
                    break;
                rest[r]->index = i;
                taken[i] = rest[r++];
            }
        }
        for (auto& [index, f] : taken) {
            if (index >= count)
                fail(f->file, f->line,
                    "function index " + std::to_string(index) + " of " + f->name
                        + " leaves a gap: the program has " + std::to_string(count)
                        + " functions, numbered from 0");
            byIndex_.push_back(f);
        }
    }

    const FunctionInfo* lookupFunction(const std::string& name) const
    {
        auto it = functions_.find(name);
        return it == functions_.end() ? nullptr : it->second.get();
    }

    // --- statements; each returns whether control can reach the next statement ---

    bool block()
    {
        expectPunct("{");
        bool reachable = true;
        while (!isPunct("}")) {
            if (peek().kind == Token::kEnd)
                fail(peek(), "expected '}' before the end of the file");
            if (!reachable)
                fail(peek(), "statement can never run (it follows a return, halt, exit, break or continue)");
            reachable = statement();
        }
        next();
        return reachable;
    }

    bool statement()
    {
        const Token& t = peek();
        if (isPunct("{"))
            return block();
        if (acceptWord("var")) {
            do {
                const Token& nameTok = peek();
                std::string name = expectName("a variable name");
                refuseConstantName(nameTok, name);
                if (std::find(locals_.begin(), locals_.end(), name) != locals_.end())
                    fail(nameTok, name + " is already a variable of " + fn_->name);
                locals_.push_back(name);
                if (acceptPunct("="))
                    assignment(nameTok, name);
            } while (acceptPunct(","));
            expectPunct(";");
            return true;
        }
        if (acceptWord("if"))
            return ifStatement();
        if (acceptWord("switch")) {
            expectPunct("(");
            expression();
            expectPunct(")");
            return caseBlock(kOpSwitch, t);
        }
        if (acceptWord("wait"))
            return waitStatement(t);
        if (acceptWord("return")) {
            if (isPunct(";"))
                emit(kOpPushNumber, 0);
            else
                expression();
            expectPunct(";");
            emit(fn_->screen ? kOpScreenReturn : kOpReturn);
            return false;
        }
        if (acceptWord("halt")) {
            expectPunct(";");
            emit(kOpHalt);
            return false;
        }
        if (acceptWord("exit")) {
            expression();
            expectPunct(";");
            emit(kOpExit);
            return false;
        }
        if (acceptWord("break")) {
            expectPunct(";");
            if (constructs_.empty())
                fail(t, "break outside a switch or wait");
            emit(kOpJump, 0);
            constructs_.back().breaks.push_back(static_cast<std::uint32_t>(code_.size() - 3));
            return false;
        }
        if (acceptWord("continue")) {
            expectPunct(";");
            auto it = std::find_if(
                constructs_.rbegin(), constructs_.rend(), [](const Construct& c) { return c.isWait; });
            if (it == constructs_.rend())
                fail(t, "continue outside a wait");
            emit(kOpJump, static_cast<int>(it->waitStart));
            return false;
        }
        if (t.kind == Token::kIdent && isPunct("=", 1) && !isKeyword(t.text)) {
            next();
            next();
            assignment(t, t.text);
            expectPunct(";");
            return true;
        }
        if (t.kind == Token::kIdent && isPunct("(", 1) && !isKeyword(t.text)) {
            next();
            if (call(t))
                emit(kOpPop);
            if (!isPunct(";"))
                fail(peek(),
                    "expected ';' after the call of " + t.text + " (a result that is only computed is lost)");
            next();
            return true;
        }
        if (t.kind == Token::kIdent && isKeyword(t.text))
            fail(t, "'" + t.text + "' cannot begin a statement here");
        fail(t, "expected a statement but found " + describe(t));
    }

    void assignment(const Token& at, const std::string& name)
    {
        emitVariable(kOpPushVarNumber, at, name);
        expression();
        emit(kOpAssign);
    }

    bool ifStatement()
    {
        expectPunct("(");
        expression();
        expectPunct(")");
        const std::uint32_t toElse = emitJump(kOpJumpFalse);
        const bool thenFalls = statement();
        if (!acceptWord("else")) {
            patchHere(toElse);
            return true;
        }
        std::uint32_t toEnd = 0;
        if (thenFalls)
            toEnd = emitJump(kOpJump);
        patchHere(toElse);
        const bool elseFalls = statement();
        if (thenFalls)
            patchHere(toEnd);
        return thenFalls || elseFalls;
    }

    // The event loop of a screen function: wait, switch on the code, and come back
    // to the wait for a code without a case or at the end of a case.
    bool waitStatement(const Token& t)
    {
        const std::uint32_t start = static_cast<std::uint32_t>(code_.size());
        emit(kOpBuiltin, findBuiltin("@wait_for_next_event")->index);
        constructs_.push_back({true, start, {}});
        caseBlock(kOpSwitchEvent, t);
        Construct done = std::move(constructs_.back());
        constructs_.pop_back();
        for (std::uint32_t at : done.breaks)
            patchHere(at);
        return !done.breaks.empty();
    }

    // The switch instruction with its table and the case bodies. A switch goes on
    // after its end; a wait goes back to its start.
    bool caseBlock(std::uint8_t op, const Token& at)
    {
        const bool isWait = op == kOpSwitchEvent;
        if (switches_.size() > kMaxIndex)
            fail(at, "too many switch tables");
        const std::size_t table = switches_.size();
        switches_.emplace_back();
        emit(op, static_cast<int>(table));
        if (!isWait)
            constructs_.push_back({false, 0, {}});
        const std::uint32_t waitStart = isWait ? constructs_.back().waitStart : 0;

        // Without a default, a key without a case continues with the next
        // instruction: this jump to the end of the switch or back to the wait.
        std::uint32_t noCaseJump = 0;
        if (isWait)
            emit(kOpJump, static_cast<int>(waitStart));
        else
            noCaseJump = emitJump(kOpJump);

        expectPunct("{");
        std::set<int> keys;
        bool anyLabel = false;
        bool reachable = false;
        bool bodyEmpty = false;
        int lastLabelLine = at.line;
        while (!acceptPunct("}")) {
            const Token& label = peek();
            if (acceptWord("case") || acceptWord("default")) {
                // Labels with nothing between them share one body.
                if (reachable && !bodyEmpty)
                    endCaseBody(isWait, waitStart);
                bodyEmpty = true;
                lastLabelLine = label.line;
                anyLabel = true;
                const std::uint16_t here = static_cast<std::uint16_t>(code_.size());
                if (label.text == "default") {
                    if (switches_[table].hasDefault)
                        fail(label, "second default in one switch");
                    switches_[table].hasDefault = true;
                    switches_[table].defaultTarget = here;
                } else {
                    do {
                        const Token& keyTok = peek();
                        const bool negative = acceptPunct("-");
                        if (!numberAhead())
                            fail(peek(),
                                "expected a case key (a number or a constant) but found " + describe(peek()));
                        const std::int64_t key = negative ? -takeNumber() : takeNumber();
                        if (key < -32768 || key > 32767)
                            fail(keyTok, "case key " + std::to_string(key) + " is not a 16-bit number");
                        if (!keys.insert(static_cast<int>(key)).second)
                            fail(keyTok, "case " + std::to_string(key) + " appears twice");
                        switches_[table].cases.push_back({static_cast<std::int16_t>(key), here});
                    } while (acceptPunct(","));
                }
                expectPunct(":");
                reachable = true;
                continue;
            }
            if (peek().kind == Token::kEnd)
                fail(peek(), "expected '}' to close the switch");
            if (!anyLabel)
                fail(peek(), "expected 'case' or 'default' but found " + describe(peek()));
            if (!reachable)
                fail(peek(), "statement can never run (it follows a return, halt, exit, break or continue)");
            reachable = statement();
            bodyEmpty = false;
        }
        if (bodyEmpty)
            fail(file_, lastLabelLine, "the last case label has no statements");
        if (isWait) {
            if (reachable)
                endCaseBody(true, waitStart);
            return false;
        }
        // The last body simply runs on into the end.
        Construct done = std::move(constructs_.back());
        constructs_.pop_back();
        for (std::uint32_t p : done.breaks)
            patchHere(p);
        const SwitchInfo& s = switches_[table];
        if (s.hasDefault)
            putOperand(code_, noCaseJump + 1, s.defaultTarget); // never taken: the default is
        else
            patchHere(noCaseJump);
        return !s.hasDefault || !done.breaks.empty() || reachable;
    }

    void endCaseBody(bool isWait, std::uint32_t waitStart)
    {
        if (isWait)
            emit(kOpJump, static_cast<int>(waitStart));
        else
            constructs_.back().breaks.push_back(emitJump(kOpJump));
    }

    // --- expressions: each pushes exactly one value ---

    void expression() { orExpression(); }

    void orExpression()
    {
        andExpression();
        while (acceptPunct("||")) {
            const std::uint32_t skip = emitJump(kOpOr);
            andExpression();
            patchHere(skip);
        }
    }

    void andExpression()
    {
        comparison();
        while (acceptPunct("&&")) {
            const std::uint32_t skip = emitJump(kOpAnd);
            comparison();
            patchHere(skip);
        }
    }

    void comparison()
    {
        static const std::pair<const char*, std::uint8_t> kOps[]
            = {{"==", kOpEq}, {"!=", kOpNe}, {"<", kOpLt}, {">", kOpGt}, {"<=", kOpLe}, {">=", kOpGe}};
        additive();
        for (const auto& [text, op] : kOps) {
            if (acceptPunct(text)) {
                additive();
                emit(op);
                for (const auto& [again, unused] : kOps) {
                    if (isPunct(again))
                        fail(peek(), "comparisons do not chain; use parentheses");
                }
                return;
            }
        }
    }

    void additive()
    {
        multiplicative();
        for (;;) {
            if (acceptPunct("+")) {
                multiplicative();
                emit(kOpAdd);
            } else if (acceptPunct("-")) {
                multiplicative();
                emit(kOpSub);
            } else {
                return;
            }
        }
    }

    void multiplicative()
    {
        unary();
        for (;;) {
            if (acceptPunct("*")) {
                unary();
                emit(kOpMul);
            } else if (acceptPunct("/")) {
                unary();
                emit(kOpDiv);
            } else if (acceptPunct("%")) {
                unary();
                emit(kOpMod);
            } else {
                return;
            }
        }
    }

    void unary()
    {
        if (acceptPunct("!")) {
            unary();
            emit(kOpNot);
        } else if (isPunct("-") && numberAhead(1)) {
            next();
            const Token& t = peek();
            pushNumber(t, -takeNumber());
        } else if (acceptPunct("-")) {
            unary();
            emit(kOpNeg);
        } else {
            primary();
        }
    }

    // A number literal or a defined constant, where a number may stand.
    bool numberAhead(std::size_t ahead = 0) const
    {
        const Token& t = peek(ahead);
        return t.kind == Token::kNumber
            || (t.kind == Token::kIdent && constants_.count(t.text) != 0 && !isPunct("(", ahead + 1));
    }
    std::int64_t takeNumber()
    {
        const Token& t = next();
        return t.kind == Token::kNumber ? t.number : constants_.at(t.text).value;
    }

    void pushNumber(const Token& at, std::int64_t v)
    {
        if (v < -32768 || v > 32767)
            fail(at, "number " + std::to_string(v) + " is not a 16-bit number (-32768 to 32767)");
        emit(kOpPushNumber, static_cast<int>(v));
    }

    void primary()
    {
        if (numberAhead()) {
            const Token& t = peek();
            pushNumber(t, takeNumber());
            return;
        }
        const Token& t = next();
        switch (t.kind) {
        case Token::kString:
            stringFixups_.emplace_back(static_cast<std::uint32_t>(code_.size()), t.text);
            emit(kOpPushString, 0);
            return;
        case Token::kIdent:
            if (isKeyword(t.text))
                fail(t, "'" + t.text + "' cannot be used in an expression");
            if (isPunct("(")) {
                if (!call(t))
                    fail(t, t.text + " gives no value, so it cannot be used in an expression");
                return;
            }
            emitVariable(kOpPushVar, t, t.text);
            return;
        case Token::kPunct:
            if (t.text == "(") {
                expression();
                expectPunct(")");
                return;
            }
            [[fallthrough]];
        default:
            fail(t, "expected a value but found " + describe(t));
        }
    }

    // Compiles a call whose name has been read; returns whether it pushes a value.
    bool call(const Token& nameTok)
    {
        expectPunct("(");
        std::size_t count = 0;
        if (!isPunct(")")) {
            do {
                expression();
                ++count;
            } while (acceptPunct(","));
        }
        expectPunct(")");
        if (const Builtin* b = findBuiltin(nameTok.text)) {
            if (b->argCount == kVariableArgs) {
                emit(kOpPushNumber, static_cast<int>(count));
            } else if (count != static_cast<std::size_t>(b->argCount)) {
                fail(nameTok,
                    nameTok.text + " takes " + std::to_string(b->argCount) + " arguments, not "
                        + std::to_string(count));
            }
            if (b->index == findBuiltin("@wait_for_next_event")->index)
                fail(nameTok, "@wait_for_next_event is called by a wait statement only");
            emit(kOpBuiltin, b->index);
            return b->pushesResult;
        }
        if (findVariable(nameTok.text) != kNotFound)
            fail(nameTok, nameTok.text + " is a variable, not a function");
        if (constants_.count(nameTok.text) != 0)
            fail(nameTok, nameTok.text + " is a constant, not a function");
        calls_.push_back(
            {static_cast<std::uint32_t>(code_.size()), nameTok.text, count, file_, nameTok.line});
        emit(kOpCall, 0);
        return true;
    }

    static constexpr int kNotFound = 0x10000;

    // A frame slot (negative, resolved when the frame size is known) or a global.
    int findVariable(const std::string& name) const
    {
        if (fn_ != nullptr) {
            auto it = std::find(locals_.begin(), locals_.end(), name);
            if (it != locals_.end())
                return -1 - static_cast<int>(it - locals_.begin());
        }
        auto g = globals_.find(name);
        return g == globals_.end() ? kNotFound : g->second;
    }

    void emitVariable(std::uint8_t op, const Token& at, const std::string& name)
    {
        const int v = findVariable(name);
        if (v == kNotFound) {
            if (functions_.count(name) != 0 || findBuiltin(name) != nullptr)
                fail(at, name + " is a function; call it with ()");
            if (constants_.count(name) != 0)
                fail(at, name + " is a constant and cannot be assigned");
            if (auto it = declaredConstants_.find(name); it != declaredConstants_.end())
                fail(at, "constant " + name + " is used before its definition at " + it->second);
            fail(at, "unknown variable " + name);
        }
        if (v < 0) {
            localFixups_.emplace_back(static_cast<std::uint32_t>(code_.size()), -1 - v);
            emit(op, 0);
        } else {
            emit(op, v);
        }
    }

    // --- code ---

    static void putOperand(std::vector<std::uint8_t>& code, std::size_t at, int value)
    {
        const auto v = static_cast<std::uint16_t>(value);
        code[at] = static_cast<std::uint8_t>(v >> 8);
        code[at + 1] = static_cast<std::uint8_t>(v);
    }

    void emit(std::uint8_t op) { code_.push_back(op); }
    void emit(std::uint8_t op, int operand)
    {
        code_.push_back(op);
        code_.push_back(0);
        code_.push_back(0);
        putOperand(code_, code_.size() - 2, operand);
    }
    std::uint32_t emitJump(std::uint8_t op)
    {
        emit(op, 0);
        return static_cast<std::uint32_t>(code_.size() - 3);
    }
    // Offsets beyond the reach of an operand are refused in finish().
    void patchHere(std::uint32_t jumpAt)
    {
        putOperand(code_, jumpAt + 1, static_cast<int>(code_.size() & 0xFFFF));
    }

    std::string file_;
    const std::vector<Token>* toks_ = nullptr;
    std::size_t pos_ = 0;

    std::string programName_;
    std::string version_;
    std::string entryName_;
    std::string entryFile_;
    int entryLine_ = 0;
    std::map<std::string, int> globals_;
    std::map<std::string, Constant> constants_;
    std::map<std::string, std::string> declaredConstants_; // name -> "file:line" of its first definition
    std::map<std::string, std::unique_ptr<FunctionInfo>> functions_;
    std::vector<FunctionInfo*> byIndex_;

    FunctionInfo* fn_ = nullptr;
    std::vector<std::string> locals_;
    std::vector<std::pair<std::uint32_t, int>> localFixups_;
    std::vector<Construct> constructs_;

    std::vector<std::uint8_t> code_;
    std::vector<CallFixup> calls_;
    std::vector<std::pair<std::uint32_t, std::string>> stringFixups_;
    std::vector<SwitchInfo> switches_;
};

} // namespace

bool Compiler::compile(const std::vector<SourceFile>& sources, Container& out, std::string& error)
{
    Unit unit;
    std::vector<std::vector<Token>> tokens(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        int line = 0;
        std::string message;
        if (!Lexer::tokenize(sources[i].text, tokens[i], line, message)) {
            error = sources[i].name + ":" + std::to_string(line) + ": " + message;
            return false;
        }
        unit.noteConstants(sources[i].name, tokens[i]);
    }
    try {
        for (std::size_t i = 0; i < sources.size(); ++i)
            unit.declarations(sources[i].name, tokens[i]);
        out = unit.finish();
    } catch (const CompileError& e) {
        error = e.file.empty() ? e.message : e.file + ":" + std::to_string(e.line) + ": " + e.message;
        return false;
    }
    return true;
}

} // namespace scenarioc
