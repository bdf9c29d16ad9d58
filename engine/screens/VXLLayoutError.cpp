#include "engine/screens/VXLLayoutError.h"

#include "engine/screens/VXLErrorTable.h"

#include <iterator>
#include <string>

namespace {

constexpr CVXLLayoutCommandRow kRows[] = {
    {0, layoutEventId(kLayoutError, kLayoutActionExit), kActionKindHardKey, 33},
    {0, layoutEventId(kLayoutError, kLayoutActionBack), kActionKindHardKey, 34},
    {1, layoutEventId(kLayoutError, kLayoutActionContinue), kActionKindRightSoftKey, 35},
    {1, layoutEventId(kLayoutError, kLayoutActionCancel), kActionKindLeftSoftKey, 36},
    {1, layoutEventId(kLayoutError, kLayoutActionExit), kActionKindHardKey, 37},
    {1, layoutEventId(kLayoutError, kLayoutActionBack), kActionKindHardKey, 38},
};

// "Fatal Tessel Error", "Tessel Error".
constexpr std::uint32_t kTitles[] = {39, 40};

} // namespace

CVXLLayoutError::CVXLLayoutError()
    : CVXLLayout(kLayoutError)
{
}

CVXLString CVXLLayoutError::getTitle() const
{
    return state() < std::size(kTitles) ? text(kTitles[state()]) : CVXLString();
}

const CVXLLayoutCommandRow* CVXLLayoutError::getCommandTable() const
{
    return kRows;
}

std::uint32_t CVXLLayoutError::getCommandCount() const
{
    return static_cast<std::uint32_t>(std::size(kRows));
}

void CVXLLayoutError::setErrorCode(std::uint32_t code)
{
    code_ = code;
    if (const CVXLErrorRow* row = CVXLErrorTable::find(code)) {
        message_ = text(row->textId);
        severity_ = static_cast<std::int32_t>(row->severity);
        class_ = row->classLetter;
        setState(row->layoutState);
        return;
    }
    message_ = text(kInternalErrorText);
    message_ += " (I";
    message_ += std::to_string(code).c_str();
    message_ += ")";
    severity_ = kUnknownSeverity;
    class_ = static_cast<std::uint32_t>(kUnknownClass);
    setState(0);
}

void CVXLLayoutError::setErrorText(const CVXLString& message)
{
    severity_ = kUnknownSeverity;
    class_ = static_cast<std::uint32_t>(kTextClass);
    code_ = kTextCode;
    message_ = message;
}
