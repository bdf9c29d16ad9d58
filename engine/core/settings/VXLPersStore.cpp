#include "engine/core/settings/VXLPersStore.h"

#include "engine/core/base/VXLLog.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/settings/VXLPersBranch.h"
#include "engine/core/settings/VXLPersLeaf.h"
#include "engine/core/settings/VXLPersPair.h"

namespace {

bool startsWithSavedPrefix(const CVXLString& key)
{
    const std::uint32_t n = vxlStrLen(CVXLPersStore::kSavedPrefix);
    return key.length() >= n && vxlStrNCmp(key.c_str(), CVXLPersStore::kSavedPrefix, n) == 0;
}

} // namespace

CVXLPersStore::~CVXLPersStore()
{
    delete root_;
}

CVXLString CVXLPersStore::splitFirstPathComponent(CVXLString* key)
{
    if (!key)
        return CVXLString();
    const int dot = key->findChar('.');
    if (dot < 0) {
        CVXLString first = *key;
        key->clear();
        return first;
    }
    CVXLString first = key->substr(0, static_cast<std::uint32_t>(dot));
    key->remove(0, static_cast<std::uint32_t>(dot) + 1);
    return first;
}

// Every component of a dotted key names a node: "a..b", ".a" and "a." name
// none ("a." would be saved as "a" and then be lost when read back). The
// empty key is a key of its own (the program reads its value).
bool CVXLPersStore::isWellFormedKey(const CVXLString& key)
{
    const std::uint32_t length = key.length();
    if (length == 0)
        return true;
    if (*key.charAt(0) == '.' || *key.charAt(static_cast<int>(length) - 1) == '.')
        return false;
    return key.find("..") < 0;
}

void CVXLPersStore::markChanged()
{
    dirty_ = true;
    ++changes_;
}

void CVXLPersStore::clearDirty(std::uint32_t savedChangeCount)
{
    if (savedChangeCount == changes_)
        dirty_ = false;
}

int CVXLPersStore::set(const CVXLString& key, const CVXLString& value, std::int32_t lock)
{
    if (!isWellFormedKey(key))
        return 0;
    if (!root_) {
        root_ = new CVXLPersBranch(kRootName);
        if (!root_)
            return 0;
    }
    // Before the leaf decides: a refused change of a locked value still
    // marks the store dirty when the values differ.
    if (!loading_ && startsWithSavedPrefix(key)) {
        CVXLString present;
        if (!get(key, &present) || present != value)
            markChanged();
    }
    CVXLString rest = key;
    CVXLPersNode* node = root_;
    for (;;) {
        const CVXLString component = splitFirstPathComponent(&rest);
        const bool last = rest.length() == 0;
        CVXLPersNode* next = node->child(component);
        if (last) {
            if (!next) {
                next = new CVXLPersLeaf(component);
                if (!next)
                    return 0;
                if (!node->children().set(component, next)) {
                    delete next;
                    return 0;
                }
            }
            CVXLPersLeaf* leaf = next->asLeaf();
            // A key that names a branch would make one node both.
            return leaf ? leaf->set(value, lock) : 0;
        }
        if (!next) {
            next = new CVXLPersBranch(component);
            if (!next)
                return 0;
            if (!node->children().set(component, next)) {
                delete next;
                return 0;
            }
        } else if (next->asLeaf()) {
            return 0;
        }
        node = next;
    }
}

CVXLPersNode* CVXLPersStore::find(const CVXLString& key) const
{
    if (!root_)
        return nullptr;
    CVXLString rest = key;
    CVXLPersNode* node = root_;
    for (;;) {
        const CVXLString component = splitFirstPathComponent(&rest);
        node = node->child(component);
        if (!node || rest.length() == 0)
            return node;
    }
}

int CVXLPersStore::get(const CVXLString& key, CVXLString* out) const
{
    if (!out)
        return 0;
    const CVXLPersNode* node = find(key);
    return node ? node->get(out) : 0;
}

bool CVXLPersStore::has(const CVXLString& key) const
{
    CVXLString scratch;
    return get(key, &scratch) == 1;
}

const CVXLStringMap* CVXLPersStore::lookup(const CVXLString& key) const
{
    const CVXLPersNode* node = find(key);
    return node ? &node->children() : nullptr;
}

void CVXLPersStore::removeChildren(const CVXLString& key)
{
    CVXLPersNode* node = find(key);
    if (!node)
        return;
    node->removeChildren();
    markChanged();
}

void CVXLPersStore::save(CVXLByteStream& writer) const
{
    writer.writeByte(kFormatByte);
    CVXLPtrArray pairs;
    if (root_)
        root_->collect(kSavedPrefix, CVXLString(), &pairs);
    writer.writeUInt32(pairs.count());
    for (std::uint32_t i = 0; i < pairs.count(); ++i) {
        const auto* pair = static_cast<const CVXLPersPair*>(pairs.at(static_cast<int>(i)));
        writer.writeString(pair->key);
        writer.writeString(pair->value);
    }
    pairs.deleteAll();
}

bool CVXLPersStore::load(CVXLByteStream& reader)
{
    const std::uint32_t size = reader.remaining();
    if (size == 0 || reader.readByte() != kFormatByte) {
        VXL_LOG_FAILURE("settings: image of %u bytes has no format byte %u; nothing loaded", size,
            static_cast<unsigned>(kFormatByte));
        return false;
    }
    loading_ = true;
    const std::uint32_t count = reader.readUInt32();
    std::uint32_t read = 0;
    // The count comes from the file: the loop ends at the first damaged pair
    // whatever it claims.
    for (; read < count && !reader.isBad() && reader.remaining() > 0; ++read) {
        CVXLString key = reader.readString();
        const CVXLString value = reader.readString();
        if (reader.isBad())
            break;
        splitFirstPathComponent(&key);
        // Only saved keys: a foreign file must not set the run's own values
        // (the server and proxy addresses among them).
        if (startsWithSavedPrefix(key))
            set(key, value, 0);
    }
    loading_ = false;
    if (read == count && !reader.isBad() && reader.remaining() == 0)
        return true;
    VXL_LOG_FAILURE("settings: image of %u bytes damaged at byte %u; %u of %u pairs loaded", size,
        reader.position(), read, count);
    return false;
}
