#pragma once

#include "engine/core/base/VXLCallbackListener.h"
#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLString.h"

#include <cstdint>

// What a platform media source reports about one item for the Local Media
// Manager: seven texts, six integers and a list of strings, then done. Text
// fields are numbered 1 to 7 and integer fields 1 to 6; other numbers are
// ignored (reads give "" or 0).
class CVXLSourceDescriptor : public CVXLObject {
public:
    static constexpr int kTextFields = 7;
    static constexpr int kIntegerFields = 6;

    explicit CVXLSourceDescriptor(CVXLCallbackListener* owner = nullptr);
    ~CVXLSourceDescriptor() override;
    CVXLSourceDescriptor(const CVXLSourceDescriptor&) = delete;
    CVXLSourceDescriptor& operator=(const CVXLSourceDescriptor&) = delete;

    virtual void setText(int field, const CVXLString& text);
    virtual void setInteger(int field, std::int32_t value);
    // Integer fields 4 and 3, in that order of arguments; then 1 and 2.
    virtual void setIntegers4And3(std::int32_t field4, std::int32_t field3);
    virtual void setIntegers1And2(std::int32_t field1, std::int32_t field2);
    virtual void addEntry(const CVXLString& text);
    virtual void appendCopy(const CVXLString& text);
    // Sets the done flag and tells the owner (status, 1).
    virtual void done(std::int32_t status);

    CVXLString text(int field) const;
    std::int32_t integer(int field) const;
    const CVXLList& entries() const { return entries_; }
    void clearEntries();
    bool isDone() const { return done_; }

private:
    CVXLString texts_[kTextFields];
    std::int32_t integers_[kIntegerFields] = {};
    CVXLList entries_;
    bool done_ = false;
    CVXLCallbackListener* owner_;
};
