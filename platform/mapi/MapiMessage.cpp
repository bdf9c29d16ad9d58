#include "platform/mapi/MapiMessage.h"

#include "platform/kernel/TextCodec.h"
#include "platform/mapi/BodyStream.h"
#include "platform/mapi/EntryId.h"

namespace tessel::mapi {

namespace {

bool allStorable(const PropRow& values)
{
    for (const PropValue& value : values)
        if (!storable(value))
            return false;
    return true;
}

} // namespace

MapiMessage::MapiMessage(
    MessageFolderFiles files, std::string store, std::string folder, std::string id, MessageRecord record)
    : files_(std::move(files))
    , store_(std::move(store))
    , folder_(std::move(folder))
    , id_(std::move(id))
    , record_(std::move(record))
{
    if (!id_.empty())
        entryId_ = messageEntryId(store_, folder_, id_);
}

PropRow MapiMessage::getProps(const std::vector<std::uint32_t>& columns) const
{
    PropRow row;
    for (std::uint32_t tag : columns)
        row.push_back(tag == kPropEntryId && !entryId_.empty() ? PropValue::ofBytes(kPropEntryId, entryId_)
                                                               : findProp(record_.props, tag));
    return row;
}

std::uint32_t MapiMessage::setProps(const PropRow& values)
{
    if (!allStorable(values))
        return kMapiInvalidArgument;
    for (const PropValue& value : values)
        if (value.tag != kPropEntryId)
            putProp(&record_.props, value);
    return kMapiOk;
}

std::uint32_t MapiMessage::openBody(bool create, std::unique_ptr<BodyStream>* stream)
{
    const PropValue body = findProp(record_.props, kPropBody);
    if (body.isMissing() && !create)
        return kMapiNotFound;
    *stream
        = std::make_unique<BodyStream>(this, create ? std::string() : kernel::utf8ToUtf16Bytes(body.text));
    return kMapiOk;
}

void MapiMessage::putBody(const std::string& text)
{
    putProp(&record_.props, PropValue::ofText(kPropBody, text));
}

std::vector<PropRow> MapiMessage::attachmentTable(const std::vector<std::uint32_t>& columns) const
{
    std::vector<PropRow> rows;
    for (std::size_t i = 0; i < record_.attachments.size(); ++i) {
        PropRow row {PropValue::ofNumber(kPropAttachNumber, static_cast<std::int32_t>(i))};
        for (std::uint32_t tag : columns)
            if (tag != kPropAttachNumber)
                row.push_back(findProp(record_.attachments[i], tag));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::uint32_t MapiMessage::openAttachment(std::int32_t number, PropRow* values) const
{
    if (number < 0 || static_cast<std::size_t>(number) >= record_.attachments.size())
        return kMapiNotFound;
    *values = record_.attachments[static_cast<std::size_t>(number)];
    return kMapiOk;
}

std::int32_t MapiMessage::createAttachment(const PropRow& values)
{
    PropRow row;
    for (const PropValue& value : values)
        if (storable(value) && value.tag != kPropAttachNumber)
            putProp(&row, value);
    record_.attachments.push_back(std::move(row));
    return static_cast<std::int32_t>(record_.attachments.size() - 1);
}

std::vector<PropRow> MapiMessage::recipientTable(const std::vector<std::uint32_t>& columns) const
{
    std::vector<PropRow> rows;
    for (const PropRow& recipient : record_.recipients)
        rows.push_back(pickColumns(recipient, columns));
    return rows;
}

void MapiMessage::addRecipient(const PropRow& values)
{
    PropRow row;
    for (const PropValue& value : values)
        if (storable(value))
            putProp(&row, value);
    record_.recipients.push_back(std::move(row));
}

std::uint32_t MapiMessage::saveChanges()
{
    const std::string id = id_.empty() ? MessageFolderFiles::newId() : id_;
    if (!files_.write(id, record_))
        return kMapiFailed;
    if (id_.empty()) {
        id_ = id;
        entryId_ = messageEntryId(store_, folder_, id_);
    }
    return kMapiOk;
}

} // namespace tessel::mapi
