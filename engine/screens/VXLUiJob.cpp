#include "engine/screens/VXLUiJob.h"

CVXLUiJob::CVXLUiJob() = default;

CVXLUiJob::~CVXLUiJob() = default;

CVXLVariant CVXLUiJob::property(const CVXLString& name) const
{
    const auto* value = static_cast<const CVXLVariant*>(properties_.find(name));
    return value ? *value : CVXLVariant();
}

void CVXLUiJob::setProperty(const CVXLString& name, const CVXLVariant& value)
{
    properties_.set(name, value);
}

void CVXLUiJob::suspend()
{
}

void CVXLUiJob::resume(CVXLUiJob*)
{
}

void CVXLUiJob::layoutCallback(std::intptr_t, std::intptr_t)
{
}

void CVXLUiJob::onLayoutAction(std::uint32_t)
{
}
