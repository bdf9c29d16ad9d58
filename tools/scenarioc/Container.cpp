#include "tools/scenarioc/Container.h"

#include "tools/scenarioc/Opcodes.h"

namespace scenarioc {

namespace {

constexpr std::size_t kFunctionRecordSize = 12;
constexpr std::size_t kCaseRecordSize = 4;
constexpr std::size_t kSwitchRecordSize = 12;

class Writer {
public:
    void u8(std::uint8_t v) { bytes_.push_back(v); }
    void u16(std::uint16_t v)
    {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void text(const std::string& s)
    {
        u32(static_cast<std::uint32_t>(s.size() + 1));
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        u8(0);
    }
    void raw(const std::vector<std::uint8_t>& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

class Reader {
public:
    explicit Reader(const std::vector<std::uint8_t>& bytes)
        : bytes_(bytes)
    {
    }

    bool u8(std::uint8_t& v, const char* what)
    {
        if (!need(1, what))
            return false;
        v = bytes_[pos_++];
        return true;
    }
    bool u16(std::uint16_t& v, const char* what)
    {
        if (!need(2, what))
            return false;
        v = static_cast<std::uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
        pos_ += 2;
        return true;
    }
    bool u32(std::uint32_t& v, const char* what)
    {
        if (!need(4, what))
            return false;
        v = static_cast<std::uint32_t>(bytes_[pos_]) | static_cast<std::uint32_t>(bytes_[pos_ + 1]) << 8
            | static_cast<std::uint32_t>(bytes_[pos_ + 2]) << 16
            | static_cast<std::uint32_t>(bytes_[pos_ + 3]) << 24;
        pos_ += 4;
        return true;
    }
    bool text(std::string& s, const char* what)
    {
        std::uint32_t len = 0;
        if (!u32(len, what) || !need(len, what))
            return false;
        if (len == 0 || bytes_[pos_ + len - 1] != 0)
            return fail(what, "text without its terminating NUL");
        const char* p = reinterpret_cast<const char*>(bytes_.data() + pos_);
        std::size_t n = 0;
        while (p[n] != 0) // ends at the first NUL, which the check above guarantees
            ++n;
        s.assign(p, n);
        pos_ += len;
        return true;
    }
    // A count of records of the given size that must fit in the bytes left.
    bool count(std::uint32_t& n, std::size_t recordSize, const char* what)
    {
        if (!u32(n, what))
            return false;
        if (n > (bytes_.size() - pos_) / recordSize)
            return fail(what, "count larger than the bytes present");
        return true;
    }
    bool bytes(std::vector<std::uint8_t>& out, std::uint32_t n, const char* what)
    {
        if (!need(n, what))
            return false;
        out.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(pos_),
            bytes_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
        pos_ += n;
        return true;
    }
    bool atEnd() const { return pos_ == bytes_.size(); }
    std::size_t position() const { return pos_; }
    bool fail(const char* what, const std::string& why)
    {
        if (error_.empty())
            error_ = std::string(what) + ": " + why + " (at byte " + std::to_string(pos_) + ")";
        return false;
    }
    const std::string& error() const { return error_; }

private:
    bool need(std::size_t n, const char* what)
    {
        if (n > bytes_.size() - pos_)
            return fail(what, "truncated");
        return true;
    }

    const std::vector<std::uint8_t>& bytes_;
    std::size_t pos_ = 0;
    std::string error_;
};

} // namespace

std::vector<std::uint8_t> Container::serialize() const
{
    Writer w;
    w.u16(globalCount);
    w.text(name);
    w.text(version);
    w.u16(entryFunction);
    w.u32(static_cast<std::uint32_t>(code.size()));
    w.raw(code);
    w.u32(static_cast<std::uint32_t>(functions.size()));
    for (const FunctionRecord& f : functions) {
        w.u32(f.nameIndex);
        w.u16(f.paramCount);
        w.u16(f.frameSize);
        w.u16(f.start);
        w.u8(f.screen);
        w.u8(0);
    }
    w.u32(static_cast<std::uint32_t>(cases.size()));
    for (const CaseRecord& c : cases) {
        w.u16(static_cast<std::uint16_t>(c.key));
        w.u16(c.target);
    }
    w.u32(static_cast<std::uint32_t>(switches.size()));
    for (const SwitchRecord& s : switches) {
        w.u32(s.defaultCase);
        w.u32(s.caseCount);
        w.u32(s.firstCase);
    }
    w.u32(static_cast<std::uint32_t>(strings.size()));
    for (const std::string& s : strings)
        w.text(s);
    w.u32(static_cast<std::uint32_t>(functionNames.size()));
    for (const std::string& s : functionNames)
        w.text(s);
    return w.take();
}

bool Container::parse(const std::vector<std::uint8_t>& bytes, Container& out, std::string& error)
{
    Reader r(bytes);
    Container c;
    std::uint32_t n = 0;
    bool ok = r.u16(c.globalCount, "global count") && r.text(c.name, "program name")
        && r.text(c.version, "version") && r.u16(c.entryFunction, "entry function") && r.u32(n, "code length")
        && r.bytes(c.code, n, "code");
    if (ok && c.code.size() > kMaxCodeLength)
        ok = r.fail("code", "longer than a jump can reach");

    if (ok && (ok = r.count(n, kFunctionRecordSize, "function table"))) {
        c.functions.resize(n);
        for (FunctionRecord& f : c.functions) {
            std::uint8_t pad = 0;
            ok = ok && r.u32(f.nameIndex, "function record") && r.u16(f.paramCount, "function record")
                && r.u16(f.frameSize, "function record") && r.u16(f.start, "function record")
                && r.u8(f.screen, "function record") && r.u8(pad, "function record");
        }
    }
    if (ok && (ok = r.count(n, kCaseRecordSize, "case table"))) {
        c.cases.resize(n);
        for (CaseRecord& k : c.cases) {
            std::uint16_t key = 0;
            ok = ok && r.u16(key, "case record") && r.u16(k.target, "case record");
            k.key = static_cast<std::int16_t>(key);
        }
    }
    if (ok && (ok = r.count(n, kSwitchRecordSize, "switch table"))) {
        c.switches.resize(n);
        for (SwitchRecord& s : c.switches) {
            ok = ok && r.u32(s.defaultCase, "switch record") && r.u32(s.caseCount, "switch record")
                && r.u32(s.firstCase, "switch record");
        }
    }
    // A text takes at least five bytes, which bounds the counts.
    if (ok && (ok = r.count(n, 5, "string table"))) {
        c.strings.resize(n);
        for (std::string& s : c.strings)
            ok = ok && r.text(s, "string constant");
    }
    if (ok && (ok = r.count(n, 5, "function name table"))) {
        c.functionNames.resize(n);
        for (std::string& s : c.functionNames)
            ok = ok && r.text(s, "function name");
    }
    if (ok && !r.atEnd())
        ok = r.fail("container", "bytes after the function name table");

    if (ok) {
        for (std::size_t i = 0; ok && i < c.functions.size(); ++i) {
            const FunctionRecord& f = c.functions[i];
            std::string where = "function " + std::to_string(i);
            if (f.nameIndex >= c.functionNames.size())
                ok = r.fail(where.c_str(), "name index out of range");
            else if (f.start >= c.code.size())
                ok = r.fail(where.c_str(), "start offset outside the code");
            else if (f.frameSize < f.paramCount || f.frameSize > 0x8000)
                ok = r.fail(where.c_str(), "frame size smaller than its parameters or too large");
            else if (f.screen > 1)
                ok = r.fail(where.c_str(), "screen flag not 0 or 1");
        }
        for (std::size_t i = 0; ok && i < c.cases.size(); ++i) {
            if (c.cases[i].target >= c.code.size())
                ok = r.fail(("case " + std::to_string(i)).c_str(), "target outside the code");
        }
        for (std::size_t i = 0; ok && i < c.switches.size(); ++i) {
            const SwitchRecord& s = c.switches[i];
            std::string where = "switch " + std::to_string(i);
            if (s.firstCase > c.cases.size() || s.caseCount > c.cases.size() - s.firstCase)
                ok = r.fail(where.c_str(), "cases outside the case table");
            else if (s.defaultCase != kNoCase && s.defaultCase >= c.cases.size())
                ok = r.fail(where.c_str(), "default case outside the case table");
        }
        if (ok && c.entryFunction >= c.functions.size())
            ok = r.fail("entry function", "index out of range");
    }
    if (!ok) {
        error = r.error();
        return false;
    }
    out = std::move(c);
    return true;
}

const std::string& Container::functionName(std::size_t function) const
{
    static const std::string kNone;
    if (function >= functions.size() || functions[function].nameIndex >= functionNames.size())
        return kNone;
    return functionNames[functions[function].nameIndex];
}

} // namespace scenarioc
