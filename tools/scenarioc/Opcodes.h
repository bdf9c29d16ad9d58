#pragma once

// The compiler speaks the engine's instruction set.
#include "engine/client/machine/ScenarioOpcodes.h"

namespace scenarioc {

using Opcode = ScenarioOpcode;
using ::hasOperand;
using ::kOperandFlag;
inline constexpr std::uint32_t kMaxCodeLength = kMaxScenarioCodeLength;

} // namespace scenarioc
