#pragma once

#include "engine/core/base/VXLByteStream.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/base/VXLStringMap.h"

#include <cstdint>

class CVXLPersBranch;
class CVXLPersNode;

// The engine's tree of named settings, addressed by dotted keys. Only the
// subtree "pers" is saved (the image of "_vxl.reg"); every other key lives in
// memory only.
//
// Image: format byte 10, a 32-bit count N, then N pairs of counted strings
// (key, value); each key is the node path from the root ("root.pers.x").
class CVXLPersStore : public CVXLObject {
public:
    static constexpr std::uint8_t kFormatByte = 10;
    static constexpr const char* kFileName = "_vxl.reg";
    // Where a damaged settings file is kept before anything replaces it.
    static constexpr const char* kDamagedFileName = "_vxl.reg.bad";
    static constexpr const char* kSavedPrefix = "pers.";
    static constexpr const char* kRootName = "root";

    CVXLPersStore() = default;
    ~CVXLPersStore() override;
    CVXLPersStore(const CVXLPersStore&) = delete;
    CVXLPersStore& operator=(const CVXLPersStore&) = delete;

    // 1 stored; 0 refused (a locked leaf, a dotted key with an empty component, or a
    // key that would use a node both as a leaf and as a branch). A change under "pers." marks the store
    // dirty.
    int set(const CVXLString& key, const CVXLString& value, std::int32_t lock = 0);
    int get(const CVXLString& key, CVXLString* out) const;
    bool has(const CVXLString& key) const;
    // The children of the node the key names (numbered lists), or null.
    const CVXLStringMap* lookup(const CVXLString& key) const;
    // Deletes everything below the named node; the node stays.
    void removeChildren(const CVXLString& key);

    // Appends the image; the dirty flag is untouched.
    void save(CVXLByteStream& writer) const;
    // Stores the "pers." pairs of an image; never marks the store dirty.
    // False, with a log line, when the image is damaged (empty, another
    // format byte, cut short, a count that lies, bytes after the last pair):
    // the pairs read before the damage are kept, and the owner must keep
    // the file aside before a save replaces it with less.
    bool load(CVXLByteStream& reader);

    // Dirty from the first change after the last confirmed save. The owner
    // notes changeCount() when it hands an image out and, once the write is
    // confirmed, calls clearDirty with it: changes made in between keep the
    // store dirty.
    bool isDirty() const { return dirty_ && !savesHeld_; }
    // A store loaded from a damaged file that could not be kept aside never
    // asks to be saved: its file holds more than the store.
    void holdSaves(bool held) { savesHeld_ = held; }
    void setDirty(bool dirty) { dirty_ = dirty; }
    std::uint32_t changeCount() const { return changes_; }
    void clearDirty(std::uint32_t savedChangeCount);

    static bool isWellFormedKey(const CVXLString& key);
    // The key's first component; removes it and its "." from the key.
    static CVXLString splitFirstPathComponent(CVXLString* key);

private:
    CVXLPersNode* find(const CVXLString& key) const;
    void markChanged();

    bool dirty_ = false;
    bool savesHeld_ = false;
    CVXLPersBranch* root_ = nullptr;
    bool loading_ = false;
    std::uint32_t changes_ = 0;
};
