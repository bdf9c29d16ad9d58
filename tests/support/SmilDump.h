#pragma once

#include "engine/screens/VXLSmilMedia.h"
#include "engine/screens/VXLSmilNode.h"
#include "engine/screens/VXLSmilPresentation.h"
#include "engine/screens/VXLSmilRegion.h"

#include <string>

// A presentation as text, one line per region, slide, medium and param, in
// the form tests/screens/smil_check.py prints from the same SMIL file.
inline std::string smilDump(const CVXLSmilPresentation& presentation)
{
    static const char* const kKinds[] = {"audio", "video", "text", "img", "animation", "textstream", "ref"};
    std::string out = "slides " + std::to_string(presentation.slideCount()) + "\n";
    const CVXLStringMap& regions = presentation.regions();
    for (std::uint32_t i = 0; i < regions.count(); ++i) {
        const auto* r = static_cast<const CVXLSmilRegion*>(regions.valueAt(static_cast<int>(i)));
        out += "region " + std::string(r->id.c_str()) + " top " + std::to_string(r->top) + " left "
            + std::to_string(r->left) + " width " + std::to_string(r->width) + " height "
            + std::to_string(r->height) + " fit " + std::to_string(r->fit) + "\n";
    }
    for (const CVXLList::Node* at = presentation.slides().head(); at; at = at->next) {
        const auto* s = static_cast<const CVXLSmilNode*>(at->object);
        out += "slide " + std::to_string(s->slideNumber) + " visual " + std::to_string(s->visualNumber)
            + (s->isSequence() ? " seq" : " par") + " dur " + std::to_string(s->dur) + " children "
            + std::to_string(s->children.count()) + "\n";
        for (const CVXLList::Node* m = s->media.head(); m; m = m->next) {
            const auto* medium = static_cast<const CVXLSmilMedia*>(m->object);
            const bool known = medium->kind >= 0 && medium->kind < CVXLSmilMedia::kKindCount;
            out += "media " + std::string(known ? kKinds[medium->kind] : "?") + " src \""
                + medium->src.c_str() + "\" region \"" + medium->region.c_str() + "\" id \""
                + medium->id.c_str() + "\" begin " + std::to_string(medium->begin) + " end "
                + std::to_string(medium->end) + "\n";
            for (std::uint32_t p = 0; p < medium->params.count(); ++p) {
                const auto* value
                    = static_cast<const CVXLString*>(medium->params.valueAt(static_cast<int>(p)));
                out += "param \"" + std::string(medium->params.keyAt(static_cast<int>(p))->c_str()) + "\" \""
                    + value->c_str() + "\"\n";
            }
        }
    }
    return out;
}
