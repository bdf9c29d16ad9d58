#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/files/VXLFileWriteRequest.h"

#include <cstdint>

class CVXLFileStoreManager;

// Saves one whole state file of its owner through the File Store Manager:
// one write in flight, every save asked meanwhile folded into one more
// write after it, so the file always ends with the owner's latest state. A
// failed write is logged and reported to the owner; the file keeps what it
// held. The owner's handler posts the write and hands its reply back
// (onWritten). On load, a file the owner cannot parse is kept aside as
// "<name>.bad" before a save can replace it.
//
// Each save is numbered; an owner whose next step waits for its change to be
// on disk keeps the number and asks answered() when a write has ended. An
// owner of many files (one at a time) names the next one with setFileName
// while the saver is idle.
class CVXLStateFileSaver {
public:
    class Owner {
    public:
        virtual ~Owner() = default;
        // The whole file as it is to be written now.
        virtual void writeState(CVXLByteBuffer& out) = 0;
        // A write failed with the result (after the log line).
        virtual void stateNotSaved(std::int32_t result) { (void)result; }
        // A write succeeded.
        virtual void stateSaved() { }
    };

    CVXLStateFileSaver(CVXLEventHandler& handler, Owner& owner, const char* fileName, std::int32_t replyCode);

    // The File Store Manager, or any handler that serves file requests (no
    // damaged copy is made then).
    void setFileStoreManager(CVXLEventHandler* files) { files_ = files; }
    void setFileStoreManager(CVXLFileStoreManager* files);
    const char* fileName() const { return fileName_.c_str(); }
    void setFileName(const CVXLString& name) { fileName_ = name; }

    // Writes the owner's state now, or once the write in flight is back.
    // Returns the save's number, or 0 when nothing will be written: no File
    // Store Manager, or the handler has ended.
    std::uint32_t save();
    // True when the reply is this saver's write: it is finished here.
    bool onWritten(CVXLEvent* reply);
    // No write in flight and none asked for.
    bool idle() const { return !write_.isBusy() && !pending_; }
    bool writing() const { return write_.isBusy(); }
    bool pending() const { return pending_; }
    // The last write failed and no later one has succeeded.
    bool failed() const { return failed_; }
    std::uint32_t failures() const { return failures_; }
    // The save numbered so has its answer in lastResult(): the write that
    // ended last carried it, and when that write failed no later one, which
    // would carry it again, is under way.
    bool answered(std::uint32_t number) const
    {
        return number != 0 && number <= lastCarried_ && (lastResult_ == 0 || !write_.isBusy());
    }
    std::int32_t lastResult() const { return lastResult_; }
    // Copies the file aside as "<name>.bad"; false when it could not.
    bool keepDamagedCopy() const;

private:
    void startWrite();

    CVXLEventHandler& handler_;
    Owner& owner_;
    CVXLString fileName_;
    CVXLEventHandler* files_ = nullptr;
    CVXLFileWriteRequest write_;
    bool pending_ = false;
    bool failed_ = false;
    std::uint32_t failures_ = 0;
    // Saves asked, the last one the write in flight carries, and the last
    // one the write that ended last carried.
    std::uint32_t asked_ = 0;
    std::uint32_t carrying_ = 0;
    std::uint32_t lastCarried_ = 0;
    std::int32_t lastResult_ = 0;
};
