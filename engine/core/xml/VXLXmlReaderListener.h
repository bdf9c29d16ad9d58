#pragma once

#include "engine/core/base/VXLString.h"

#include <cstdint>

// What a file XML reader job reports to its owner: the reader's callbacks as
// they happen, then the result of the whole reading once (0 when the document
// was read to its end and well-formed, 24 when the reading was stopped, any
// other code when the file could not be read or was malformed).
class CVXLXmlReaderListener {
public:
    virtual ~CVXLXmlReaderListener() = default;
    virtual void onXmlElement(const CVXLString& name, bool start) = 0;
    virtual void onXmlText(const CVXLString& text) = 0;
    virtual void onXmlAttribute(const CVXLString& name, const CVXLString& value) = 0;
    virtual void onXmlFinished(std::int32_t result) = 0;
    // Once, before the failure result, when the document is not well-formed.
    virtual void onXmlMalformed() { }
};
