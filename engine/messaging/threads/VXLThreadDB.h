#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLStringMap.h"
#include "engine/core/jobs/VXLEvent.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/text/VXLRegex.h"
#include "engine/files/VXLFileDeleteRequest.h"
#include "engine/files/VXLFileReadRequest.h"
#include "engine/files/VXLFileWriteRequest.h"
#include "engine/messaging/threads/VXLThreadEntry.h"
#include "engine/messaging/threads/VXLThreadRequests.h"

#include <cstdint>

class CVXLFileStoreManager;

// Groups the known messages into one thread per correspondent and counts the
// new ones per thread. Everything lives in memory; a change schedules a save
// 1 s later (at most about 16 s after the first change of a burst) into
// "thread1.db" or "thread2.db", whichever "threaddb.run" does not name, and
// only then is the pointer moved, so a crash leaves one whole database named.
class CVXLThreadDB : public CVXLEventHandler {
public:
    // What the thread database needs of the Client.
    class Services {
    public:
        virtual ~Services() = default;
        // Configuration item 7, the subscriber's own number.
        virtual CVXLString ownNumber() const = 0;
        // Sets "inbox.new_msg_count".
        virtual void setNewMessageCount(std::uint32_t count) = 0;
    };

    static constexpr std::uint32_t kVersion = 4;
    static constexpr const char* kFirstFile = "thread1.db";
    static constexpr const char* kSecondFile = "thread2.db";
    static constexpr const char* kPointerFile = "threaddb.run";
    static constexpr std::uint32_t kSaveDelayMs = 1000;
    static constexpr std::uint32_t kSaveBurstLimitMs = 15000;
    static constexpr const char* kEmailPattern = "[A-Za-z0-9._$+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]+";

    CVXLThreadDB();
    ~CVXLThreadDB() override;

    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "CVXLThreadDB"; }

    void setFileStoreManager(CVXLFileStoreManager* manager) { files_ = manager; }
    void setServices(Services* services) { services_ = services; }

    // The last database built.
    static CVXLThreadDB* instance();

    // Hidden first, then shown; exact key, no normalisation.
    CVXLThreadEntry* findThread(const CVXLString& address) const;
    bool isMessageNew(const CVXLString& messageId) const;
    std::uint32_t totalNewCount() const;
    CVXLString normalise(const CVXLString& address);

    std::uint32_t shownCount() const { return shown_.count(); }
    std::uint32_t hiddenCount() const { return hidden_.count(); }
    CVXLThreadEntry* shownAt(int index) const { return static_cast<CVXLThreadEntry*>(shown_.at(index)); }
    CVXLThreadEntry* hiddenAt(int index) const { return static_cast<CVXLThreadEntry*>(hidden_.at(index)); }
    std::uint32_t messageCount() const { return messages_.count(); }
    CVXLThreadMessageEntry* findMessage(const CVXLString& messageId) const;
    const CVXLString& currentFile() const { return currentFile_; }
    std::uint32_t savesWritten() const { return savesWritten_; }

    // The database file's bytes, and their reader: false, with nothing
    // changed, unless the bytes are one whole database of this version.
    void serialise(CVXLByteBuffer& out) const;
    bool parse(const CVXLByteBuffer& bytes);
    // The version word of a database file, 0 when it has none.
    static std::uint32_t versionOf(const CVXLByteBuffer& bytes);

private:
    // Reply and self-event codes.
    static constexpr std::int32_t kSaveNow = 7;
    static constexpr std::int32_t kSaveTimer = 8;
    static constexpr std::int32_t kReplyRead = 9;
    static constexpr std::int32_t kReplyDatabaseWritten = 10;
    static constexpr std::int32_t kReplyDeleted = 11;
    static constexpr std::int32_t kReplyPointerWritten = 12;

    enum class LoadStep { None, Pointer, Named, Other };

    void onStart(CVXLEvent* event);
    void onRead(CVXLEvent* reply);
    void readFile(const char* name, LoadStep step);
    void finishLoad();
    void onStop(CVXLEvent* event);
    void startSave();
    void onDatabaseWritten(CVXLEvent* reply);
    void onPointerWritten(CVXLEvent* reply);
    void onDeleted(CVXLEvent* reply);
    void saveEnded();
    void scheduleSave();

    void reconcile(CThreadReconcileRequest* request);
    void add(CThreadAddRequest* request);
    void remove(CThreadRemoveRequest* request);
    void deleteThreads(CThreadDeleteRequest* request);
    void markReadRequest(CThreadMarkReadRequest* request);
    void clearNewCounts(CThreadClearNewCountsRequest* request);

    CVXLThreadEntry* linkPrimary(CVXLThreadMessageEntry* message, const CVXLString& address);
    CVXLThreadEntry* linkSecondary(CVXLThreadMessageEntry* message, const CVXLString& address);
    void link(CVXLThreadMessageEntry* message, CVXLThreadEntry* thread, bool primary);
    void unlink(CVXLThreadMessageEntry* message, CVXLThreadEntry* thread);
    // Sets read and seen; an unread message leaves its primary thread's count.
    void markRead(CVXLThreadMessageEntry* message);
    void deleteEverywhere(CVXLThreadMessageEntry* message);
    void deleteOneThread(CVXLThreadEntry* thread, CVXLStringArray& deletedIds);
    // A new thread under its key, listed by the caller; null when the heap refuses.
    CVXLThreadEntry* newThread(const CVXLString& key);
    void dropThread(CVXLThreadEntry* thread);
    void publishNewCount();
    void clearAll();

    static CVXLThreadDB* instance_;

    CVXLFileStoreManager* files_ = nullptr;
    Services* services_ = nullptr;
    CVXLPtrArray hidden_;
    CVXLPtrArray shown_;
    // Every thread, hidden or shown, by its key.
    CVXLStringMap byAddress_;
    CVXLStringMap messages_;
    CVXLRegex email_;
    CVXLString currentFile_ {kFirstFile};
    std::uint32_t firstArmedAt_ = 0;
    std::uint32_t savesWritten_ = 0;

    CVXLEvent saveTimer_ {kSaveTimer, kSaveTimer};
    CVXLFileReadRequest readRequest_ {kReplyRead};
    CVXLFileWriteRequest databaseWrite_ {kReplyDatabaseWritten};
    CVXLFileWriteRequest pointerWrite_ {kReplyPointerWritten};
    CVXLFileDeleteRequest deleteRequest_ {kReplyDeleted};

    CVXLEvent* startPending_ = nullptr;
    LoadStep loadStep_ = LoadStep::None;
    CVXLString namedFile_;
    CVXLEvent* stopPending_ = nullptr;
    CVXLEvent* savePending_ = nullptr; // the request 7 being served
    bool saving_ = false;
    bool saveAgain_ = false;
    bool finalSaveDone_ = false;
    CVXLString writtenFile_;
};
