#include "engine/core/jobs/VXLHandlerRegistry.h"

#include <cstring>

CVXLHandlerRegistry::CVXLHandlerRegistry()
    : entries_(sizeof(Entry), 8)
{
}

CVXLHandlerRegistry::~CVXLHandlerRegistry()
{
    clear();
}

void CVXLHandlerRegistry::releaseObject(CVXLReleasable* object)
{
    if (object && object->release())
        delete object;
}

CVXLHandlerRegistry::Entry* CVXLHandlerRegistry::find(
    std::int32_t key1, std::int32_t key2, std::int32_t key3, int* index)
{
    const int count = static_cast<int>(entries_.count());
    for (int i = 0; i < count; ++i) {
        auto* entry = static_cast<Entry*>(entries_.at(i));
        if (entry && entry->key1 == key1 && entry->key2 == key2 && entry->key3 == key3) {
            if (index)
                *index = i;
            return entry;
        }
    }
    return nullptr;
}

void CVXLHandlerRegistry::set(CVXLReleasable* object, std::int32_t key1, std::int32_t key2, std::int32_t key3)
{
    if (Entry* entry = find(key1, key2, key3)) {
        if (entry->object == object)
            return;
        CVXLReleasable* previous = entry->object;
        entry->object = object;
        releaseObject(previous);
        return;
    }
    const Entry entry {key1, key2, key3, object};
    if (!entries_.append(&entry))
        releaseObject(object); // owned from here on, even when it cannot be kept
}

void CVXLHandlerRegistry::clear()
{
    // Empty the table before releasing, so a release that reaches back into
    // the registry finds it consistent.
    while (entries_.count() > 0) {
        const int last = static_cast<int>(entries_.count()) - 1;
        Entry entry;
        std::memcpy(&entry, entries_.at(last), sizeof entry);
        entries_.removeAt(last);
        releaseObject(entry.object);
    }
}
