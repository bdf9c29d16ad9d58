#include "engine/messaging/premium/PremiumDescriptorReader.h"

void CPremiumDescriptorReader::read(const CVXLString& descriptor)
{
    reset();
    feed(descriptor.c_str(), descriptor.length());
    finish();
}

bool CPremiumDescriptorReader::isNormal() const
{
    return control_.length() == 0 || control_.compare(CVXLString("normal"), false) == 0;
}

void CPremiumDescriptorReader::reset()
{
    CVXLXmlReader::reset();
    premiumDepth_ = 0;
    control_.clear();
    id_.clear();
    priority_.clear();
    name_.clear();
    thumbnail_.clear();
}

void CPremiumDescriptorReader::onElement(const CVXLString& name, bool start)
{
    if (name != "premium")
        return;
    if (start)
        ++premiumDepth_;
    else if (premiumDepth_ > 0)
        --premiumDepth_;
}

void CPremiumDescriptorReader::onAttribute(const CVXLString& name, const CVXLString& value)
{
    if (premiumDepth_ == 0)
        return;
    // Copies: the reader's strings share its storage.
    const CVXLString copy(value.c_str());
    if (name == "control")
        control_ = copy;
    else if (name == "id")
        id_ = copy;
    else if (name == "priority")
        priority_ = copy;
    else if (name == "name")
        name_ = copy;
    else if (name == "thumbnail")
        thumbnail_ = copy;
}

void CPremiumDescriptorReader::onText(const CVXLString&)
{
}
