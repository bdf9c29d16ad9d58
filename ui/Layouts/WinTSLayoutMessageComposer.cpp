#include "ui/Layouts/WinTSLayoutMessageComposer.h"

#include "engine/core/base/VXLElement.h"
#include "engine/screens/VXLFieldElement.h"
#include "engine/screens/VXLLayoutMessageComposer.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowSystem.h"
#include "ui/Elements/WinTSElementAudioInput.h"
#include "ui/Elements/WinTSElementContactContainer.h"
#include "ui/Elements/WinTSElementMediaContainer.h"
#include "ui/Elements/WinTSElementText.h"
#include "ui/Elements/WinTSElementUserInputText.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSMessages.h"
#include "ui/WinTSRegistry.h"

#include <algorithm>

using tessel::kernel::utf8ToWide;
using tessel::ui::Rect;

namespace {

constexpr const char16_t* kPlaceholder = u"WINTS_Placeholder";
constexpr const char16_t* kInvalid = u"WinTS_Invalid";
constexpr const char16_t* kCancelConfiguration = u"Are you sure you want to cancel configuration?";
constexpr const char16_t* kExitComposer = u"Are you sure you want to exit Tessel Composer?";
constexpr const char16_t* kExitOther = u"Are you sure you want to exit?";

// The soft-key codes that show no action of their own: on the right the key
// offers Help instead, on the left there is none (a field without a left
// label answers None, and gets no empty key that does nothing either).
bool showsNoAction(std::uint32_t code)
{
    return code == kFieldStateModify || code == kFieldStateChange || code == kFieldStateAdd
        || code == kFieldStateView || code == kFieldStateNone;
}

CWinTSElement* elementOf(std::uint64_t wParam)
{
    return reinterpret_cast<CWinTSElement*>(static_cast<std::uintptr_t>(wParam));
}

} // namespace

CWinTSLayoutMessageComposer::CWinTSLayoutMessageComposer(
    CVXLLayoutMessageComposer* layout, const WinTSDialogLink& link)
    : CWinTSLayout(kTemplate, u"CWinTSLayoutMessageComposer", layout, link)
    , composer_(layout)
    , fieldCount_(layout ? std::min(layout->fieldCount(), kMaxElements) : 0)
{
}

// The element windows go before the composer they post to.
CWinTSLayoutMessageComposer::~CWinTSLayoutMessageComposer()
{
    currentElement_ = nullptr;
    for (auto& element : elements_)
        element.reset();
}

std::unique_ptr<CWinTSElement> CWinTSLayoutMessageComposer::CreateElementWindow(
    std::uint32_t type, const WinTSElementLink& link)
{
    switch (type) {
    case kElementContactList:
        return std::make_unique<CWinTSElementContactContainer>(link);
    case kElementMediaList:
        return std::make_unique<CWinTSElementMediaContainer>(link);
    case kElementAudio:
        return std::make_unique<CWinTSElementAudioInput>(link);
    case kElementDisplayText:
        return std::make_unique<CWinTSElementText>(link);
    case kElementUserInputText:
        return std::make_unique<CWinTSElementUserInputText>(link);
    case kElementChoice:
    case 4:
    case kElementMediaItem:
    case kElementSlideMediaItem:
    case kElementMessageSummary:
    case 13:
    case 14:
    case kElementRanged:
        return std::make_unique<CWinTSElement>(kPlaceholder, link);
    default:
        winTSAssert("an element type without a window: " + std::to_string(type));
        return std::make_unique<CWinTSElement>(kInvalid, link);
    }
}

void CWinTSLayoutMessageComposer::onCreate()
{
    CWinTSLayout::onCreate();
    registryRead(u"Help", utf8ToWide(layout_->getTitle().c_str()), &composerHelp_);
    // The vertical scroll bar shows itself once the column is taller than the page.
    BuildElements(GetContentRect());
}

void CWinTSLayoutMessageComposer::BuildElements(const Rect& content)
{
    content_ = content;
    const WinTSElementLink link {
        kWmLayoutSetElement, kWmElementResized, kWmElementChanged, kWmElementCommandsChanged, wallpaper()};
    for (std::uint32_t i = 0; i < fieldCount_; ++i) {
        CVXLFieldElement* field = composer_->getField(i);
        CVXLElement* value = field ? field->value() : nullptr;
        const std::uint32_t type = value ? value->elementType() : kElementAlbum;
        elements_[i] = CreateElementWindow(value ? type : 0xFFFFFFFFu, link);
        rects_[i] = content;
        values_[i] = value;
        const int id = kFirstElementId + static_cast<int>(i);
        addTransparentControl(id);
        elements_[i]->Create(this, field, content, id, kElementStyle);
        if (i == 0)
            SetCurrentElement(elements_[0].get());
    }
}

int CWinTSLayoutMessageComposer::IndexOf(const CWinTSElement* element) const
{
    for (std::uint32_t i = 0; i < fieldCount_; ++i) {
        if (element && elements_[i].get() == element)
            return static_cast<int>(i);
    }
    return -1;
}

void CWinTSLayoutMessageComposer::SetCurrentElement(CWinTSElement* element)
{
    const int i = IndexOf(element);
    if (i < 0) {
        winTSAssert("not an element window of the composer");
        return;
    }
    if (currentElement_)
        OnElementChanged(currentElement_);
    composer_->setCurrentElement(composer_->getField(static_cast<std::uint32_t>(i)));
    current_ = i;
    BuildSoftKeys();
    CWinTSLayout::SetCurrentElement(element);
    EnsureVisible();
}

void CWinTSLayoutMessageComposer::OnElementChanged(CWinTSElement* element)
{
    const int i = IndexOf(element);
    if (i < 0)
        return;
    element->Store();
    composer_->submitAction(kEventUpdate);
}

void CWinTSLayoutMessageComposer::OnElementValueChanged(CWinTSElement* element)
{
    OnElementChanged(element);
    tessel::ui::postMessage(link_.dialog, link_.elementStored, 0, 0);
}

void CWinTSLayoutMessageComposer::BuildSoftKeys()
{
    const std::uint32_t right = composer_->labelState();
    const std::uint32_t left = composer_->errorLabelState();
    const std::u16string rightLabel = utf8ToWide(composer_->labelText().c_str());
    const std::u16string leftLabel = utf8ToWide(composer_->errorLabelText().c_str());
    winTSLog(kLogTrace, "RIGHT SoftKey: " + tessel::kernel::wideToUtf8(rightLabel));
    winTSLog(kLogTrace, "LEFT SoftKey: " + tessel::kernel::wideToUtf8(leftLabel));
    auto bar = std::make_shared<tessel::ui::Menu>();
    if (!showsNoAction(left))
        bar->add(kCommandSoftKeyBase + left, leftLabel);
    // The window at the current index: the base makes it current only after.
    CWinTSElement* shown = current_ >= 0 ? elements_[static_cast<std::size_t>(current_)].get() : nullptr;
    const int entries = shown ? shown->GetMenuItemCount() : 0;
    if (entries == 1) {
        std::uint32_t flags = 0;
        std::uint32_t command = 0;
        std::u16string text;
        if (shown->GetMenuItem(0, &flags, &command, &text))
            bar->add(kCommandElementMenuBase + command, text);
    } else if (entries >= 2) {
        auto popup = std::make_shared<tessel::ui::Menu>();
        for (int n = 0; n < entries; ++n) {
            std::uint32_t flags = 0;
            std::uint32_t command = 0;
            std::u16string text;
            if (!shown->GetMenuItem(n, &flags, &command, &text)) {
                winTSLog(kLogFailure, "Could not add label to popup");
                continue;
            }
            if (flags == CWinTSElementContactContainer::kMenuFlagsSeparator)
                popup->addSeparator();
            else
                popup->add(kCommandElementMenuBase + command, text);
        }
        bar->addPopup(u"Menu", popup);
    } else if (showsNoAction(right)) {
        if (!composerHelp_.empty())
            bar->add(kCommandHelp, u"Help");
    } else {
        bar->add(kCommandSoftKeyBase + right, rightLabel);
    }
    SetMenuBar(bar, true);
}

void CWinTSLayoutMessageComposer::SubmitEvent(std::uint32_t eventId)
{
    for (std::uint32_t n = 1; n <= actionCount(); ++n) {
        if (action(n).eventId == eventId) {
            SubmitAction(kFirstActionCommand + n);
            return;
        }
    }
}

void CWinTSLayoutMessageComposer::OnSoftKeyCommand(std::uint32_t command)
{
    switch (command - kCommandSoftKeyBase) {
    case kSoftKeyContinue:
        if (currentElement_)
            OnElementChanged(currentElement_);
        SubmitEvent(kEventContinue);
        break;
    case kSoftKeyCancel:
        SubmitEvent(kEventCancel);
        break;
    case kSoftKeyModify:
        SubmitEvent(kEventModify);
        break;
    case kSoftKeyHelp:
        SubmitEvent(kEventHelp);
        break;
    case kSoftKeyUpdate:
        if (currentElement_)
            composer_->submitAction(kEventUpdate);
        break;
    default:
        break;
    }
}

void CWinTSLayoutMessageComposer::SubmitAction(std::uint32_t command)
{
    if (currentElement_)
        OnElementChanged(currentElement_);
    CWinTSLayout::SubmitAction(command);
}

void CWinTSLayoutMessageComposer::OnElementMenuCommand(std::uint32_t command)
{
    if (current_ >= 0)
        elements_[static_cast<std::size_t>(current_)]->ExecuteMenuItem(command - kCommandElementMenuBase);
}

void CWinTSLayoutMessageComposer::OnFocusCommand(std::uint32_t command)
{
    const std::uint32_t i = command - kCommandFocusBase;
    if (i < fieldCount_)
        SetCurrentElement(elements_[i].get());
}

void CWinTSLayoutMessageComposer::OnCommandsChanged(CWinTSElement* element)
{
    if (element && IndexOf(element) == current_)
        BuildSoftKeys();
}

void CWinTSLayoutMessageComposer::MoveFocus(int step)
{
    if (current_ < 0) {
        winTSAssert("no element window is current");
        return;
    }
    const int next = current_ + step;
    if (next >= 0 && next < static_cast<int>(fieldCount_))
        SetCurrentElement(elements_[static_cast<std::size_t>(next)].get());
}

bool CWinTSLayoutMessageComposer::OnHardKey(std::uint32_t key)
{
    if (currentElement_ && currentElement_->OnKey(key))
        return true;
    switch (key) {
    case tessel::ui::kVkEscape:
        winTSLog(kLogTrace, "KEY ESCAPE");
        return true;
    case tessel::ui::kVkUp:
        winTSLog(kLogTrace, "KEY UP");
        MoveFocus(-1);
        return true;
    case tessel::ui::kVkDown:
        winTSLog(kLogTrace, "KEY DOWN");
        MoveFocus(1);
        return true;
    default:
        return CWinTSLayout::OnHardKey(key);
    }
}

bool CWinTSLayoutMessageComposer::OnChar(std::uint32_t character)
{
    return currentElement_ && currentElement_->OnChar(character);
}

void CWinTSLayoutMessageComposer::OnElementResized(CWinTSElement* element, int height)
{
    const int i = IndexOf(element);
    if (i < 0) {
        winTSAssert("a height from a window that is not the composer's");
        return;
    }
    element->show(true);
    const int offset = GetScrollOffset();
    Rect& changed = rects_[static_cast<std::size_t>(i)];
    if (changed.top + height != changed.bottom) {
        changed.bottom = changed.top + height;
        for (std::uint32_t j = static_cast<std::uint32_t>(i); j < fieldCount_; ++j) {
            Rect& r = rects_[j];
            if (j > static_cast<std::uint32_t>(i)) {
                const int tall = r.height();
                r.top = rects_[j - 1].bottom;
                r.bottom = r.top + tall;
            }
            elements_[j]->moveWindow(Rect {r.left, r.top + offset, r.right, r.bottom + offset});
        }
    }
    setScrollInfo(tessel::ui::ScrollInfo {0, rects_[fieldCount_ - 1].bottom, content_.bottom, 0});
    ScrollContent(-offset);
    EnsureVisible();
}

void CWinTSLayoutMessageComposer::SetScrollBar(int position)
{
    tessel::ui::ScrollInfo info = scrollInfo();
    info.position = position;
    setScrollInfo(info);
}

void CWinTSLayoutMessageComposer::EnsureVisible()
{
    if (current_ < 0)
        return;
    if (scrollInfo().max == 0) {
        setScrollInfo(scrollInfo());
        return;
    }
    if (current_ == 0) {
        ScrollContent(-GetScrollOffset());
        SetScrollBar(0);
        return;
    }
    // The whole element in view, its top first when it is taller than the page.
    const Rect& r = rects_[static_cast<std::size_t>(current_)];
    const int offset = GetScrollOffset();
    int shift = 0;
    if (r.bottom + offset > content_.bottom)
        shift = r.bottom + offset - content_.bottom;
    if (r.top + offset - shift < content_.top)
        shift = r.top + offset - content_.top;
    ScrollContent(-shift);
    SetScrollBar(-GetScrollOffset());
}

void CWinTSLayoutMessageComposer::OnVScroll(std::uint32_t code, int track)
{
    const tessel::ui::ScrollInfo info = scrollInfo();
    const int range = info.max - info.page - info.min;
    int d = 0;
    switch (code) {
    case tessel::ui::kSbLineUp:
        d = std::max(range / 10, 1);
        break;
    case tessel::ui::kSbLineDown:
        d = std::min(-(range / 10), -1);
        break;
    case tessel::ui::kSbPageUp:
    case tessel::ui::kSbTop:
        d = info.page;
        break;
    case tessel::ui::kSbPageDown:
    case tessel::ui::kSbBottom:
        d = -info.page;
        break;
    case tessel::ui::kSbThumbPosition:
        d = track == 0 && info.position != 0 ? -GetScrollOffset() : info.position - track;
        break;
    default:
        return;
    }
    const int lowest = info.min;
    const int highest = std::max(info.min, info.max - info.page);
    d = info.position - std::clamp(info.position - d, lowest, highest);
    if (d == 0)
        return;
    ScrollContent(d);
    SetScrollBar(info.position - d);
}

void CWinTSLayoutMessageComposer::Refresh(CVXLLayout* layout)
{
    CWinTSLayout::Refresh(layout);
    if (layout)
        composer_ = static_cast<CVXLLayoutMessageComposer*>(layout);
    // A field the engine rebuilt, or whose value changed under the window,
    // is read again; the others keep what the user is typing.
    for (std::uint32_t i = 0; i < fieldCount_ && i < composer_->fieldCount(); ++i) {
        CVXLFieldElement* field = composer_->getField(i);
        CVXLElement* value = field ? field->value() : nullptr;
        if (value != values_[i] || (value && value->isModified())) {
            values_[i] = value;
            elements_[i]->Refresh(field);
        }
    }
    if (current_ >= 0)
        BuildSoftKeys();
}

void CWinTSLayoutMessageComposer::OnSettingChange(std::uint32_t flags)
{
    CWinTSLayout::OnSettingChange(flags);
    if (flags != kSettingFonts && flags != kSettingScreen)
        return;
    const Rect content = GetContentRect();
    if (content == content_)
        return;
    ScrollContent(-GetScrollOffset());
    content_ = content;
    for (std::uint32_t i = 0; i < fieldCount_; ++i) {
        elements_[i]->show(false);
        rects_[i] = content;
        elements_[i]->moveWindow(content);
        elements_[i]->Layout(content);
    }
}

bool CWinTSLayoutMessageComposer::ConfirmExit()
{
    if (!IsPocketPC())
        return true;
    const std::uint32_t state = layout_->state();
    const char16_t* question = state == kStateConfiguring ? kCancelConfiguration
        : state == kStateComposing                        ? kExitComposer
                                                          : kExitOther;
    return tessel::ui::messageBox(this, question, u"Tessel", tessel::ui::BoxButtons::YesNo, tessel::ui::kIdNo)
        == static_cast<int>(tessel::ui::kIdYes);
}

void CWinTSLayoutMessageComposer::onOk()
{
    if (ConfirmExit())
        CWinTSLayout::onOk();
}

bool CWinTSLayoutMessageComposer::IsActionHidden(std::uint32_t eventId) const
{
    return eventId == kEventBack;
}

void CWinTSLayoutMessageComposer::ShowHelp()
{
    if (!composerHelp_.empty())
        setHelpTopic(composerHelp_);
    CWinTSLayout::ShowHelp();
}

void CWinTSLayoutMessageComposer::RequestHelp()
{
    tessel::ui::postMessage(handle(), tessel::ui::kWmHelp, 0, 0);
}

std::int64_t CWinTSLayoutMessageComposer::onCommand(std::uint32_t id, std::uint32_t code)
{
    if (id >= kCommandFocusBase && id <= kLastFocusCommand)
        OnFocusCommand(id);
    else if (id >= kCommandSoftKeyBase && id <= kLastSoftKeyCommand)
        OnSoftKeyCommand(id);
    else if (id >= kCommandElementMenuBase && id <= kLastElementMenuCommand)
        OnElementMenuCommand(id);
    else if (id == kCommandHelp)
        RequestHelp();
    else
        return CWinTSLayout::onCommand(id, code);
    return 0;
}

std::int64_t CWinTSLayoutMessageComposer::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kWmElementResized:
        OnElementResized(elementOf(wParam), static_cast<int>(lParam));
        return 0;
    case kWmElementChanged:
        OnElementValueChanged(elementOf(wParam));
        return 0;
    case kWmElementCommandsChanged:
        OnCommandsChanged(elementOf(wParam));
        return 0;
    case tessel::ui::kWmVScroll:
        OnVScroll(static_cast<std::uint32_t>(wParam & 0xFFFF), static_cast<std::int16_t>(wParam >> 16));
        return 0;
    default:
        return CWinTSLayout::windowProc(message, wParam, lParam);
    }
}
