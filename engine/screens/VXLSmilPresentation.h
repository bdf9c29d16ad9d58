#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLStringMap.h"
#include "engine/screens/VXLSmilNode.h"
#include "engine/screens/VXLSmilRegion.h"

#include <cstdint>

// What a message's SMIL part arranges: the layout's regions by id and the
// top-level slides in document order. It owns every region, slide, nested
// node and medium, and is cleared and refilled for each message.
class CVXLSmilPresentation : public CVXLObject {
public:
    CVXLSmilPresentation() = default;
    CVXLSmilPresentation(const CVXLSmilPresentation&) = delete;
    CVXLSmilPresentation& operator=(const CVXLSmilPresentation&) = delete;
    ~CVXLSmilPresentation() override { clear(); }

    void clear();
    // Takes the region under its id; one stored before under the same id is
    // deleted. False (the region left to the caller) when the heap refuses.
    bool putRegion(CVXLSmilRegion* region);
    const CVXLSmilRegion* region(const CVXLString& id) const;
    // Takes a slide; `counted` numbers it among the slides. False (the slide
    // left to the caller) when the heap refuses.
    bool appendSlide(CVXLSmilNode* slide, bool counted);

    std::uint32_t slideCount() const { return slideCount_; }
    const CVXLStringMap& regions() const { return regions_; }
    const CVXLList& slides() const { return slides_; }

private:
    std::uint32_t slideCount_ = 0;
    CVXLStringMap regions_;
    CVXLList slides_;
};
