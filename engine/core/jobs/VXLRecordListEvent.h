#pragma once

#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEvent.h"

#include <cstdint>

// An event carrying a list of records of three texts and three integers.
// Copying the event copies every record.
class CVXLRecordListEvent : public CVXLEvent {
public:
    struct Record : CVXLObject {
        CVXLString text1;
        CVXLString text2;
        CVXLString text3;
        std::int32_t value1 = 0;
        std::int32_t value2 = 0;
        std::int32_t value3 = 0;
    };

    explicit CVXLRecordListEvent(std::int32_t requestCode = kEventNone, std::int32_t replyCode = kEventNone);
    // A new event with the same codes and copies of the records.
    CVXLRecordListEvent(const CVXLRecordListEvent& other);
    CVXLRecordListEvent& operator=(const CVXLRecordListEvent& other);
    ~CVXLRecordListEvent() override;

    // False when the heap refuses.
    bool append(const CVXLString& text1, const CVXLString& text2, const CVXLString& text3,
        std::int32_t value1, std::int32_t value2, std::int32_t value3);
    std::uint32_t count() const { return records_.count(); }
    // Null when the index is out of range.
    const Record* at(int index) const { return static_cast<const Record*>(records_.at(index)); }
    void clearRecords() { records_.deleteAll(); }

private:
    void copyRecords(const CVXLRecordListEvent& other);

    CVXLPtrArray records_;
};
