#include "engine/screens/VXLAudioElement.h"

CVXLAudioElement::~CVXLAudioElement()
{
    delete audio_;
}

void CVXLAudioElement::commit()
{
    CVXLElement::commit();
    counter_.commit();
}

int CVXLAudioElement::setAudio(CVXLObject* audio)
{
    if (audio_ != audio)
        delete audio_;
    audio_ = audio;
    counter_.increase();
    return 1;
}

CVXLObject* CVXLAudioElement::takeAudio()
{
    CVXLObject* audio = audio_;
    audio_ = nullptr;
    return audio;
}
