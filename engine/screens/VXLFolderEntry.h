#pragma once

#include "engine/core/base/VXLElement.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// One row of the message folder list: which folder it is (the four standard
// folders, or a premium folder), its text, and the counts it shows when the
// folder has any.
class CVXLFolderEntry : public CVXLElement {
public:
    enum Kind : std::int32_t {
        kInbox = 0,
        kSent = 1,
        kSaved = 2,
        kPending = 3,
        kPremium = 4,
    };

    CVXLFolderEntry() = default;

    std::uint32_t elementType() const override { return kElementRecord; }

    Kind kind() const { return kind_; }
    const CVXLString& text() const { return text_; }
    void set(Kind kind, const CVXLString& text)
    {
        kind_ = kind;
        text_ = text;
    }
    bool showsCount() const { return showsCount_ != 0; }
    std::uint32_t total() const { return total_; }
    std::uint32_t unread() const { return unread_; }
    void setCounts(std::uint32_t total, std::uint32_t unread)
    {
        showsCount_ = 1;
        total_ = total;
        unread_ = unread;
    }

private:
    Kind kind_ = kInbox;
    CVXLString text_;
    std::uint8_t showsCount_ = 0;
    std::uint32_t total_ = 0;
    std::uint32_t unread_ = 0;
};
