#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLListIterator.h"
#include "engine/core/base/VXLObject.h"
#include "engine/service/VRAXReplyParser.h"

#include <cstdint>

// One choice of a list-choice alert.
class CVRAXListItem : public CVXLObject {
public:
    CVXLString text;
    std::int32_t isDefault = 0;
    CVXLString id;
    std::int32_t status = 0;
};

// Reads the choices of a "list-choice-alert" reply, and the alert's own
// message and time-out. The alert is this reader's subject, not an early
// stop: it reads on to the alert's end tag.
class CVRAXListReplyParser : public CVRAXReplyParser {
public:
    using CVRAXReplyParser::CVRAXReplyParser;
    ~CVRAXListReplyParser() override;

    void reset() override;
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;
    void onText(const CVXLString& text) override;
    bool isAlert(const CVXLString& /*name*/) const override { return false; }

    CVXLListIterator items() const { return list_.begin(); }
    std::uint32_t itemCount() const { return list_.count(); }
    std::int32_t listCount() const { return count_; }
    std::int32_t listOffset() const { return offset_; }
    const CVXLString& message() const { return message_; }
    std::uint16_t timeout() const { return timeout_; }
    // Not filled by the reader; the owner keeps the chosen text here.
    CVXLString& text() { return text_; }

private:
    enum Mode : std::int32_t { kOutside = 0, kInList = 1, kInItem = 2 };

    void deleteItems();

    CVXLString text_;
    std::int32_t mode_ = kOutside;
    CVXLList list_;
    CVRAXListItem* item_ = nullptr;
    std::int32_t count_ = 0;
    std::int32_t offset_ = 0;
    CVXLString message_;
    std::uint16_t timeout_ = 0;
};
