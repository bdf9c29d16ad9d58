#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Assembles a scenario container by hand, for programs the compiler would
// refuse (bad operands, exact instruction counts).
struct ProgramBuilder {
    struct Function {
        std::string name;
        std::uint16_t params = 0;
        std::uint16_t frameSize = 0;
        std::uint16_t start = 0;
        std::uint8_t screen = 0;
    };
    struct Case {
        std::int16_t key;
        std::uint16_t target;
    };
    struct Switch {
        std::uint32_t defaultCase;
        std::uint32_t caseCount;
        std::uint32_t firstCase;
    };

    std::uint16_t globalCount = 0;
    std::uint16_t entry = 0;
    std::vector<std::uint8_t> code;
    std::vector<Function> functions;
    std::vector<Case> cases;
    std::vector<Switch> switches;
    std::vector<std::string> strings {""};

    ProgramBuilder& op(std::uint8_t opcode)
    {
        code.push_back(opcode);
        return *this;
    }
    ProgramBuilder& op(std::uint8_t opcode, std::int16_t operand)
    {
        code.push_back(opcode);
        code.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(operand) >> 8));
        code.push_back(static_cast<std::uint8_t>(operand));
        return *this;
    }
    std::uint16_t here() const { return static_cast<std::uint16_t>(code.size()); }

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> out;
        auto u8 = [&](std::uint32_t v) { out.push_back(static_cast<std::uint8_t>(v)); };
        auto u16 = [&](std::uint32_t v) {
            u8(v);
            u8(v >> 8);
        };
        auto u32 = [&](std::uint32_t v) {
            u16(v);
            u16(v >> 16);
        };
        auto text = [&](const std::string& s) {
            u32(static_cast<std::uint32_t>(s.size() + 1));
            out.insert(out.end(), s.begin(), s.end());
            u8(0);
        };
        u16(globalCount);
        text("test");
        text("1");
        u16(entry);
        u32(static_cast<std::uint32_t>(code.size()));
        out.insert(out.end(), code.begin(), code.end());
        u32(static_cast<std::uint32_t>(functions.size()));
        for (std::size_t i = 0; i < functions.size(); ++i) {
            const Function& f = functions[i];
            u32(static_cast<std::uint32_t>(i));
            u16(f.params);
            u16(f.frameSize);
            u16(f.start);
            u8(f.screen);
            u8(0);
        }
        u32(static_cast<std::uint32_t>(cases.size()));
        for (const Case& c : cases) {
            u16(static_cast<std::uint16_t>(c.key));
            u16(c.target);
        }
        u32(static_cast<std::uint32_t>(switches.size()));
        for (const Switch& s : switches) {
            u32(s.defaultCase);
            u32(s.caseCount);
            u32(s.firstCase);
        }
        u32(static_cast<std::uint32_t>(strings.size()));
        for (const std::string& s : strings)
            text(s);
        u32(static_cast<std::uint32_t>(functions.size()));
        for (const Function& f : functions)
            text(f.name);
        return out;
    }
};
