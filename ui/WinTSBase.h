#pragma once

#include <cstdint>
#include <string>

// The part every user-interface object embeds: its class name in upper
// case, for traces. The first one made reads the process's trace level
// (Debug "level", default 4).
class CWinTSBase {
public:
    explicit CWinTSBase(const std::u16string& name);
    virtual ~CWinTSBase() = default;

    const std::u16string& name() const { return name_; }
    static std::uint32_t traceLevel();

private:
    std::u16string name_;
};
