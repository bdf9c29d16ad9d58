#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Compiles scenario source with the built scenarioc and returns the container
// bytes; empty (with the compiler's messages in `errors`) when it fails.
std::vector<std::uint8_t> compileScenario(const std::string& source, std::string* errors = nullptr);
