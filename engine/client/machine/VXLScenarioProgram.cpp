#include "engine/client/machine/VXLScenarioProgram.h"

// Reads little-endian fields from a byte range; every read is checked against
// the bytes left.
class CVXLScenarioProgram::Reader {
public:
    Reader(const std::uint8_t* bytes, std::uint32_t size)
        : bytes_(bytes)
        , size_(size)
    {
    }

    std::uint32_t left() const { return size_ - position_; }
    bool atEnd() const { return position_ == size_; }

    bool u8(std::uint8_t& out)
    {
        if (left() < 1)
            return false;
        out = bytes_[position_++];
        return true;
    }
    bool u16(std::uint16_t& out)
    {
        if (left() < 2)
            return false;
        out = static_cast<std::uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
        position_ += 2;
        return true;
    }
    bool u32(std::uint32_t& out)
    {
        if (left() < 4)
            return false;
        out = static_cast<std::uint32_t>(bytes_[position_])
            | (static_cast<std::uint32_t>(bytes_[position_ + 1]) << 8)
            | (static_cast<std::uint32_t>(bytes_[position_ + 2]) << 16)
            | (static_cast<std::uint32_t>(bytes_[position_ + 3]) << 24);
        position_ += 4;
        return true;
    }
    const std::uint8_t* take(std::uint32_t n)
    {
        if (left() < n)
            return nullptr;
        const std::uint8_t* at = bytes_ + position_;
        position_ += n;
        return at;
    }
    // A count of records that must all fit in the bytes left.
    bool count(std::uint32_t& out, std::uint32_t recordSize)
    {
        return u32(out) && out <= left() / recordSize;
    }
    // A length word L >= 1, then L bytes whose last is the NUL.
    bool text(CVXLString& out)
    {
        std::uint32_t length = 0;
        if (!u32(length) || length == 0)
            return false;
        const std::uint8_t* at = take(length);
        if (!at || at[length - 1] != 0)
            return false;
        out.clear();
        out.appendBytes(at, length - 1);
        return out.length() == length - 1;
    }

private:
    const std::uint8_t* bytes_;
    std::uint32_t size_;
    std::uint32_t position_ = 0;
};

CVXLScenarioProgram::CVXLScenarioProgram()
    : functions_(sizeof(VXLFunctionRecord), 0)
    , cases_(sizeof(VXLCaseRecord), 0)
    , switches_(sizeof(VXLSwitchRecord), 0)
{
}

CVXLScenarioProgram::~CVXLScenarioProgram() = default;

void CVXLScenarioProgram::reset()
{
    loaded_ = false;
    globalCount_ = 0;
    name_.clear();
    version_.clear();
    entryFunction_ = 0;
    code_.clear();
    functions_.clear();
    cases_.clear();
    switches_.clear();
    strings_.clear();
    functionNames_.clear();
}

bool CVXLScenarioProgram::fail(const char* what)
{
    reset();
    error_ = what;
    return false;
}

bool CVXLScenarioProgram::load(const std::uint8_t* bytes, std::uint32_t size)
{
    reset();
    error_.clear();
    if (!bytes)
        return fail("no container");
    Reader reader(bytes, size);
    std::uint32_t codeLength = 0;
    const std::uint8_t* code = nullptr;
    if (!reader.u16(globalCount_) || !reader.text(name_) || !reader.text(version_)
        || !reader.u16(entryFunction_))
        return fail("truncated header");
    if (!reader.u32(codeLength) || !(code = reader.take(codeLength)))
        return fail("truncated code");
    if (codeLength > kMaxCodeLength)
        return fail("code longer than a jump can reach");
    if (codeLength > 0 && !code_.append(code, codeLength))
        return fail("out of memory");
    if (!readTables(reader) || !checkReferences())
        return false;
    loaded_ = true;
    return true;
}

bool CVXLScenarioProgram::readTables(Reader& reader)
{
    std::uint32_t n = 0;
    if (!reader.count(n, kFunctionRecordSize))
        return fail("truncated function table");
    for (std::uint32_t i = 0; i < n; ++i) {
        VXLFunctionRecord record {};
        std::uint8_t padding = 0;
        if (!reader.u32(record.nameIndex) || !reader.u16(record.paramCount) || !reader.u16(record.frameSize)
            || !reader.u16(record.start) || !reader.u8(record.screen) || !reader.u8(padding))
            return fail("truncated function table");
        if (!functions_.append(&record))
            return fail("out of memory");
    }
    if (!reader.count(n, kCaseRecordSize))
        return fail("truncated case table");
    for (std::uint32_t i = 0; i < n; ++i) {
        std::uint16_t key = 0;
        VXLCaseRecord record {};
        if (!reader.u16(key) || !reader.u16(record.target))
            return fail("truncated case table");
        record.key = static_cast<std::int16_t>(key);
        if (!cases_.append(&record))
            return fail("out of memory");
    }
    if (!reader.count(n, kSwitchRecordSize))
        return fail("truncated switch table");
    for (std::uint32_t i = 0; i < n; ++i) {
        VXLSwitchRecord record {};
        if (!reader.u32(record.defaultCase) || !reader.u32(record.caseCount) || !reader.u32(record.firstCase))
            return fail("truncated switch table");
        if (!switches_.append(&record))
            return fail("out of memory");
    }
    CVXLString text;
    if (!reader.count(n, kMinTextSize))
        return fail("truncated string table");
    for (std::uint32_t i = 0; i < n; ++i) {
        if (!reader.text(text))
            return fail("malformed string constant");
        if (!strings_.insertAt(text, -1))
            return fail("out of memory");
    }
    if (!reader.count(n, kMinTextSize))
        return fail("truncated function name table");
    for (std::uint32_t i = 0; i < n; ++i) {
        if (!reader.text(text))
            return fail("malformed function name");
        if (!functionNames_.insertAt(text, -1))
            return fail("out of memory");
    }
    if (!reader.atEnd())
        return fail("bytes after the function name table");
    return true;
}

bool CVXLScenarioProgram::checkReferences()
{
    const std::uint32_t codeLength = code_.length();
    for (std::uint32_t i = 0; i < functionCount(); ++i) {
        const VXLFunctionRecord* f = function(i);
        if (f->nameIndex >= functionNames_.count())
            return fail("function name index out of range");
        if (f->start >= codeLength)
            return fail("function starts outside the code");
        if (f->frameSize < f->paramCount)
            return fail("function frame smaller than its parameters");
        if (f->screen > 1)
            return fail("function screen flag not 0 or 1");
    }
    for (std::uint32_t i = 0; i < caseCount(); ++i) {
        if (caseRecord(i)->target >= codeLength)
            return fail("case target outside the code");
    }
    const std::uint32_t cases = caseCount();
    for (std::uint32_t i = 0; i < switchCount(); ++i) {
        const VXLSwitchRecord* s = switchRecord(i);
        if (s->firstCase > cases || s->caseCount > cases - s->firstCase)
            return fail("switch cases outside the case table");
        if (s->defaultCase != kNoCase && s->defaultCase >= cases)
            return fail("switch default outside the case table");
    }
    if (entryFunction_ >= functionCount())
        return fail("entry function out of range");
    return true;
}

const VXLFunctionRecord* CVXLScenarioProgram::function(std::uint32_t index) const
{
    if (index >= functions_.count())
        return nullptr;
    return static_cast<const VXLFunctionRecord*>(functions_.at(static_cast<int>(index)));
}

CVXLString CVXLScenarioProgram::functionName(std::uint32_t index) const
{
    const VXLFunctionRecord* f = function(index);
    return f ? functionNames_.at(static_cast<int>(f->nameIndex)) : CVXLString();
}

const VXLCaseRecord* CVXLScenarioProgram::caseRecord(std::uint32_t index) const
{
    if (index >= cases_.count())
        return nullptr;
    return static_cast<const VXLCaseRecord*>(cases_.at(static_cast<int>(index)));
}

const VXLSwitchRecord* CVXLScenarioProgram::switchRecord(std::uint32_t index) const
{
    if (index >= switches_.count())
        return nullptr;
    return static_cast<const VXLSwitchRecord*>(switches_.at(static_cast<int>(index)));
}

bool CVXLScenarioProgram::stringAt(std::uint32_t index, CVXLString& out) const
{
    if (index >= strings_.count())
        return false;
    out = strings_.at(static_cast<int>(index));
    return true;
}
