#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

class CVXLEventHandler;
class CVXLMediaRef;

// A counted reference to a media reference. Copies retain the item; the
// handle whose release reports the last reference deletes it. A running item
// is not deleted here: it stops itself and the Job Runner deletes it. The
// setters create the item on demand, so a holder can fill one in before it
// exists.
class CVXLMediaRefHandle : public CVXLObject {
public:
    CVXLMediaRefHandle() = default;
    explicit CVXLMediaRefHandle(CVXLMediaRef* item);
    CVXLMediaRefHandle(const CVXLMediaRefHandle& other);
    CVXLMediaRefHandle& operator=(const CVXLMediaRefHandle& other);
    ~CVXLMediaRefHandle() override;

    CVXLMediaRef* get() const { return item_; }
    explicit operator bool() const { return item_ != nullptr; }

    void addEntry(const CVXLString& location, const CVXLString& mimeType, CVXLEventHandler* sourceJob,
        std::int32_t width, std::int32_t height, std::int32_t lengthHint, bool original);
    void setMimeType(const char* mimeType);
    void setValue(std::int32_t value);
    // The source job of the rendition chosen for the size class, or null.
    CVXLEventHandler* entryValue(std::int32_t sizeClass) const;
    // Prepares a request for the rendition of exactly this type and size.
    void requestRendition(std::int32_t kind, std::int32_t width, std::int32_t height, const char* mimeType);

private:
    bool create();
    void releaseItem();

    CVXLMediaRef* item_ = nullptr;
};
