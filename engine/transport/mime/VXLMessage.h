#pragma once

#include "engine/core/base/VXLHeaderMap.h"
#include "engine/core/base/VXLString.h"
#include "engine/transport/mime/VXLEntityRef.h"
#include "engine/transport/mime/VXLMimeEntity.h"

#include <cstdint>

// A message: a header map of its own and a body reference, either one
// entity or a multipart body. Each value may carry a parameter map of its
// own. The header calls are virtual so that a message that keeps some of its
// fields elsewhere (an MMS PDU keeps its fields by code) still answers them
// under their names.
class CVXLMessage : public CVXLMimeEntity {
public:
    CVXLMessage();
    // Shares the other's body reference and, copy-on-write, its header map.
    CVXLMessage(const CVXLMessage& other);
    CVXLMessage& operator=(const CVXLMessage& other);
    ~CVXLMessage() override;

    CVXLHeaderMap& headers() override;
    void setHeaders(const CVXLHeaderMap& other) override;
    const CVXLHeaderMap& messageHeaders() const { return headers_; }

    void assign(const CVXLMessage& other);

    virtual bool addHeader(const CVXLString& name, const CVXLString& value);
    virtual std::uint32_t headerCount() const { return headers_.nameCount(); }
    virtual CVXLString headerName(int position) const { return headers_.nameAt(position); }
    virtual std::uint32_t valueCount(const CVXLString& name) const { return headers_.valueCount(name); }
    virtual const CVXLString& headerValue(const CVXLString& name, int n = 0) const
    {
        return headers_.value(name, n);
    }
    // The last value stored under the name; "" when absent.
    const CVXLString& lastHeaderValue(const CVXLString& name) const;

    virtual std::uint32_t parameterCount(const CVXLString& name, int n) const;
    // "" when absent.
    virtual CVXLString parameterName(const CVXLString& name, int n, int k) const;
    // The named parameter of value n of a header; null when the value has no
    // parameters or not that one.
    virtual const CVXLString* parameter(const CVXLString& name, const CVXLString& parameter, int n = 0) const;
    // Creates the value's parameter map when it has none; false when the
    // value is absent or the heap refuses.
    virtual bool addParameter(
        const CVXLString& name, int n, const CVXLString& parameter, const CVXLString& value);

    const CVXLEntityRef& body() const { return body_; }
    bool setBody(const CVXLEntityRef& body);

private:
    CVXLEntityRef body_;
    CVXLHeaderMap headers_;
};
