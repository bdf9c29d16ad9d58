#include "engine/screens/VXLSmilPresentation.h"

void CVXLSmilPresentation::clear()
{
    for (CVXLList::Node* at = slides_.head(); at; at = at->next)
        delete static_cast<CVXLSmilNode*>(at->object);
    slides_.clear();
    regions_.removeAll(true);
    slideCount_ = 0;
}

bool CVXLSmilPresentation::putRegion(CVXLSmilRegion* region)
{
    CVXLObject* old = regions_.find(region->id);
    if (!regions_.set(region->id, region))
        return false;
    // The map keeps its first key and takes the new value: the old one is ours to drop.
    delete old;
    return true;
}

const CVXLSmilRegion* CVXLSmilPresentation::region(const CVXLString& id) const
{
    return static_cast<const CVXLSmilRegion*>(regions_.find(id));
}

bool CVXLSmilPresentation::appendSlide(CVXLSmilNode* slide, bool counted)
{
    if (!slides_.append(slide))
        return false;
    if (counted)
        slide->slideNumber = static_cast<std::int32_t>(++slideCount_);
    return true;
}
