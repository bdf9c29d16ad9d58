#pragma once

#include "platform/mapi/MessageFolderFiles.h"
#include "platform/mapi/PropValue.h"

#include <memory>
#include <string>
#include <vector>

// A message of the store, opened or newly created in a folder: its values,
// body, recipients and attachments. Changes stay with the object until
// saveChanges writes the message file whole (a new message gets its id
// then).
namespace tessel::mapi {

class BodyStream;

class MapiMessage {
public:
    // An existing message (its record read) or, with an empty id, a new one.
    MapiMessage(MessageFolderFiles files, std::string store, std::string folder, std::string id,
        MessageRecord record);

    // The values of columns in their order; a value the message lacks is
    // missing. kPropEntryId is the message's entry id once it is saved.
    PropRow getProps(const std::vector<std::uint32_t>& columns) const;
    // kMapiInvalidArgument, changing nothing, when a value cannot be stored.
    std::uint32_t setProps(const PropRow& values);

    // The body as a stream of UTF-16LE bytes. Without create, a message
    // without a body gives kMapiNotFound.
    std::uint32_t openBody(bool create, std::unique_ptr<BodyStream>* stream);

    // One row per attachment with kPropAttachNumber and the columns.
    std::vector<PropRow> attachmentTable(const std::vector<std::uint32_t>& columns) const;
    // The attachment's values (kPropAttachData among them); kMapiNotFound
    // for a number that is not there.
    std::uint32_t openAttachment(std::int32_t number, PropRow* values) const;
    std::int32_t createAttachment(const PropRow& values);

    std::vector<PropRow> recipientTable(const std::vector<std::uint32_t>& columns) const;
    void addRecipient(const PropRow& values);

    std::uint32_t saveChanges();

    const std::string& entryId() const { return entryId_; }
    // The body stream's commit.
    void putBody(const std::string& text);

private:
    MessageFolderFiles files_;
    std::string store_;
    std::string folder_;
    std::string id_;
    std::string entryId_;
    MessageRecord record_;
};

} // namespace tessel::mapi
