#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "tests/service/FakeVraxEnvironment.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

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

// True when xmllint reads the document as well-formed XML.
inline bool xmllintAccepts(const std::string& document)
{
    char path[] = "/tmp/vrax-document-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return false;
    const bool written = write(fd, document.data(), document.size()) == static_cast<ssize_t>(document.size());
    close(fd);
    const int status = written ? std::system((std::string("xmllint --noout ") + path).c_str()) : -1;
    std::remove(path);
    return status == 0;
}
