#include "engine/client/VXLClientOutboundFace.h"

#include "engine/client/VXLClient.h"

std::uint32_t CVXLClientOutboundFace::nowSeconds()
{
    return client_->currentTime();
}

bool CVXLClientOutboundFace::dataCommAllowed()
{
    return client_->settings_.isDataCommActive();
}

bool CVXLClientOutboundFace::hasNoActivity()
{
    return client_->hasNoActivity();
}

CVXLString CVXLClientOutboundFace::ownNumber()
{
    CVXLString text;
    if (!client_->settings_.getConfigString(kCfgUserIdentity, &text))
        text.clear();
    return text;
}

// Item 53 is set unless it holds "" or "0"; its default is "1".
bool CVXLClientOutboundFace::deleteSentMessages()
{
    CVXLString text;
    if (!client_->settings_.getConfigString(kCfgOption53, &text))
        return false;
    return text.length() != 0 && !(text == "0");
}

void CVXLClientOutboundFace::pushUIRequestCode(std::int32_t code)
{
    client_->pushUIRequestCode(code);
}

CVXLCounterTable* CVXLClientOutboundFace::counters()
{
    return &client_->counters_;
}
