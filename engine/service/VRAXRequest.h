#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/xml/VXLXmlWriter.h"

#include <cstdint>

class CVRAXEnvironment;

// Base of every request writer: one request document is the XML declaration,
// the "VRAX" root with its sequence and time stamps, the "context" element
// sent back from the last reply, the request's own element (writeBody) and
// the closing root tag. The envelope is raw text kept apart from the element
// writer, so the context and request elements start at nesting level 0.
class CVRAXRequest : public CVXLXmlWriter {
public:
    static constexpr const char* kDefaults = "VRAX_6_0_DEFAULTS";

    explicit CVRAXRequest(CVRAXEnvironment& environment);
    ~CVRAXRequest() override;

    virtual void writeEnvelopeStart();
    virtual void writeEnvelopeEnd();
    void reset() override;
    virtual void writeBody() = 0;

    CVXLByteBuffer buildDocument();

    std::int32_t sequence() const { return sequence_; }
    void setSequence(std::int32_t sequence) { sequence_ = sequence; }

    void writeAttrPair(const CVXLString& name, const CVXLString& value);
    void writeAttrLimit(const CVXLString& name, const CVXLString& maxName, const CVXLString& maxValue);
    void writeDestList();
    void writeIdentity(bool validate);
    // "ORIENT" of "90", "180" or "270" for codes 1 to 3; nothing otherwise.
    void writeOrientPair(std::int32_t code);

protected:
    CVRAXEnvironment& environment() { return environment_; }
    const CVRAXEnvironment& environment() const { return environment_; }

private:
    CVXLString setting(const char* key) const;

    CVRAXEnvironment& environment_;
    std::int32_t sequence_ = 0;
    CVXLByteBuffer envelopeStart_;
    CVXLByteBuffer envelopeEnd_;
};
