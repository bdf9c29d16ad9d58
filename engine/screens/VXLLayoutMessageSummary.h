#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/screens/VXLLayout.h"

#include <cstdint>

// The message summary screen (type 13) of a message known only by its
// summary: in states 0 and 1 a stored one (View, Delete), in states 2 and 3
// one waiting for the user's consent to be fetched (Retrieve Summary). It
// keeps the summary data the job puts in; the user interface does not read
// it.
class CVXLLayoutMessageSummary : public CVXLLayout {
public:
    CVXLLayoutMessageSummary();
    ~CVXLLayoutMessageSummary() override = default;

    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

    void setSummary(const CVXLByteBuffer& data) { summary_ = data; }
    const CVXLByteBuffer& summary() const { return summary_; }

private:
    CVXLByteBuffer summary_;
};
