#pragma once

#include "engine/screens/VXLLayout.h"

#include <cstdint>

// The error screen (type 4): a result code explained by the error table. The
// code's row sets the message, class letter, severity and the layout's state
// (0 offers Exit and Back, 1 also Ok and Cancel).
class CVXLLayoutError : public CVXLLayout {
public:
    // Severity and class of a code the table lacks, and of a text error.
    static constexpr std::int32_t kUnknownSeverity = 2;
    static constexpr char kUnknownClass = 'I';
    static constexpr char kTextClass = 'G';
    static constexpr std::uint32_t kTextCode = 1000;
    // "An internal error occurred. "
    static constexpr std::uint32_t kInternalErrorText = 793;

    CVXLLayoutError();

    void registerHandler(CVXLReleasable* handler) override { releaseHandler(handler); }
    CVXLString getTitle() const override;
    const CVXLLayoutCommandRow* getCommandTable() const override;
    std::uint32_t getCommandCount() const override;

    void setErrorCode(std::uint32_t code);
    // After setErrorCode, when a result text is to be shown instead.
    void setErrorText(const CVXLString& text);
    // An error the table does not explain, given whole.
    void setError(char errorClass, std::uint32_t code, const CVXLString& message)
    {
        class_ = static_cast<std::uint32_t>(static_cast<unsigned char>(errorClass));
        code_ = code;
        message_ = message;
    }

    const CVXLString& messageText() const { return message_; }
    char errorClass() const { return static_cast<char>(class_); }
    std::uint32_t errorCode() const { return code_; }
    std::int32_t severity() const { return severity_; }

private:
    std::uint32_t code_ = 0;
    std::int32_t severity_ = 0;
    std::uint32_t class_ = 0;
    CVXLString message_;
};
