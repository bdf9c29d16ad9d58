#include "ui/Elements/WinTSElement.h"

#include "engine/core/base/VXLElement.h"
#include "engine/screens/VXLFieldElement.h"
#include "platform/kernel/TextCodec.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/ListView.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSRegistry.h"

#include <cstdlib>
#include <mutex>

using tessel::ui::Rect;

namespace {

constexpr const char16_t* kWindowClass = u"WinTSElement";
constexpr int kLineHeightPadding = 5;
constexpr int kCornerDivisor = 30;

int gCornerSize = -1;
int gLineHeight = 0;
std::mutex gSharedMutex;

// The class's own value, else the general one.
std::u16string tipFor(const std::u16string& value, const std::u16string& className)
{
    std::u16string tip;
    registryRead(u"UIConfig", value + u"_" + className, &tip);
    if (tip.empty())
        registryRead(u"UIConfig", value, &tip);
    return tip;
}

void computeShared()
{
    std::lock_guard<std::mutex> lock(gSharedMutex);
    const int screenWidth = tessel::ui::systemMetric(tessel::ui::kMetricScreenWidth);
    const int screenHeight = tessel::ui::systemMetric(tessel::ui::kMetricScreenHeight);
    if (gCornerSize < 0) {
        std::uint32_t corner = static_cast<std::uint32_t>(screenWidth / kCornerDivisor);
        registryReadDword(u"UIConfig", u"ElementCornerSize", &corner, corner);
        gCornerSize = static_cast<int>(corner);
    }
    if (gLineHeight == 0) {
        tessel::ui::Canvas measure(std::make_shared<tessel::ui::Bitmap>(1, 1));
        measure.selectFont(CWinTSElement::RegistryFont(u"ElementEdit"));
        Rect box {0, 0, screenWidth, screenHeight};
        measure.drawText(u"X", &box, tessel::ui::kDtCalcRect | tessel::ui::kDtWordBreak);
        gLineHeight = kLineHeightPadding + box.height();
    }
}

} // namespace

CWinTSElement::CWinTSElement(const std::u16string& className, const WinTSElementLink& link)
    : base_(className)
    , className_(className)
    , link_(link)
    , labelText_(u" ")
    , labelFont_(RegistryFont(u"ElementLabel"))
    , emptyFont_(RegistryFont(u"ElementEmpty"))
{
    computeShared();
    emptyTip_ = tipFor(u"ElementEmptyTip", className_);
    focusedEmptyTip_ = tipFor(u"ElementEmptyTipFocus", className_);
}

std::shared_ptr<tessel::ui::Font> CWinTSElement::RegistryFont(const std::u16string& name)
{
    LogFont font;
    LoadFontFromRegistry(name, &font);
    std::shared_ptr<tessel::ui::Font> made = tessel::ui::Font::create(font.description());
    return made ? made : tessel::ui::Font::system();
}

int CWinTSElement::cornerSize()
{
    computeShared();
    return gCornerSize;
}

int CWinTSElement::lineHeight()
{
    computeShared();
    return gLineHeight;
}

CVXLElement* CWinTSElement::fieldValue() const
{
    CVXLFieldElement* field = element_ ? element_->asReference() : nullptr;
    return field ? field->value() : element_;
}

bool CWinTSElement::Create(
    tessel::ui::Window* parent, CVXLElement* element, const Rect& rect, int id, std::uint32_t)
{
    element_ = element;
    return Window::create(kWindowClass, className_, parent, id, rect);
}

int CWinTSElement::OnCreate()
{
    // Only a field slot has a label: the field's caption, or the value of
    // that name in section Labels when it has one.
    CVXLFieldElement* field = element_ ? element_->asReference() : nullptr;
    if (!field)
        return 0;
    labelKey_ = tessel::kernel::utf8ToWide(field->fieldLabel().c_str());
    labelText_ = labelKey_;
    std::u16string named;
    if (!labelKey_.empty() && registryRead(u"Labels", labelKey_, &named) && !named.empty())
        labelText_ = named;
    if (labelText_.empty())
        return 0;
    const int height = std::abs(
        labelFont_->description().height != 0 ? labelFont_->description().height : labelFont_->lineHeight());
    const Rect client = clientRect();
    labelControl_ = std::make_unique<tessel::ui::Static>();
    labelControl_->create(
        this, kLabelId, labelText_, Rect {client.left, client.top, client.right, client.top + height + 1});
    addChildControl(kLabelId);
    labelControl_->windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(labelFont_.get()), 1);
    labelControl_->show(true);
    return 0;
}

void CWinTSElement::addChildControl(int id)
{
    if (childCount_ < kMaxChildControls)
        childIds_[childCount_++] = id;
}

bool CWinTSElement::isChildControl(int id) const
{
    for (int i = 0; i < childCount_; ++i) {
        if (childIds_[i] == id)
            return true;
    }
    return false;
}

Rect CWinTSElement::contentRect() const
{
    Rect r = clientRect();
    if (labelControl_ && labelControl_->exists())
        r.top += labelControl_->windowRect().height();
    return r;
}

void CWinTSElement::SetFocused(bool focused)
{
    focused_ = focused;
}

void CWinTSElement::RequestFocus()
{
    if (!focused_ && parent())
        tessel::ui::postMessage(
            parent()->handle(), link_.focusRequest, reinterpret_cast<std::uintptr_t>(this), 0);
}

void CWinTSElement::NotifyCommandsChanged()
{
    if (parent())
        tessel::ui::postMessage(
            parent()->handle(), link_.commandsChanged, reinterpret_cast<std::uintptr_t>(this), 0);
}

void CWinTSElement::NotifyEdited()
{
    if (parent())
        tessel::ui::postMessage(parent()->handle(), link_.edited, reinterpret_cast<std::uintptr_t>(this), 0);
}

void CWinTSElement::PostHeight(int height)
{
    if (height == postedHeight_ || !parent())
        return;
    postedHeight_ = height;
    tessel::ui::postMessage(
        parent()->handle(), link_.resized, reinterpret_cast<std::uintptr_t>(this), height);
}

void CWinTSElement::AddMenuItem(std::uint32_t command, const std::u16string& text)
{
    for (MenuEntry& entry : menu_) {
        if (!entry.used) {
            entry = MenuEntry {true, true, command, text};
            return;
        }
    }
}

void CWinTSElement::EnableMenuItem(std::uint32_t command, bool enabled)
{
    for (MenuEntry& entry : menu_) {
        if (entry.used && entry.command == command)
            entry.enabled = enabled;
    }
}

int CWinTSElement::GetMenuItemCount() const
{
    int count = 0;
    for (const MenuEntry& entry : menu_)
        count += entry.used && entry.enabled ? 1 : 0;
    return count;
}

bool CWinTSElement::GetMenuItem(
    int n, std::uint32_t* flags, std::uint32_t* command, std::u16string* text) const
{
    for (const MenuEntry& entry : menu_) {
        if (!entry.used || !entry.enabled)
            continue;
        if (n-- == 0) {
            *flags = kMenuFlagsByPosition;
            *command = entry.command;
            *text = entry.text;
            return true;
        }
    }
    return false;
}

void CWinTSElement::describe(std::vector<std::u16string>* lines) const
{
    const std::u16string& tip = focused_ ? focusedEmptyTip_ : emptyTip_;
    if (showEmptyTip_ && !tip.empty())
        lines->push_back(tip);
}

int CWinTSElement::paint(tessel::ui::Canvas& canvas, const Rect&) const
{
    // The layout's picture behind the window; the child controls draw
    // transparently over it.
    if (link_.background) {
        const Rect at = windowRect();
        canvas.bitBlt(0, 0, at.width(), at.height(), *link_.background, at.left, at.top);
    }
    return 0;
}

void CWinTSElement::DrawFrame(tessel::ui::Canvas& canvas, const Rect& r) const
{
    using namespace tessel::ui;
    const Pen pen = canvas.selectPen(
        focused_ ? Pen::solid(systemColor(kColorHighlight), 2) : Pen::solid(systemColor(kColorGrayText), 1));
    canvas.roundRect(r, gCornerSize, gCornerSize);
    canvas.selectPen(pen);
    if (!showEmptyTip_)
        return;
    std::shared_ptr<Font> before = canvas.selectFont(emptyFont_);
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    const Color color = canvas.setTextColor(systemColor(kColorGrayText));
    Rect box = r;
    canvas.drawText(focused_ ? focusedEmptyTip_ : emptyTip_, &box, kDtCenter | kDtVCenter | kDtNoPrefix);
    canvas.setTextColor(color);
    canvas.selectFont(std::move(before));
}

std::int64_t CWinTSElement::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case tessel::ui::kWmLButtonDown:
        RequestFocus();
        return Window::windowProc(message, wParam, lParam);
    case tessel::ui::kWmNotify: {
        const auto* header = reinterpret_cast<const tessel::ui::NotifyHeader*>(lParam);
        if (header
            && (header->code == tessel::ui::kNotifyClick || header->code == tessel::ui::kNotifySetFocus
                || header->code == tessel::ui::kNotifyItemActivate))
            RequestFocus();
        return 0;
    }
    default:
        return Window::windowProc(message, wParam, lParam);
    }
}
