#pragma once

#include "engine/core/base/VXLCallback.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/platform/VXLDataSink.h"
#include "engine/core/platform/VXLPlatform.h"
#include "engine/core/platform/VXLSinkInterface.h"

#include <cstdint>
#include <functional>
#include <string>

// Open modes of a platform stream.
inline constexpr std::uint32_t kStreamRead = 0; // "rb"
inline constexpr std::uint32_t kStreamWrite = 1; // "wb": from the start
inline constexpr std::uint32_t kStreamAppend = 2; // "ab"
// Replaces the file whole: the bytes go to a hidden temporary file in the
// same folder, which close flushes and renames over the old file. Until
// then, and for good when a write failed, the old file stays as it was.
inline constexpr std::uint32_t kStreamReplace = 3;

// One file of a store, opened by name, read and written in chunks. Every
// outcome goes to the sink the caller passes (statuses of VXLPlatformStatus).
// Stores and the media source make streams (openStream) and delete them
// (closeStream).
class CVXLPlatformFileStream : public CVXLObject {
public:
    CVXLPlatformFileStream(const CVXLString& folder, PlatformNameRule rule);
    ~CVXLPlatformFileStream() override;

    // Writing modes make the file's folder first. Status 0, 4 or 7.
    virtual void open(const char* name, std::uint32_t mode, CVXLCallback* sink);
    // Status 0, 5 or 6. A replace that saw a failed write keeps the old file
    // and reports 5.
    virtual void close(CVXLCallback* sink);
    // Up to size bytes: the bytes (when there are any), then status 0, or 3
    // at the end of the file (no bytes), 10 on a read error, 1 without a
    // buffer, 6 without a file.
    virtual void read(CVXLDataSink* sink, std::uint32_t size);
    // Writes the source's bytes: consume(count, 0) when all were written,
    // consume(count written, 14) when fewer (disk full), consume(0, 6)
    // without a file.
    virtual void write(CVXLSinkInterface* source);
    // Puts what a write or append stream has written on the disk (the
    // system's sync). Status 0, or 14 when the sync or an earlier write
    // failed; 0 for the other modes and without a file.
    virtual void flush(CVXLCallback* sink);
    // From the start, or from the current position. Status 0, 1 or 6.
    virtual void seek(std::int32_t offset, bool fromCurrent, CVXLCallback* sink);
    // Removes a file by the stream's name rule: 0 when it was removed or was
    // not there, 1 when it could not be removed or the name is refused.
    virtual void deleteFile(const char* name, CVXLCallback* sink);

    bool isOpen() const { return fd_ >= 0; }

    // Gives open the host path of a name (false: refused); by default the
    // device root's map finds it. A store that keeps its folder's listing
    // answers without looking at the disk.
    using HostPathOf = std::function<bool(const char* name, std::string* host)>;
    void setHostPathOf(HostPathOf hostPathOf) { hostPathOf_ = std::move(hostPathOf); }

private:
    void discardTemporary();

    int fd_ = -1;
    CVXLString folder_;
    PlatformNameRule rule_;
    std::uint32_t mode_ = kStreamRead;
    bool writeFailed_ = false;
    CVXLString hostPath_; // the file that replace renames over
    CVXLString temporaryPath_; // replace: where the bytes go until close
    HostPathOf hostPathOf_;
};

// Copies a file of the folder to another name there, replacing that one
// whole as kStreamReplace does. False when the file cannot be read or the
// copy not written.
bool platformKeepCopy(const CVXLString& folder, const char* name, const char* copyName);

// Removes the temporaries that replaces of dead processes left in the folder
// and the folders below it (names of exactly the form ".NAME.tmp-PID-N" whose
// process is gone); anything else stays. The number removed.
std::uint32_t platformSweepTemporaries(const CVXLString& folder);

// The same object under the name the media and transfer code use.
using CVXLPlatformFile = CVXLPlatformFileStream;
