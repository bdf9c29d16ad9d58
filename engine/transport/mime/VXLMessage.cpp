#include "engine/transport/mime/VXLMessage.h"

CVXLMessage::CVXLMessage()
    : CVXLMimeEntity(kMessage)
{
}

CVXLMessage::CVXLMessage(const CVXLMessage& other)
    : CVXLMimeEntity(kPlain)
    , body_(other.body_)
    , headers_(other.headers_)
{
}

CVXLMessage& CVXLMessage::operator=(const CVXLMessage& other)
{
    assign(other);
    return *this;
}

CVXLMessage::~CVXLMessage() = default;

CVXLHeaderMap& CVXLMessage::headers()
{
    return headers_;
}

void CVXLMessage::setHeaders(const CVXLHeaderMap& other)
{
    headers_ = other;
}

void CVXLMessage::assign(const CVXLMessage& other)
{
    if (this == &other)
        return;
    body_ = other.body_;
    headers_ = other.headers_;
}

bool CVXLMessage::addHeader(const CVXLString& name, const CVXLString& value)
{
    headers_.add(name, value);
    return true;
}

const CVXLString& CVXLMessage::lastHeaderValue(const CVXLString& name) const
{
    const std::uint32_t n = valueCount(name);
    return headerValue(name, n ? static_cast<int>(n - 1) : 0);
}

std::uint32_t CVXLMessage::parameterCount(const CVXLString& name, int n) const
{
    const CVXLHeaderMap* parameters = headers_.valueObject(name, n);
    return parameters ? parameters->nameCount() : 0;
}

CVXLString CVXLMessage::parameterName(const CVXLString& name, int n, int k) const
{
    const CVXLHeaderMap* parameters = headers_.valueObject(name, n);
    return parameters ? parameters->nameAt(k) : CVXLString();
}

const CVXLString* CVXLMessage::parameter(const CVXLString& name, const CVXLString& parameter, int n) const
{
    const CVXLHeaderMap* parameters = headers_.valueObject(name, n);
    if (!parameters || !parameters->contains(parameter))
        return nullptr;
    return &parameters->value(parameter);
}

bool CVXLMessage::addParameter(
    const CVXLString& name, int n, const CVXLString& parameter, const CVXLString& value)
{
    if (n < 0 || static_cast<std::uint32_t>(n) >= headers_.valueCount(name))
        return false;
    // Copy the parameters into a fresh map: the current one may be shared
    // with another message through a copy-on-write header body.
    CVXLHeaderMap* parameters = new CVXLHeaderMap();
    if (!parameters)
        return false;
    if (const CVXLHeaderMap* old = headers_.valueObject(name, n))
        *parameters = *old;
    if (!parameters->add(parameter, value) || !headers_.setValueObject(name, n, parameters)) {
        delete parameters;
        return false;
    }
    return true;
}

bool CVXLMessage::setBody(const CVXLEntityRef& body)
{
    body_ = body;
    return true;
}
