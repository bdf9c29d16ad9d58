#include "engine/screens/VXLSlideNavigator.h"

#include "engine/screens/VXLSlideView.h"
#include "engine/screens/VXLSmilNode.h"
#include "engine/screens/VXLSmilPresentation.h"

namespace {

const CVXLSmilNode* nodeOf(const CVXLList::Node* slide)
{
    return slide ? static_cast<const CVXLSmilNode*>(slide->object) : nullptr;
}

} // namespace

CVXLSlideNavigator::~CVXLSlideNavigator()
{
    release();
}

void CVXLSlideNavigator::attach(const CVXLSmilPresentation* presentation)
{
    release();
    presentation_ = presentation;
    current_ = presentation ? presentation->slides().head() : nullptr;
}

void CVXLSlideNavigator::detach()
{
    release();
    presentation_ = nullptr;
    current_ = nullptr;
}

bool CVXLSlideNavigator::isShown(const CVXLList::Node* slide) const
{
    return slide && (allSlides_ || nodeOf(slide)->isVisual());
}

const CVXLSmilNode* CVXLSlideNavigator::current() const
{
    return nodeOf(current_);
}

void CVXLSlideNavigator::first()
{
    current_ = presentation_ ? presentation_->slides().head() : nullptr;
    while (current_ && !isShown(current_))
        current_ = current_->next;
}

void CVXLSlideNavigator::next()
{
    if (!presentation_)
        return;
    // From no slide the walk starts at the head.
    if (!current_)
        return first();
    const CVXLList::Node* start = current_;
    const CVXLList::Node* at = current_;
    do {
        at = at->next ? at->next : presentation_->slides().head();
    } while (at != start && !isShown(at));
    current_ = isShown(at) ? at : nullptr;
}

void CVXLSlideNavigator::previous()
{
    if (!presentation_)
        return;
    if (!current_) {
        current_ = presentation_->slides().tail();
        while (current_ && !isShown(current_))
            current_ = current_->previous;
        return;
    }
    const CVXLList::Node* start = current_;
    const CVXLList::Node* at = current_;
    do {
        at = at->previous ? at->previous : presentation_->slides().tail();
    } while (at != start && !isShown(at));
    current_ = isShown(at) ? at : nullptr;
}

std::uint32_t CVXLSlideNavigator::count() const
{
    if (!presentation_)
        return 0;
    if (allSlides_)
        return presentation_->slideCount();
    std::uint32_t visual = 0;
    for (const CVXLList::Node* at = presentation_->slides().head(); at; at = at->next) {
        if (nodeOf(at)->isVisual())
            ++visual;
    }
    return visual;
}

bool CVXLSlideNavigator::hasFurther() const
{
    if (!current_)
        return false;
    if (allSlides_)
        return current_->next != nullptr;
    for (const CVXLList::Node* at = current_->next; at; at = at->next) {
        if (nodeOf(at)->isVisual())
            return true;
    }
    return false;
}

CVXLSlideView* CVXLSlideNavigator::currentView()
{
    release();
    view_ = new CVXLSlideView;
    if (!view_)
        return nullptr;
    if (const CVXLSmilNode* slide = nodeOf(current_)) {
        for (const CVXLList::Node* at = slide->media.head(); at; at = at->next)
            view_->media.append(at->object);
        view_->duration = slide->dur;
        view_->position = allSlides_ ? slide->slideNumber : slide->visualNumber;
    }
    return view_;
}

void CVXLSlideNavigator::release()
{
    delete view_;
    view_ = nullptr;
}
