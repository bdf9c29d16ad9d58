#pragma once

#include "engine/core/base/VXLFixedArray.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLReleasable.h"

#include <cstdint>

// Objects registered under a triple of integer keys (a UI job's type id, an
// element id and a sub-id). The registry owns them: an object is released
// when it is replaced or the registry is cleared.
class CVXLHandlerRegistry : public CVXLObject {
public:
    struct Entry {
        std::int32_t key1;
        std::int32_t key2;
        std::int32_t key3;
        CVXLReleasable* object;
    };

    CVXLHandlerRegistry();
    ~CVXLHandlerRegistry() override;
    CVXLHandlerRegistry(const CVXLHandlerRegistry&) = delete;
    CVXLHandlerRegistry& operator=(const CVXLHandlerRegistry&) = delete;

    // Linear search in insertion order; null when absent.
    Entry* find(std::int32_t key1, std::int32_t key2, std::int32_t key3, int* index = nullptr);
    // Replaces (and releases) another object under the same keys; the same
    // object again is left alone; a new triple is appended.
    void set(CVXLReleasable* object, std::int32_t key1, std::int32_t key2, std::int32_t key3);
    void clear();
    std::uint32_t count() const { return entries_.count(); }

private:
    static void releaseObject(CVXLReleasable* object);

    CVXLFixedArray entries_;
};
