#include "engine/core/jobs/VXLRecordListEvent.h"

CVXLRecordListEvent::CVXLRecordListEvent(std::int32_t requestCode, std::int32_t replyCode)
    : CVXLEvent(requestCode, replyCode)
{
}

CVXLRecordListEvent::CVXLRecordListEvent(const CVXLRecordListEvent& other)
    : CVXLEvent(other.requestCode(), other.replyCode())
{
    setReplyWanted(other.replyWanted());
    copyRecords(other);
}

CVXLRecordListEvent& CVXLRecordListEvent::operator=(const CVXLRecordListEvent& other)
{
    if (this != &other) {
        records_.deleteAll();
        copyRecords(other);
    }
    return *this;
}

CVXLRecordListEvent::~CVXLRecordListEvent()
{
    records_.deleteAll();
}

bool CVXLRecordListEvent::append(const CVXLString& text1, const CVXLString& text2, const CVXLString& text3,
    std::int32_t value1, std::int32_t value2, std::int32_t value3)
{
    auto* record = new Record;
    if (!record)
        return false;
    record->text1 = text1;
    record->text2 = text2;
    record->text3 = text3;
    record->value1 = value1;
    record->value2 = value2;
    record->value3 = value3;
    if (!records_.insertAt(record, -1)) {
        delete record;
        return false;
    }
    return true;
}

void CVXLRecordListEvent::copyRecords(const CVXLRecordListEvent& other)
{
    for (std::uint32_t i = 0; i < other.count(); ++i) {
        const Record* r = other.at(static_cast<int>(i));
        if (r)
            append(r->text1, r->text2, r->text3, r->value1, r->value2, r->value3);
    }
}
