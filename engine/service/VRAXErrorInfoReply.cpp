#include "engine/service/VRAXErrorInfoReply.h"

void CVRAXErrorInfoReply::reset()
{
    errorId_ = 0;
    message_.clear();
    inErrorInfo_ = false;
    sawErrorInfo_ = false;
    CVRAXReplyParser::reset();
}

void CVRAXErrorInfoReply::onElement(const CVXLString& name, bool start)
{
    CVRAXReplyParser::onElement(name, start);
    if (name == "error-info") {
        inErrorInfo_ = start;
        if (!start) {
            sawErrorInfo_ = true;
            setResult(kVraxReplyDone);
        }
    } else if (!start && name == "VRAX" && !sawErrorInfo_) {
        // An error without its info has no code to report; done would read
        // as error 0.
        setResult(kVraxReplyUndecided);
    }
}

void CVRAXErrorInfoReply::onAttribute(const CVXLString& name, const CVXLString& value)
{
    if (!inErrorInfo_)
        return;
    if (name == "id")
        errorId_ = value.toInt();
    else if (name == "msg")
        message_ = value;
}
