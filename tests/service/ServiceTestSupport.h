#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "tests/service/FakeVraxEnvironment.h"

#include <fstream>
#include <sstream>
#include <string>

inline std::string serviceFixture(const std::string& name)
{
    std::ifstream in(std::string(TESSEL_SOURCE_DIR) + "/tests/service/fixtures/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline CVXLByteBuffer bytesOf(const std::string& text)
{
    CVXLByteBuffer out;
    out.append(text.data(), static_cast<std::uint32_t>(text.size()));
    return out;
}

inline std::string toStd(const CVXLByteBuffer& bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.length());
}
