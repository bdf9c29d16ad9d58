#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLObject.h"

#include <cstdint>

class CVXLSmilNode;
class CVXLSmilPresentation;
class CVXLSlideView;

// The message view's cursor over a presentation's top-level slides: all of
// them, or only the visual ones (a picture or a video). Moving wraps around
// both ways. With nothing to show (no presentation, or no visual slide in the
// visual mode) the cursor rests on no slide and its view is empty.
class CVXLSlideNavigator : public CVXLObject {
public:
    explicit CVXLSlideNavigator(bool allSlides = true)
        : allSlides_(allSlides)
    {
    }
    CVXLSlideNavigator(const CVXLSlideNavigator&) = delete;
    CVXLSlideNavigator& operator=(const CVXLSlideNavigator&) = delete;
    ~CVXLSlideNavigator() override;

    // On the presentation's first slide, whatever the mode.
    void attach(const CVXLSmilPresentation* presentation);
    void detach();
    bool isAttached() const { return presentation_ != nullptr; }
    void setAllSlides(bool all) { allSlides_ = all; }
    bool allSlides() const { return allSlides_; }

    void first();
    void next();
    void previous();
    std::uint32_t count() const;
    bool hasFurther() const;
    // The view of the current slide, replacing the one built before; the
    // navigator keeps it until the next view or release.
    CVXLSlideView* currentView();
    void release();

    const CVXLSmilNode* current() const;

private:
    bool isShown(const CVXLList::Node* slide) const;

    const CVXLSmilPresentation* presentation_ = nullptr;
    const CVXLList::Node* current_ = nullptr;
    CVXLSlideView* view_ = nullptr;
    bool allSlides_;
};
