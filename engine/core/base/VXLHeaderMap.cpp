#include "engine/core/base/VXLHeaderMap.h"

#include "engine/core/base/VXLStringMap.h"

// One value of a name. The values of a name are chained from the first,
// which the name map holds and which keeps the chain's tail and count, and
// for a long chain every value by position.
class CVXLHeaderMap::Entry : public CVXLObject {
public:
    explicit Entry(const CVXLString& text)
        : text(text)
    {
    }
    ~Entry() override
    {
        delete parameters;
        vxlFree(byPosition);
    }

    VXL_NEW_WITHOUT_ZERO_FILL(Entry)

    CVXLString text;
    CVXLHeaderMap* parameters = nullptr;
    Entry* next = nullptr;
    Entry* last = this;
    std::uint32_t count = 1;
    // Null while the chain is short, or when the heap refused the slots:
    // then the chain is walked.
    Entry** byPosition = nullptr;
    std::uint32_t positionSlots = 0;
};

class CVXLHeaderMap::Body : public CVXLObject {
public:
    // Every member is set by the constructor (the entry slots are written
    // before they are read), so a body skips the zero fill.
    VXL_NEW_WITHOUT_ZERO_FILL(Body)

    // The names go with the body's members and its string map.
    ~Body() override
    {
        removeValues();
        delete map_;
    }

    std::uint32_t nameCount() const { return map_ ? map_->count() : inlineNames_; }

    // Null when out of range.
    const CVXLString* nameAt(int index) const
    {
        if (map_)
            return map_->keyAt(index);
        return index >= 0 && static_cast<std::uint32_t>(index) < inlineNames_ ? &names_[index] : nullptr;
    }

    Entry* firstAt(int index) const
    {
        if (map_)
            return static_cast<Entry*>(map_->valueAt(index));
        return index >= 0 && static_cast<std::uint32_t>(index) < inlineNames_ ? firsts_[index] : nullptr;
    }

    // The first name that matches, exactly unless asked.
    Entry* values(const CVXLString& name, bool ignoreCase = false) const
    {
        if (map_) {
            map_->setCaseInsensitive(ignoreCase);
            auto* first = static_cast<Entry*>(map_->find(name));
            map_->setCaseInsensitive(false);
            return first;
        }
        const int at = inlineIndexOf(name, ignoreCase);
        return at < 0 ? nullptr : firsts_[at];
    }

    Entry* entry(const CVXLString& name, int index, bool ignoreCase = false) const
    {
        Entry* at = index < 0 ? nullptr : values(name, ignoreCase);
        if (!at || static_cast<std::uint32_t>(index) >= at->count)
            return nullptr;
        if (at->byPosition)
            return at->byPosition[index];
        for (int i = 0; at && i < index; ++i)
            at = at->next;
        return at;
    }

    Entry* add(const CVXLString& name, const CVXLString& text)
    {
        auto* entry = newEntry(text);
        if (!entry)
            return nullptr;
        Entry* first = values(name);
        if (!first) {
            if (!appendName(name, entry)) {
                deleteEntry(entry);
                return nullptr;
            }
            return entry;
        }
        first->last->next = entry;
        first->last = entry;
        ++first->count;
        indexLast(first);
        return entry;
    }

    // Removes the name (its first exact match) and its values; false when
    // it is absent.
    bool remove(const CVXLString& name)
    {
        Entry* first = values(name);
        if (!first)
            return false;
        if (map_) {
            map_->remove(name);
        } else {
            const auto at = static_cast<std::uint32_t>(inlineIndexOf(name, false));
            for (std::uint32_t i = at; i + 1 < inlineNames_; ++i) {
                names_[i] = names_[i + 1];
                firsts_[i] = firsts_[i + 1];
            }
            names_[--inlineNames_].clear();
        }
        removeChain(first);
        return true;
    }

    // Last name first; the names go all at once, not one search each.
    void removeAll()
    {
        removeValues();
        if (map_)
            map_->removeAll(false);
        for (std::uint32_t i = 0; i < inlineNames_; ++i)
            names_[i].clear();
        inlineNames_ = 0;
        // Every entry is gone, those kept in place too.
        inlineUsed_ = 0;
    }

    // The values of every name, the names left as they are.
    void removeValues()
    {
        for (std::uint32_t i = nameCount(); i > 0; --i)
            removeChain(firstAt(static_cast<int>(i - 1)));
    }

    CVXLString empty;

private:
    // Most maps hold no more names or values than this: they live in the
    // body itself. A map of more names keeps them all in a string map.
    static constexpr std::uint32_t kInlineNames = 6;
    static constexpr std::uint32_t kInlineEntries = 6;
    // A name with this many values reaches them by position.
    static constexpr std::uint32_t kIndexedFrom = 8;

    int inlineIndexOf(const CVXLString& name, bool ignoreCase) const
    {
        for (std::uint32_t i = 0; i < inlineNames_; ++i) {
            if (ignoreCase ? names_[i].compare(name, false) == 0 : names_[i] == name)
                return static_cast<int>(i);
        }
        return -1;
    }

    bool appendName(const CVXLString& name, Entry* first)
    {
        if (!map_ && inlineNames_ < kInlineNames) {
            names_[inlineNames_] = name;
            firsts_[inlineNames_++] = first;
            return true;
        }
        if (!map_) {
            auto* map = new CVXLStringMap(2 * kInlineNames);
            if (!map)
                return false;
            for (std::uint32_t i = 0; i < inlineNames_; ++i) {
                if (!map->append(names_[i], firsts_[i])) {
                    delete map;
                    return false;
                }
            }
            map_ = map;
            for (std::uint32_t i = 0; i < inlineNames_; ++i)
                names_[i].clear();
            inlineNames_ = 0;
        }
        return map_->append(name, first);
    }

    // Keeps the positions of a chain of kIndexedFrom values or more, the
    // newest value just chained.
    static void indexLast(Entry* first)
    {
        if (first->count < kIndexedFrom)
            return;
        if (first->count > first->positionSlots) {
            const std::uint64_t slots
                = first->positionSlots ? 2ull * first->positionSlots : 2ull * kIndexedFrom;
            auto** grown = slots <= 0xFFFFFFFFu / sizeof(Entry*)
                ? static_cast<Entry**>(vxlAllocUnfilled(slots * static_cast<std::uint32_t>(sizeof(Entry*))))
                : nullptr;
            if (grown && first->byPosition) {
                for (std::uint32_t i = 0; i + 1 < first->count; ++i)
                    grown[i] = first->byPosition[i];
            } else if (grown) {
                Entry* at = first;
                for (std::uint32_t i = 0; i + 1 < first->count; ++i, at = at->next)
                    grown[i] = at;
            }
            vxlFree(first->byPosition);
            first->byPosition = grown;
            first->positionSlots = grown ? static_cast<std::uint32_t>(slots) : 0;
            if (!grown)
                return;
        }
        first->byPosition[first->count - 1] = first->last;
    }

    // The first values live in the body itself; later ones on the heap.
    Entry* newEntry(const CVXLString& text)
    {
        if (inlineUsed_ < kInlineEntries)
            return new (inlineEntries_ + inlineUsed_++ * sizeof(Entry)) Entry(text);
        return new Entry(text);
    }

    void removeChain(Entry* first)
    {
        while (first) {
            Entry* next = first->next;
            deleteEntry(first);
            first = next;
        }
    }

    void deleteEntry(Entry* entry)
    {
        const auto* at = reinterpret_cast<const unsigned char*>(entry);
        if (at >= inlineEntries_ && at < inlineEntries_ + sizeof inlineEntries_)
            entry->~Entry(); // its slot is reused only once the body is emptied
        else
            delete entry;
    }

    CVXLString names_[kInlineNames];
    Entry* firsts_[kInlineNames] = {};
    std::uint32_t inlineNames_ = 0;
    // Null until the names outgrow the body.
    CVXLStringMap* map_ = nullptr;
    alignas(Entry) unsigned char inlineEntries_[kInlineEntries * sizeof(Entry)];
    std::uint32_t inlineUsed_ = 0;
};

namespace {

// Only when the heap refused a body does a reader need an empty string of
// its own; made on first use so that no string lives otherwise.
const CVXLString& fallbackEmpty()
{
    static const CVXLString empty;
    return empty;
}

} // namespace

// The body is made by the first change (or the first read of a value), so
// a map that stays empty costs no block.
CVXLHeaderMap::CVXLHeaderMap()
    : body_(nullptr)
{
}

CVXLHeaderMap::CVXLHeaderMap(const CVXLHeaderMap& other)
    : CVXLObject()
    , body_(other.body_)
{
    if (body_)
        count_ = other.count_;
}

CVXLHeaderMap& CVXLHeaderMap::operator=(const CVXLHeaderMap& other)
{
    // A handle of the same body (itself included) must not delete it.
    if (body_ == other.body_ && (!body_ || count_.sharesWith(other.count_)))
        return *this;
    releaseBody();
    body_ = other.body_;
    if (body_)
        count_ = other.count_;
    else
        count_.detach();
    return *this;
}

CVXLHeaderMap::~CVXLHeaderMap()
{
    releaseBody();
}

void CVXLHeaderMap::releaseBody()
{
    if (count_.useCount() == 0)
        delete body_;
    body_ = nullptr;
}

bool CVXLHeaderMap::makePrivate()
{
    if (body_ && count_.useCount() == 0)
        return true;
    auto* copy = new Body;
    if (!copy)
        return false;
    if (body_) {
        for (std::uint32_t i = 0, n = body_->nameCount(); i < n; ++i) {
            const CVXLString& name = *body_->nameAt(static_cast<int>(i));
            const Entry* first = body_->firstAt(static_cast<int>(i));
            for (const Entry* from = first; from; from = from->next) {
                Entry* to = copy->add(name, from->text);
                // Parameters are shared with the old body, not copied.
                if (to && from->parameters)
                    to->parameters = new CVXLHeaderMap(*from->parameters);
                if (!to || (from->parameters && !to->parameters)) {
                    delete copy;
                    return false;
                }
            }
        }
    }
    count_.detach();
    body_ = copy;
    return true;
}

std::uint32_t CVXLHeaderMap::nameCount() const
{
    return body_ ? body_->nameCount() : 0;
}

CVXLString CVXLHeaderMap::nameAt(int index) const
{
    const CVXLString* name = body_ ? body_->nameAt(index) : nullptr;
    return name ? *name : CVXLString();
}

std::uint32_t CVXLHeaderMap::valueCount(const CVXLString& name) const
{
    const Entry* first = body_ ? body_->values(name) : nullptr;
    return first ? first->count : 0;
}

bool CVXLHeaderMap::contains(const CVXLString& name, bool ignoreCase) const
{
    return body_ && body_->values(name, ignoreCase) != nullptr;
}

const CVXLString& CVXLHeaderMap::value(const CVXLString& name, int index, bool ignoreCase) const
{
    // The empty answer lives in the body; a map without one makes it.
    if (!body_)
        body_ = new Body;
    if (!body_)
        return fallbackEmpty();
    const Entry* entry = body_->entry(name, index, ignoreCase);
    return entry ? entry->text : body_->empty;
}

CVXLHeaderMap* CVXLHeaderMap::valueObject(const CVXLString& name, int index) const
{
    const Entry* entry = body_ ? body_->entry(name, index) : nullptr;
    return entry ? entry->parameters : nullptr;
}

bool CVXLHeaderMap::add(const CVXLString& name, const CVXLString& text)
{
    return makePrivate() && body_->add(name, text) != nullptr;
}

bool CVXLHeaderMap::remove(const CVXLString& name)
{
    return makePrivate() && body_->remove(name);
}

bool CVXLHeaderMap::setValueObject(const CVXLString& name, int index, CVXLHeaderMap* object)
{
    if (!makePrivate())
        return false;
    Entry* entry = body_->entry(name, index);
    if (!entry)
        return false;
    // Attaching the object it already holds must not delete it.
    if (entry->parameters != object) {
        delete entry->parameters;
        entry->parameters = object;
    }
    return true;
}

void CVXLHeaderMap::clear()
{
    if (body_)
        body_->removeAll();
}
