#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLPtrArrayIterator.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// Asks the Scenario Manager for one level of the destination tree: the
// entries directly under a category (the top level for an empty id). The
// reply carries the entries (CVXLMenuItemElement), which stay the manager's
// and are valid until its next destinations request.
class CScenarioRequestEvent : public CVXLEvent {
public:
    static constexpr std::int32_t kRequestCode = 0;

    explicit CScenarioRequestEvent(std::int32_t replyCode = kEventNone)
        : CVXLEvent(kRequestCode, replyCode)
    {
    }

    const CVXLString& text() const { return text_; }
    void setText(const CVXLString& categoryId) { text_ = categoryId; }

    // Null until the manager answered with success.
    const CVXLPtrArray* entries() const { return entries_; }
    void setEntries(const CVXLPtrArray* entries) { entries_ = entries; }
    std::uint32_t entryCount() const { return entries_ ? entries_->count() : 0; }
    CVXLPtrArrayIterator begin() const { return CVXLPtrArrayIterator(entries_, 0); }

private:
    CVXLString text_;
    const CVXLPtrArray* entries_ = nullptr;
};
