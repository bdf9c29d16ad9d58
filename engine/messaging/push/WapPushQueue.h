#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLObjectQueue.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLStateFileSaver.h"
#include "engine/messaging/push/WapPushItem.h"

#include <cstdint>

class CVXLFileStoreManager;

// Keeps received WAP push PDUs until the inbound message manager has dealt
// with them. Every change saves the whole queue to "state.wq" (replaced
// atomically, one write at a time, the changes meanwhile in the next), and
// the start loads it again; a damaged file is kept aside as "state.wq.bad". After an unclean shut-down the
// head counts one more attempt; one tried three times is dropped, so a notification that crashes the engine
// cannot do so for ever. A push that finds the queue full takes the place of
// an item that has failed before; with none such it is dropped.
//
// "state.wq": format byte 2, count (32 bits), then per item attempts,
// fetchNow and the PDU as a 32-bit length and its bytes; little-endian.
class CWapPushQueue : public CVXLEventHandler, private CVXLStateFileSaver::Owner {
public:
    static constexpr const char* kFileName = "state.wq";
    static constexpr std::uint8_t kFormat = 2;
    static constexpr std::uint32_t kMaxItems = 20;
    // An item whose attempts reach this is dropped at its next failure.
    static constexpr std::uint32_t kLastAttempt = 2;
    // Requests and reply codes of the queue.
    static constexpr std::int32_t kRequestPush = 0;
    static constexpr std::int32_t kReplyWritten = 1;
    static constexpr std::int32_t kReplyRead = 2;

    // What the queue needs of the Client.
    class Services {
    public:
        virtual ~Services() = default;
        // "int.fault.shutdown_fail_cnt": runs in a row that ended uncleanly.
        virtual std::uint32_t uncleanShutdowns() = 0;
        // The queue has loaded or taken a push: the head may be handed on.
        virtual void pushWaiting() = 0;
        // A save of the queue failed (false): what it took since the last
        // good save is not stored; or a later save succeeded (true).
        virtual void queueStored(bool stored) { (void)stored; }
    };

    CWapPushQueue() = default;
    ~CWapPushQueue() override;

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "Wap Push Queue"; }

    void setFileStoreManager(CVXLFileStoreManager* files)
    {
        files_ = files;
        saver_.setFileStoreManager(files);
    }
    void setServices(Services* services) { services_ = services; }

    // The read at start has been answered, whatever its result.
    bool isLoaded() const { return loaded_; }
    std::uint32_t count() const { return items_.count(); }
    // Left in place; null when empty.
    const CWapPushItem* peekHead() const { return static_cast<const CWapPushItem*>(items_.front()); }
    // Copies the head into `out` (when given), deletes it and saves; false
    // when the queue is empty.
    bool popHead(CWapPushItem* out);
    // One more failed attempt of the head: dropped once it had kLastAttempt
    // or more, else moved to the tail with one attempt more. Saves.
    void retryHead();
    // Deletes every item without saving.
    void clear();
    // The write out and the one asked for after it.
    std::uint32_t pendingWrites() const
    {
        return saver_.idle() ? 0 : (saver_.writing() ? 1 : 0) + (saver_.pending() ? 1 : 0);
    }
    // The file holds the queue as it was at the last change.
    bool stored() const { return !saver_.failed(); }
    // Writes the queue again (after a failed save).
    void save();

    // The file's bytes and their reader. parse appends at most kMaxItems
    // items; bytes that are not a whole queue of this format leave the queue
    // as it was and give false.
    void serialise(CVXLByteBuffer& out) const;
    bool parse(const CVXLByteBuffer& bytes);

private:
    void onStart(CVXLEvent* event);
    void onStop(CVXLEvent* event);
    void onRead(CVXLEvent* reply);
    void onPush(CVXLEvent* event);
    void countUncleanShutdown();
    bool append(const CWapPushItem& item);
    void dropFailedItem();
    void finishStopWhenSaved();
    void writeState(CVXLByteBuffer& out) override { serialise(out); }
    void stateNotSaved(std::int32_t result) override;
    void stateSaved() override;

    CVXLObjectQueue items_;
    CVXLFileStoreManager* files_ = nullptr;
    Services* services_ = nullptr;
    CVXLFileReadRequest readRequest_ {kReplyRead};
    bool loaded_ = false;
    CVXLStateFileSaver saver_ {*this, *this, kFileName, kReplyWritten};
    // The stop waits for the writes still out.
    CVXLEvent* stopPending_ = nullptr;
};
