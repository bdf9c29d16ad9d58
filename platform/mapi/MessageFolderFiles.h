#pragma once

#include "platform/mapi/MessageRecord.h"

#include <string>
#include <vector>

// The files of one message folder (<device root>/mapi/<store>/<folder>/):
// one "<id>.msg" per message, id being 32 lower-case hex digits. Every
// change holds an exclusive flock on the folder's ".lock" and replaces a
// file whole (written beside as ".<id>.<pid>.tmp", synced, renamed); reads
// hold a shared one. So processes share a folder, and a writer killed at
// any moment leaves the old message or the new one.
namespace tessel::mapi {

class MessageFolderFiles {
public:
    // hostFolder: the folder's host path; made when missing.
    explicit MessageFolderFiles(std::string hostFolder);

    const std::string& hostFolder() const { return folder_; }

    // The ids of the messages, sorted.
    std::vector<std::string> ids() const;
    bool contains(const std::string& id) const;

    // Reads every message with its id in one pass under the lock; a damaged
    // file is skipped and logged to log/mapi.log.
    struct Entry {
        std::string id;
        MessageRecord record;
    };
    std::vector<Entry> readAll() const;

    // kMapiNotFound when there is no such message, kMapiCorruptData (and a
    // log line) when its file is damaged.
    std::uint32_t read(const std::string& id, MessageRecord* record) const;

    // Stores the message under id, replacing what was there.
    bool write(const std::string& id, const MessageRecord& record) const;

    // Removes the messages; the number removed.
    std::size_t remove(const std::vector<std::string>& ids) const;

    // A fresh random id.
    static std::string newId();
    static bool validId(const std::string& id);

private:
    std::string folder_;
};

} // namespace tessel::mapi
