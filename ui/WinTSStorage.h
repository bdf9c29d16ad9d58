#pragma once

#include <string>

// The user interface's storage folders and its file names in them. A store
// ("FileStore", "TempStore", "SupportStore") is a value of registry section
// Path: "!" followed by a phone path names the folder itself; any other
// value is taken below the memory card's folder (or the root when there is
// no card). Temporary files are "<folder>\WTS<n>.tmp", support files
// "<folder>\WTS<n>", numbered on from UIConfig "nextTempName" and
// "nextSupportName", so the names go on across runs.

// The store's phone path; its folders are made.
std::u16string GetStoragePath(const std::u16string& store);
std::u16string NextTempFileName();
std::u16string NextSupportFileName();
// Deletes the program's own temporary files (WTS<n>.tmp and WTS<n>.wav)
// from the temporary folder, once a temporary name has been given out;
// nothing else there is touched (it may be the card's root).
void DeleteTempFiles();
// Makes the phone path's folders; failures are ignored.
void CreateDirectoryPath(const std::u16string& path);
