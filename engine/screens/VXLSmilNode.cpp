#include "engine/screens/VXLSmilNode.h"

namespace {

void deleteMedia(CVXLList& media)
{
    for (CVXLList::Node* at = media.head(); at; at = at->next)
        delete static_cast<CVXLSmilMedia*>(at->object);
    media.clear();
}

} // namespace

CVXLSmilNode::~CVXLSmilNode()
{
    deleteMedia(media);
    // Each node taken from the work list hands its children over before it
    // goes, so no destructor below this one has children left to walk.
    CVXLList pending;
    for (CVXLList::Node* at = children.head(); at; at = at->next)
        pending.append(at->object);
    children.clear();
    while (CVXLList::Node* head = pending.head()) {
        auto* node = static_cast<CVXLSmilNode*>(head->object);
        pending.remove(node);
        for (CVXLList::Node* at = node->children.head(); at; at = at->next) {
            if (!pending.append(at->object))
                delete static_cast<CVXLSmilNode*>(at->object); // short of heap: recurse this once
        }
        node->children.clear();
        delete node;
    }
}

bool CVXLSmilNode::addMedia(CVXLSmilMedia* medium)
{
    if (!medium || !media.append(medium))
        return false;
    if (medium->kind >= 0 && medium->kind < CVXLSmilMedia::kKindCount)
        ++counters_[medium->kind];
    return true;
}
