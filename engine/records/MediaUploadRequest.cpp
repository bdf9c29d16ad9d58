#include "engine/records/MediaUploadRequest.h"

void CMediaUploadRequest::reset()
{
    name.clear();
    items.clear();
    m_wholeCollection = false;
    for (auto& flag : flags)
        flag = 0;
    if (m_iterator != nullptr) {
        CMediaItemIterator* held = m_iterator;
        m_iterator = nullptr;
        held->release();
    }
}

void CMediaUploadRequest::addSelection(CMediaItemIterator* iterator)
{
    if (iterator == nullptr)
        return;
    if (m_iterator != nullptr && m_iterator != iterator)
        m_iterator->release();
    m_iterator = iterator;
    for (iterator->reset(); !iterator->done(); iterator->next())
        items.push_back(iterator->current());
}
