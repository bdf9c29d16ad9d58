#pragma once

#include "engine/core/base/VXLByteBuffer.h"
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

    void setFileStoreManager(CVXLFileStoreManager* files) { files_ = files; }
    const char* fileName() const { return fileName_; }

    // Writes the owner's state now, or once the write in flight is back.
    // Nothing without a File Store Manager or once the handler has ended.
    void save();
    // True when the reply is this saver's write: it is finished here.
    bool onWritten(CVXLEvent* reply);
    // No write in flight and none asked for.
    bool idle() const { return !write_.isBusy() && !pending_; }
    bool writing() const { return write_.isBusy(); }
    bool pending() const { return pending_; }
    // The last write failed and no later one has succeeded.
    bool failed() const { return failed_; }
    std::uint32_t failures() const { return failures_; }
    // Copies the file aside as "<name>.bad"; false when it could not.
    bool keepDamagedCopy() const;

private:
    void startWrite();

    CVXLEventHandler& handler_;
    Owner& owner_;
    const char* fileName_;
    CVXLFileStoreManager* files_ = nullptr;
    CVXLFileWriteRequest write_;
    bool pending_ = false;
    bool failed_ = false;
    std::uint32_t failures_ = 0;
};
