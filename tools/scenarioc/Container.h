#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace scenarioc {

inline constexpr std::uint32_t kNoCase = 0xFFFFFFFFu;

struct FunctionRecord {
    std::uint32_t nameIndex = 0; // into Container::functionNames
    std::uint16_t paramCount = 0;
    std::uint16_t frameSize = 0;
    std::uint16_t start = 0;
    std::uint8_t screen = 0;
};

struct CaseRecord {
    std::int16_t key = 0;
    std::uint16_t target = 0;
};

struct SwitchRecord {
    std::uint32_t defaultCase = kNoCase; // index into Container::cases
    std::uint32_t caseCount = 0;
    std::uint32_t firstCase = 0;
};

// A compiled scenario program. Serialised little-endian: globalCount u16, name
// text, version text, entryFunction u16, codeLength u32 + code, functionCount u32
// + 12-byte function records, caseCount u32 + 4-byte case records, switchCount
// u32 + 12-byte switch records, stringCount u32 + texts, and last the function
// name table (count u32 + texts) that the records' name indexes refer to. A text
// is a u32 length L = bytes + 1 followed by the bytes and a NUL.
struct Container {
    std::uint16_t globalCount = 0;
    std::string name;
    std::string version;
    std::uint16_t entryFunction = 0;
    std::vector<std::uint8_t> code;
    std::vector<FunctionRecord> functions;
    std::vector<CaseRecord> cases;
    std::vector<SwitchRecord> switches;
    std::vector<std::string> strings;
    std::vector<std::string> functionNames;

    std::vector<std::uint8_t> serialize() const;

    // Reads a container and checks that every count, length and index in its
    // tables lies within the bytes and tables present. The code itself is checked
    // by verify().
    static bool parse(const std::vector<std::uint8_t>& bytes, Container& out, std::string& error);

    const std::string& functionName(std::size_t function) const;
};

} // namespace scenarioc
