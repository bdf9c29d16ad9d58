#include "shell/tesselfm/TesselReadForm.h"

#include "platform/kernel/TextCodec.h"
#include "platform/mapi/BodyStream.h"
#include "platform/mapi/MapiMessage.h"
#include "platform/mapi/PropValue.h"
#include "platform/shell/ShellExecute.h"
#include "platform/ui/Button.h"
#include "platform/ui/Window.h"
#include "platform/ui/WindowSystem.h"
#include "shell/tesselfm/FmModule.h"

#include <cstring>

namespace tessel::fm {

namespace {

constexpr int kFormWindowId = 1;
constexpr int kViewButtonId = 2;
constexpr int kButtonHalfWidth = 65;
constexpr int kButtonTop = 150;
constexpr int kButtonWidth = 130;
constexpr int kButtonHeight = 30;
constexpr std::uint32_t kActionClose = 1;
constexpr std::uint32_t kSupportedActionsMask = 0xA00;

struct SiteAction {
    std::uint32_t form;
    std::uint32_t site;
};
constexpr SiteAction kSiteActions[] = {{7, 4}, {9, 1}, {10, 2}, {12, 14}, {14, 6}};

constexpr const char16_t* kNoticeLines[] = {u"You Have New Tessel!", u"Click view to see it now"};

} // namespace

// The form's window: it shows the notice and hands its messages to the form.
class CTesselReadForm::FormWindow : public ui::Window {
public:
    explicit FormWindow(CTesselReadForm* form)
        : form_(form)
    {
    }
    void describe(std::vector<std::u16string>* lines) const override
    {
        for (const char16_t* line : kNoticeLines)
            lines->push_back(line);
    }
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == ui::kWmCommand || message == ui::kWmPaint)
            return form_->windowMessage(message, wParam, lParam);
        return Window::windowProc(message, wParam, lParam);
    }

private:
    CTesselReadForm* form_;
};

CTesselReadForm::CTesselReadForm(mapi::IMessageSite* site)
    : site_(site)
{
    if (site_)
        site_->addRef();
}

CTesselReadForm::~CTesselReadForm()
{
    if (button_ && button_->exists())
        button_->destroy();
    if (window_ && window_->exists())
        window_->destroy();
    if (site_)
        site_->release();
}

com::HResult CTesselReadForm::queryInterface(const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    if (iid != com::kIidIUnknown && iid != mapi::kIidMessageForm) {
        *object = nullptr;
        return com::kENoInterface;
    }
    *object = static_cast<mapi::IMessageForm*>(this);
    addRef();
    return com::kSOk;
}

std::uint32_t CTesselReadForm::addRef()
{
    return refs_.fetch_add(1) + 1;
}

std::uint32_t CTesselReadForm::release()
{
    const std::uint32_t count = refs_.fetch_sub(1) - 1;
    if (count == 0)
        delete this;
    return count;
}

std::u16string CTesselReadForm::findLink(const std::u16string& text)
{
    const std::size_t start = text.find(u"http:");
    if (start == std::u16string::npos)
        return {};
    std::size_t end = text.find_first_of(u" \t\n", start);
    if (end == std::u16string::npos)
        end = text.size();
    return text.substr(start, std::min(end - start, kMaxLinkChars));
}

std::u16string CTesselReadForm::ReadBody(mapi::MapiMessage* message)
{
    std::unique_ptr<mapi::BodyStream> stream;
    if (!message || message->openBody(false, &stream) != mapi::kMapiOk)
        return {};
    // Whole characters only, with room for the terminator.
    char bytes[kBodyBufferBytes] = {};
    const std::uint32_t read = stream->read(bytes, kBodyBufferBytes - sizeof(char16_t));
    std::u16string text;
    for (std::uint32_t i = 0; i + 1 < read; i += 2) {
        const auto c = static_cast<char16_t>(
            static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (c == 0)
            break;
        text += c;
    }
    return text;
}

com::HResult CTesselReadForm::setMessage(std::uint32_t value, mapi::MapiMessage* message)
{
    value_ = value;
    message_ = message;
    if (!message_)
        return com::kEInvalidArg;
    const mapi::PropRow props = message_->getProps({mapi::kPropNoticeText});
    std::u16string text = ReadBody(message_);
    if (text.empty() && !props[0].isMissing())
        text = kernel::utf8ToWide(props[0].text);
    link_ = findLink(text);
    return com::kSOk;
}

com::HResult CTesselReadForm::createView(ui::WindowHandle parent)
{
    ui::Window* owner = ui::windowFromHandle(parent);
    if (!owner)
        return com::kEFail;
    parent_ = parent;
    const ui::Rect area = owner->clientRect();
    window_ = std::make_unique<FormWindow>(this);
    if (!window_->create(kReadFormWindowClass, u"Tessel", owner, kFormWindowId, area))
        return com::kEFail;
    const int left = area.width() / 2 - kButtonHalfWidth;
    const ui::Rect place {left, kButtonTop, left + kButtonWidth, kButtonTop + kButtonHeight};
    button_ = std::make_unique<ui::Button>();
    if (!button_->create(window_.get(), kViewButtonId, u"View Tessel", place))
        return com::kEFail;
    ui::setFocus(button_->handle());
    return com::kSOk;
}

std::int64_t CTesselReadForm::windowMessage(std::uint32_t message, std::uint64_t wParam, std::int64_t)
{
    if (message == ui::kWmCommand && (wParam & 0xFFFF) == kViewButtonId) {
        openLink();
        return 0;
    }
    if (message == ui::kWmPaint && button_ && button_->exists())
        ui::setFocus(button_->handle());
    return 0;
}

void CTesselReadForm::openLink()
{
    shell::ShellExecuteInfo info;
    info.file = u"/Windows/iexplore.exe";
    info.parameters = link_;
    info.show = shell::kSwShowNormal;
    shell::shellExecuteEx(&info);
}

com::HResult CTesselReadForm::close()
{
    if (site_)
        site_->formClosing(this, message_, savedValue_);
    if (parent_)
        ui::postMessage(parent_, ui::kWmClose, 0, 0);
    return com::kSOk;
}

com::HResult CTesselReadForm::query(std::uint32_t, std::uint32_t* answer)
{
    if (answer)
        *answer = 0;
    return com::kSOk;
}

com::HResult CTesselReadForm::activate()
{
    return com::kSOk;
}

com::HResult CTesselReadForm::doAction(std::uint32_t action, std::uint32_t* result)
{
    if (result)
        *result = 0;
    if (action == kActionClose) {
        if (result)
            *result = 1;
        return close();
    }
    for (const SiteAction& pass : kSiteActions) {
        if (pass.form == action)
            return site_ ? site_->formAction(pass.site, this, message_) : com::kEFail;
    }
    fmLog("Unhandled form action %u\n", action);
    return com::kSOk;
}

com::HResult CTesselReadForm::supportedActions(std::uint32_t flags, std::uint32_t* result)
{
    if (!result)
        return com::kEPointer;
    *result = flags & kSupportedActionsMask;
    return com::kSOk;
}

com::HResult CTesselReadForm::deactivate()
{
    return com::kSOk;
}

com::HResult CTesselReadForm::refresh()
{
    return com::kSOk;
}

com::HResult CTesselReadForm::siteCall(std::uint32_t what)
{
    return site_ ? site_->siteCall(what) : com::kEFail;
}

com::HResult CTesselReadForm::setSavedValue(std::uint32_t value)
{
    savedValue_ = value;
    return com::kSOk;
}

} // namespace tessel::fm
