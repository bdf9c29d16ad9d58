#include "engine/core/settings/VXLPersNode.h"

#include "engine/core/settings/VXLPersStore.h"

CVXLPersNode::CVXLPersNode(const CVXLString& name)
    : name_(name)
{
}

CVXLPersNode::~CVXLPersNode()
{
    removeChildren();
}

CVXLPersNode* CVXLPersNode::child(const CVXLString& name) const
{
    return static_cast<CVXLPersNode*>(children_.find(name));
}

void CVXLPersNode::removeChildren()
{
    children_.removeAll(true);
}

void CVXLPersNode::collect(const CVXLString& path, const CVXLString& prefix, CVXLPtrArray* pairs) const
{
    CVXLString own = prefix;
    if (own.length() > 0)
        own += ".";
    own += name_;
    if (path.length() > 0) {
        CVXLString rest = path;
        const CVXLString first = CVXLPersStore::splitFirstPathComponent(&rest);
        if (const CVXLPersNode* next = child(first))
            next->collect(rest, own, pairs);
        return;
    }
    for (std::uint32_t i = 0; i < children_.count(); ++i)
        static_cast<const CVXLPersNode*>(children_.valueAt(static_cast<int>(i)))->collect(path, own, pairs);
}
