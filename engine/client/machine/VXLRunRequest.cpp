#include "engine/client/machine/VXLRunRequest.h"

CVXLRunRequest::CVXLRunRequest(std::int32_t replyCode, CVXLObject* owner)
    : CVXLEvent(kEventRunRequest, replyCode)
    , arguments_(2)
    , owner_(owner)
{
}

CVXLRunRequest::~CVXLRunRequest() = default;

bool CVXLRunRequest::setArgument(std::uint32_t index, const CVXLVariant& value)
{
    if (index >= kMaxArguments)
        return false;
    while (arguments_.count() <= index) {
        if (!arguments_.push(CVXLVariant()))
            return false;
    }
    *arguments_.item(index) = value;
    return true;
}

CVXLVariant CVXLRunRequest::argument(std::uint32_t index) const
{
    const CVXLVariant* value = arguments_.item(index);
    return value ? *value : CVXLVariant();
}

void CVXLRunRequest::setOutcome(VXLCompletionKind completion, const CVXLVariant& value)
{
    completion_ = completion;
    resultValue_ = value;
}
