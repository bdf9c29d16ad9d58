#include "engine/service/VRAXListReplyParser.h"

namespace {

// Decimal values that are not numbers give 0.
std::int32_t decimal(const CVXLString& value)
{
    return value.isNumeric() ? value.toInt(10) : 0;
}

} // namespace

CVRAXListReplyParser::~CVRAXListReplyParser()
{
    deleteItems();
}

void CVRAXListReplyParser::deleteItems()
{
    delete item_;
    item_ = nullptr;
    while (list_.count() != 0) {
        CVXLObject* object = list_.head()->object;
        list_.remove(object);
        delete object;
    }
}

void CVRAXListReplyParser::reset()
{
    CVRAXReplyParser::reset();
    deleteItems();
    mode_ = kOutside;
    count_ = 0;
    offset_ = 0;
    message_.clear();
    timeout_ = 0;
    CVRAXReplyParser::reset();
}

void CVRAXListReplyParser::onElement(const CVXLString& name, bool start)
{
    CVRAXReplyParser::onElement(name, start);
    if (name == "li") {
        if (start) {
            delete item_;
            item_ = new CVRAXListItem;
            mode_ = kInItem;
        } else {
            if (item_)
                list_.append(item_);
            item_ = nullptr;
            mode_ = kInList;
        }
    } else if (name == "list") {
        mode_ = start ? kInList : kOutside;
    } else if (name == "list-choice-alert" && !start) {
        setResult(kVraxReplyDone);
    }
}

void CVRAXListReplyParser::onAttribute(const CVXLString& name, const CVXLString& value)
{
    CVRAXReplyParser::onAttribute(name, value);
    if (element() == "list-choice-alert") {
        if (name == "msg")
            message_ = value;
        else if (name == "time")
            timeout_ = static_cast<std::uint16_t>(decimal(value));
    } else if (mode_ == kInList) {
        if (name == "offset")
            offset_ = decimal(value);
        else if (name == "count")
            count_ = decimal(value);
    } else if (mode_ == kInItem && item_) {
        if (name == "id")
            item_->id = value;
        else if (name == "status")
            item_->status = decimal(value);
        else if (name == "default")
            item_->isDefault = value == "isSelected" || value == "true" ? 1 : 0;
    }
}

void CVRAXListReplyParser::onText(const CVXLString& text)
{
    CVRAXReplyParser::onText(text);
    if (mode_ == kInItem && item_)
        item_->text = text;
}
