#pragma once

#include "engine/core/base/VXLByteBuffer.h"
#include "engine/core/base/VXLPropertyMap.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/xml/VXLXmlReader.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

class CVRAXEnvironment;

enum VRAXReplyResult : std::int32_t {
    kVraxReplyUndecided = 0,
    kVraxReplyDone = 1,
    kVraxReplyAlert = 2,
    kVraxReplyError = 3,
    // The document is no reply of the protocol: a DOCTYPE, or a value
    // outside what the request allows.
    kVraxReplyFraming = 5,
};

// Base of every reply reader: reads a reply document, tells done, alert and
// error apart, keeps the "attr" pairs and applies the settings any reply may
// change (the context to send back, the address of later requests). Reading
// stops as soon as the reply is classified, so a reader stops at the start
// tag of an "error" unless its error test says otherwise.
class CVRAXReplyParser : public CVXLXmlReader {
public:
    explicit CVRAXReplyParser(CVRAXEnvironment& environment);
    ~CVRAXReplyParser() override;

    void reset() override;
    void onElement(const CVXLString& name, bool start) override;
    void onAttribute(const CVXLString& name, const CVXLString& value) override;
    void onText(const CVXLString& text) override;
    void onMalformed() override;
    void onDoctype() override;
    virtual std::int32_t parse(const CVXLByteBuffer& reply);
    virtual bool isError(const CVXLString& name) const { return named(name, "error"); }
    virtual bool isAlert(const CVXLString& name) const { return named(name, "list-choice-alert"); }

    CVXLString header(const CVXLString& name) const { return pairs_.get(name); }
    std::int32_t result() const { return result_; }

    // Only an absolute http address with a host may redirect later
    // requests: they carry the subscriber's password.
    static bool isAcceptableServerUri(const CVXLString& text);

protected:
    // A name compared by its length first, then its bytes: most names read
    // differ in length from the one asked.
    template <std::size_t N> static bool named(const CVXLString& name, const char (&text)[N])
    {
        return name.length() == N - 1 && std::memcmp(name.c_str(), text, N - 1) == 0;
    }

    void setResult(std::int32_t result);
    // The element whose start tag or text is being read.
    const CVXLString& element() const { return element_; }
    // The name of the last "attr" element read.
    const CVXLString& pairName() const { return pairName_; }
    CVRAXEnvironment& environment() { return environment_; }

private:
    // The elements whose attributes or text this reader keeps.
    enum class Kept { None, Attr, Context, UriReplace };
    static Kept keptOf(const CVXLString& name);

    CVRAXEnvironment& environment_;
    CVXLString pairName_;
    std::int32_t result_ = kVraxReplyUndecided;
    CVXLPropertyMap pairs_;
    // A copy in a block of its own, so the reader keeps its storage for the
    // next name.
    CVXLString element_;
    Kept kept_ = Kept::None;
};
