#pragma once

#include <string>

// Entry ids of stores, folders and messages. Callers hold them as opaque
// bytes; only this file knows what they carry (the store's name, the
// folder's name, the message's id), and each part is checked when an id
// comes back, so an id never names a path of its own.
namespace tessel::mapi {

struct EntryIdParts {
    char kind = 0; // 'S' store, 'F' folder, 'M' message
    std::string store;
    std::string folder;
    std::string message;
};

std::string storeEntryId(const std::string& store);
std::string folderEntryId(const std::string& store, const std::string& folder);
std::string messageEntryId(const std::string& store, const std::string& folder, const std::string& message);

// False for bytes that are no entry id of ours, or whose names could leave
// the store's folder.
bool parseEntryId(const std::string& entryId, EntryIdParts* parts);

// A store or folder name that maps to one folder below mapi/.
bool validStoreName(const std::string& name);

} // namespace tessel::mapi
