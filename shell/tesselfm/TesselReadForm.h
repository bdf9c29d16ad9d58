#pragma once

#include "platform/mapi/MessageForm.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

// The read form of a service notice: a window of class
// "IPM.SMSText.Tessel.Window" over the messaging application's form area,
// telling that a Tessel message waits, with a "View Tessel" button that
// opens the notice's link in the browser. Opening the notice reads it and
// never saves it.
namespace tessel::ui {
class Button;
}

namespace tessel::fm {

inline constexpr const char16_t* kReadFormWindowClass = u"IPM.SMSText.Tessel.Window";
inline constexpr std::size_t kMaxLinkChars = 1000;
// The body is read into a buffer of this many bytes, its terminator included.
inline constexpr std::size_t kBodyBufferBytes = 1024;

class CTesselReadForm : public mapi::IMessageForm {
public:
    explicit CTesselReadForm(mapi::IMessageSite* site);

    com::HResult queryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t addRef() override;
    std::uint32_t release() override;
    com::HResult setMessage(std::uint32_t value, mapi::MapiMessage* message) override;
    com::HResult close() override;
    com::HResult query(std::uint32_t what, std::uint32_t* answer) override;
    com::HResult activate() override;
    com::HResult doAction(std::uint32_t action, std::uint32_t* result) override;
    com::HResult supportedActions(std::uint32_t flags, std::uint32_t* result) override;
    com::HResult createView(ui::WindowHandle parent) override;
    com::HResult deactivate() override;
    com::HResult refresh() override;
    com::HResult siteCall(std::uint32_t what) override;
    com::HResult setSavedValue(std::uint32_t value) override;
    std::int64_t windowMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

    const std::u16string& link() const { return link_; }
    // The first "http:" of the text up to a blank, tab, line feed or the end,
    // at most kMaxLinkChars characters.
    static std::u16string findLink(const std::u16string& text);
    // The body's text, read once into a buffer of kBodyBufferBytes.
    static std::u16string ReadBody(mapi::MapiMessage* message);

private:
    class FormWindow;
    ~CTesselReadForm() override;
    void openLink();

    std::atomic<std::uint32_t> refs_ {1};
    std::uint32_t value_ = 0;
    mapi::MapiMessage* message_ = nullptr;
    mapi::IMessageSite* site_;
    ui::WindowHandle parent_ = 0;
    std::uint32_t savedValue_ = 0;
    std::unique_ptr<FormWindow> window_;
    std::unique_ptr<ui::Button> button_;
    std::u16string link_;
};

} // namespace tessel::fm
