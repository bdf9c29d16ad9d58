#pragma once

#include "engine/core/base/VXLList.h"
#include "engine/core/base/VXLObject.h"
#include "engine/screens/VXLSmilMedia.h"

#include <cstdint>

// One "par" or "seq" of a presentation: its media in the order their
// elements ended, its nested nodes, its duration, and per media kind how
// many it holds. A top-level node is a slide and carries its number among
// all slides and, when it shows a picture or a video, among those.
//
// A node owns its media and its nested nodes. Deleting one walks the nested
// nodes with a work list instead of recursing, so nesting of any depth
// cannot run off the stack.
class CVXLSmilNode : public CVXLObject {
public:
    explicit CVXLSmilNode(bool sequence)
        : sequence_(sequence)
    {
    }
    CVXLSmilNode(const CVXLSmilNode&) = delete;
    CVXLSmilNode& operator=(const CVXLSmilNode&) = delete;
    ~CVXLSmilNode() override;

    // A "seq" rather than a "par".
    bool isSequence() const { return sequence_; }
    // Takes the medium and counts it under its kind; false (the medium left
    // to the caller) when the heap refuses.
    bool addMedia(CVXLSmilMedia* media);
    bool addChild(CVXLSmilNode* child) { return children.append(child) != 0; }
    std::int32_t counter(std::int32_t kind) const
    {
        return kind >= 0 && kind < CVXLSmilMedia::kKindCount ? counters_[kind] : 0;
    }
    bool isVisual() const { return counter(kSmilVideo) != 0 || counter(kSmilImage) != 0; }

    CVXLList children;
    CVXLList media;
    std::int32_t dur = 0;
    std::int32_t slideNumber = 0;
    std::int32_t visualNumber = 0;

private:
    bool sequence_;
    std::int32_t counters_[CVXLSmilMedia::kKindCount] = {};
};
