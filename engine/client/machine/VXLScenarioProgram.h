#pragma once

#include "engine/client/machine/ScenarioOpcodes.h"
#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLFixedArray.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringArray.h"

#include <cstdint>

// One function of a compiled scenario program.
struct VXLFunctionRecord {
    std::uint32_t nameIndex;
    std::uint16_t paramCount;
    // Parameters plus locals.
    std::uint16_t frameSize;
    std::uint16_t start;
    // 1 for a function that owns a screen flow (one UI job).
    std::uint8_t screen;
};

struct VXLCaseRecord {
    std::int16_t key;
    std::uint16_t target;
};

struct VXLSwitchRecord {
    // Index of the default case record, or kNoCase.
    std::uint32_t defaultCase;
    std::uint32_t caseCount;
    std::uint32_t firstCase;
};

// A compiled scenario program ("Master.p2"), read from its container with
// every count, length and table index checked against what is present. The
// tables refer to each other by index; the code itself is checked by the
// machine as it runs.
//
// Container, little-endian (a text is a u32 length L = bytes + 1, then the
// bytes and a NUL): globalCount u16, name text, version text, entryFunction
// u16, code (u32 length + bytes), functions (u32 count + 12-byte records),
// cases (u32 count + 4-byte records), switches (u32 count + 12-byte records),
// strings (u32 count + texts), function names (u32 count + texts).
class CVXLScenarioProgram : public CVXLObject {
public:
    static constexpr std::uint32_t kNoCase = 0xFFFFFFFFu;
    // Jump targets are signed 16-bit operands, so no code reaches further.
    static constexpr std::uint32_t kMaxCodeLength = kMaxScenarioCodeLength;
    static constexpr std::uint32_t kFunctionRecordSize = 12;
    static constexpr std::uint32_t kCaseRecordSize = 4;
    static constexpr std::uint32_t kSwitchRecordSize = 12;
    // A text takes its length word and at least its NUL.
    static constexpr std::uint32_t kMinTextSize = 5;

    CVXLScenarioProgram();
    CVXLScenarioProgram(const CVXLScenarioProgram&) = delete;
    CVXLScenarioProgram& operator=(const CVXLScenarioProgram&) = delete;
    ~CVXLScenarioProgram() override;

    // Reads a container (the bytes are copied). False, with the program empty
    // and error() telling why, when the container is malformed.
    bool load(const std::uint8_t* bytes, std::uint32_t size);
    bool isLoaded() const { return loaded_; }
    const CVXLString& error() const { return error_; }

    std::uint16_t globalCount() const { return globalCount_; }
    const CVXLString& name() const { return name_; }
    const CVXLString& version() const { return version_; }
    std::uint16_t entryFunction() const { return entryFunction_; }

    std::uint32_t codeLength() const { return code_.length(); }
    const std::uint8_t* code() const { return code_.data(); }

    std::uint32_t functionCount() const { return functions_.count(); }
    // Null when the index is out of range.
    const VXLFunctionRecord* function(std::uint32_t index) const;
    CVXLString functionName(std::uint32_t index) const;

    std::uint32_t caseCount() const { return cases_.count(); }
    const VXLCaseRecord* caseRecord(std::uint32_t index) const;
    std::uint32_t switchCount() const { return switches_.count(); }
    const VXLSwitchRecord* switchRecord(std::uint32_t index) const;

    std::uint32_t stringCount() const { return strings_.count(); }
    // False when the index is out of range.
    bool stringAt(std::uint32_t index, CVXLString& out) const;

private:
    class Reader;

    bool fail(const char* what);
    void reset();
    bool readTables(Reader& reader);
    bool checkReferences();

    bool loaded_ = false;
    CVXLString error_;
    std::uint16_t globalCount_ = 0;
    CVXLString name_;
    CVXLString version_;
    std::uint16_t entryFunction_ = 0;
    CVXLByteBuffer code_;
    CVXLFixedArray functions_;
    CVXLFixedArray cases_;
    CVXLFixedArray switches_;
    CVXLStringArray strings_;
    CVXLStringArray functionNames_;
};
