#include "engine/service/VRAXContainerRequest.h"

#include "engine/service/VRAXContainerOperation.h"
#include "engine/service/VRAXPageRequest.h"

void CVRAXContainerRequest::setItemOperation(CVRAXContainerOperation* operation)
{
    operation_ = operation;
    mode_ = kItemOperation;
}

void CVRAXContainerRequest::setContainerOperation(CVRAXContainerOperation* operation)
{
    operation_ = operation;
    mode_ = kContainerOperation;
}

CVXLString CVRAXContainerRequest::containerId() const
{
    return operation_ ? operation_->containerId : CVXLString();
}

void CVRAXContainerRequest::writeBody()
{
    if (!operation_)
        return;
    if (mode_ == kContainerOperation)
        writeContainerOperation();
    else if (mode_ == kItemOperation)
        writeItemOperation();
}

void CVRAXContainerRequest::writeInclusionPairs(const char* includeContainer)
{
    writeAttrPair("recursion", "0");
    writeAttrPair("invert", "0");
    writeAttrPair("include_container", includeContainer);
}

void CVRAXContainerRequest::writeContainerOperation()
{
    const CVRAXContainerOperation& op = *operation_;
    if (op.kind == CVRAXContainerOperation::kDeleteAlbum) {
        startElement("delete-req");
        writeIdentity(false);
        startElement("dest-container");
        attribute("id", "");
        endElement();
        startElement("src-container");
        startElement("list");
        attribute("offset", "0");
        attribute("count", "1");
        attribute("total", "1");
        startElement("li");
        attribute("id", op.containerId);
        attribute("type", "container");
        attribute("filter", "");
        writeInclusionPairs("1");
        endElement();
        endElement();
        endElement();
        endElement();
    } else if (op.kind == CVRAXContainerOperation::kRenameAlbum) {
        startElement("container-update");
        writeIdentity(false);
        startElement("container");
        attribute("id", op.containerId);
        writeAttrPair("TITLE", op.text);
        endElement();
        endElement();
    }
}

void CVRAXContainerRequest::writeItemOperation()
{
    static const char* const kElements[] = {"delete-req", "move-req", "copy-req"};
    const CVRAXContainerOperation& op = *operation_;
    if (op.kind < CVRAXContainerOperation::kDeleteItems || op.kind > CVRAXContainerOperation::kCopyItems)
        return;
    const bool images = (op.mediaBits & CVRAXPageRequest::kMediaImages) != 0;
    const bool videos = (op.mediaBits & CVRAXPageRequest::kMediaVideos) != 0;
    // A whole album counts its media kinds, not its "li" elements.
    const std::int32_t count = op.wholeAlbum ? (images ? 1 : 0) + (videos ? 1 : 0)
                                             : static_cast<std::int32_t>(op.itemUids.count());

    startElement(kElements[op.kind - CVRAXContainerOperation::kDeleteItems]);
    writeIdentity(false);
    startElement("dest-container");
    attribute("id", op.kind == CVRAXContainerOperation::kDeleteItems ? CVXLString() : op.text);
    endElement();
    startElement("src-container");
    startElement("list");
    attribute("offset", "0");
    attribute("count", CVXLString(count));
    attribute("total", CVXLString(count));
    if (op.wholeAlbum) {
        CVXLString filter("mt ");
        if (images)
            filter += "image/*";
        if (images && videos)
            filter += ",";
        if (videos)
            filter += "video/*";
        startElement("li");
        attribute("id", op.containerId);
        attribute("type", "container");
        attribute("filter", filter);
        writeInclusionPairs("0");
        endElement();
    } else {
        for (std::uint32_t i = 0; i < op.itemUids.count(); ++i) {
            startElement("li");
            attribute("id", op.itemUids.at(static_cast<int>(i)));
            attribute("type", "item");
            endElement();
        }
    }
    endElement();
    endElement();
    endElement();
}
