#pragma once

#include <cstdint>

// Opcodes of the scenario stack machine. From 128 up an opcode carries a 16-bit
// operand, most significant byte first.
enum ScenarioOpcode : std::uint8_t {
    kOpNop = 0,
    kOpPop = 1,
    kOpAssign = 2,
    kOpEq = 3,
    kOpNe = 4,
    kOpLt = 5,
    kOpGt = 6,
    kOpLe = 7,
    kOpGe = 8,
    kOpAdd = 9,
    kOpSub = 10,
    kOpMul = 11,
    kOpDiv = 12,
    kOpMod = 13,
    kOpNeg = 14,
    kOpNot = 15,
    kOpReturn = 16,
    kOpScreenReturn = 17,
    kOpHalt = 18,
    kOpExit = 19,
    kOpPushVarNumber = 128,
    kOpPushVar = 129,
    kOpPushNumber = 130,
    kOpPushString = 131,
    kOpSwitch = 132,
    kOpSwitchEvent = 133,
    kOpCall = 134,
    kOpCallScreen = 135,
    kOpBuiltin = 136,
    kOpJump = 137,
    kOpJumpFalse = 138,
    kOpJumpTrue = 139,
    kOpAnd = 140,
    kOpOr = 141,
};

inline constexpr std::uint8_t kOperandFlag = 0x80;

inline bool hasOperand(std::uint8_t op)
{
    return (op & kOperandFlag) != 0;
}

// Jump targets and pushed numbers are the operand widened as a signed value, so no
// code offset beyond this can be reached.
inline constexpr std::uint32_t kMaxScenarioCodeLength = 0x8000;
