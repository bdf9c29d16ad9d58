#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLNamedRequest.h"
#include "engine/transfer/VXLPushToSourceAdapterBase.h"

#include <cstdint>

class CVXLPersStore;

// Writes the blocks a producer pushes into a file, as the source of a
// transfer to the file sink job that the File Store Manager makes for the
// file. Three requests drive it: open (6, answered with 24) asks the manager
// for the sink and starts the transfer; each write (kEventPushWrite,
// answered with 28) is answered once the sink has taken all of its bytes;
// close (7, answered with 25) ends the transfer and is answered once the
// close has run down to the sink. The sink writes a replacing copy that
// takes the file's place only when the transfer ended complete, so a close
// posted with a failure result, or a stop, keeps the earlier file.
//
// The bytes expected and the bytes written so far are published as two
// integer settings under the keys its owner names. The File Store Manager is
// forgotten after each transfer: the owner names it before each open.
class CVXLPushToFileAdapterJob : public CVXLPushToSourceAdapterBase {
public:
    static constexpr std::int32_t kCloseRequest = 7;
    static constexpr std::int32_t kCloseReply = kReplyPushClose;

    CVXLPushToFileAdapterJob();
    ~CVXLPushToFileAdapterJob() override;

    // Names of the settings for the bytes expected and the bytes written.
    void setProgressKeys(const CVXLString& totalKey, const CVXLString& currentKey);
    // The Client's settings store; null publishes nothing.
    void setSettingsStore(CVXLPersStore* settings) { settings_ = settings; }
    // The job that opens files for writing (kEventFileOpenForWriting).
    void setFileStoreManager(CVXLEventHandler* manager) { fileStoreManager_ = manager; }
    CVXLEventHandler* fileStoreManager() const { return fileStoreManager_; }

    void init() override;
    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLPushToFileAdapterJob"; }
    void restart() override;
    void onOpen() override;
    void onSourceFinished(bool succeeded) override;
    void onPushConsumed() override;

    // Bytes the sink took from the file opened last.
    std::uint32_t written() const { return written_; }
    // A file sink is held: from the manager's answer until the close ran.
    bool isOpen() const { return sink_ != nullptr; }

private:
    // Reply codes of the adapter's own requests.
    static constexpr std::int32_t kFileOpened = 5;
    static constexpr std::int32_t kRunDone = 8;

    void open(CVXLEvent* request);
    void onFileOpened(CVXLEvent* reply);
    void write(CVXLEvent* request);
    void close(CVXLEvent* request);
    void onRunDone(CVXLEvent* reply);
    void onClosed();
    void onStop(CVXLEvent* event);
    void forgetDeadSink();
    void releaseSink();
    void answer(CVXLEvent*& held, std::int32_t result, const CVXLString& text = CVXLString());
    void publish(const CVXLString& key, std::uint32_t value);

    CVXLString totalKey_;
    CVXLString currentKey_;
    CVXLPersStore* settings_ = nullptr;
    CVXLEventHandler* fileStoreManager_ = nullptr;
    CVXLXferJobBase* sink_ = nullptr;
    CVXLEventHandler* sinkOwner_ = nullptr;
    CVXLNamedRequest fileRequest_ {kEventFileOpenForWriting, kFileOpened};
    CVXLEvent runRequest_ {kEventXferRun, kRunDone};
    CVXLEvent closeRequest_ {kEventXferClose, kEventXferCloseDone};
    // The producer's requests held until their step is done.
    CVXLEvent* pendingOpen_ = nullptr;
    CVXLEvent* pendingWrite_ = nullptr;
    CVXLEvent* pendingClose_ = nullptr;
    std::int32_t expectedTotal_ = -1;
    // What the close answers: the run's result and text.
    std::int32_t closeResult_ = 0;
    CVXLString closeText_;
    std::uint32_t written_ = 0;
    // The producer gave the file up; its close is answered with success.
    bool abandoned_ = false;
    bool stopping_ = false;
};
