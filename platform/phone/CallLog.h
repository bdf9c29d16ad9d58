#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The phone's call log: "calllog.txt" in the device root, newest call
// first, one call per line: the number, optionally a tab and the caller's
// name. Blank lines and lines starting with "#" are not calls; a line
// without a number is skipped and logged to log/phone.log. At most
// kMaxCallLogEntries calls are read.
namespace tessel::phone {

inline constexpr std::size_t kMaxCallLogEntries = 4096;

struct CallLogEntry {
    std::string number;
    std::string name;
};

class CallLog {
public:
    // Reads the file; a missing file is an empty log.
    bool open();
    std::size_t count() const { return entries_.size(); }
    // Positions the log at the index (0 the newest); false past the end.
    bool seek(std::size_t index);
    // The entry at the position, which then moves on; false at the end.
    bool next(CallLogEntry* entry);

private:
    std::vector<CallLogEntry> entries_;
    std::size_t position_ = 0;
};

} // namespace tessel::phone
