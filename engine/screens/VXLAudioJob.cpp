#include "engine/screens/VXLAudioJob.h"

#include "engine/media/VXLMediaRef.h"

void CVXLAudioJob::onStart()
{
    auto* item = dynamic_cast<CVXLMediaRef*>(static_cast<CVXLObject*>(property(kPropertyAudio).reference()));
    layout_.setMedia(CVXLMediaRefHandle(item));
    layout_.setState(0);
    present(&layout_);
}

void CVXLAudioJob::onLayoutAction(std::uint32_t eventId)
{
    switch (eventId) {
    case CVXLLayoutAudio::kEventBack:
        endWith(kEndBack);
        break;
    case CVXLLayoutAudio::kEventExit:
        endWith(kEndExit);
        break;
    case CVXLLayoutAudio::kEventOk:
        endWith(kEndDone);
        break;
    default:
        break;
    }
}
