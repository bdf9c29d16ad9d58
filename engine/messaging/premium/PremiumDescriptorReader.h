#pragma once

#include "engine/core/base/VXLString.h"
#include "engine/core/xml/VXLXmlReader.h"

#include <cstdint>

// Reads a premium descriptor (the value of a message's "X-QV-Folder"): the
// attributes "control", "id", "priority", "name" and "thumbnail" met while
// inside a "premium" element; the last occurrence of each wins. Text that is
// not XML gives no attributes; what was read before malformed input stays.
class CPremiumDescriptorReader : public CVXLXmlReader {
public:
    // Reads the whole text; the attributes are empty when absent.
    void read(const CVXLString& descriptor);

    // Control empty or "normal" (ASCII case ignored): the message is kept.
    bool isNormal() const;

    const CVXLString& control() const { return control_; }
    const CVXLString& id() const { return id_; }
    const CVXLString& priority() const { return priority_; }
    const CVXLString& name() const { return name_; }
    const CVXLString& thumbnail() const { return thumbnail_; }

    void reset() override;
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;
    void onText(const CVXLString& text) override;

private:
    std::uint32_t premiumDepth_ = 0;
    CVXLString control_;
    CVXLString id_;
    CVXLString priority_;
    CVXLString name_;
    CVXLString thumbnail_;
};
