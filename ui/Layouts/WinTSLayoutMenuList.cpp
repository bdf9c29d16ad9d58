#include "ui/Layouts/WinTSLayoutMenuList.h"

#include "engine/media/VXLMediaRef.h"
#include "engine/screens/VXLEditTextElement.h"
#include "engine/screens/VXLLayoutMenuList.h"
#include "engine/screens/VXLMenuItemElement.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/tesselres/ResourceImages.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "ui/Layouts/WinTSLayoutMenuListTransfer.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSPicture.h"
#include "ui/WinTSRegistry.h"

#include <algorithm>
#include <cstdio>
#include <string>

using tessel::kernel::utf8ToWide;
using tessel::ui::Rect;

namespace {

constexpr int kDefaultStockIcon = 1019;
constexpr int kArrangeMargin = 10;

int iconWidth()
{
    return tessel::ui::systemMetric(tessel::ui::kMetricIconWidth);
}

int iconHeight()
{
    return tessel::ui::systemMetric(tessel::ui::kMetricIconHeight);
}

} // namespace

CWinTSLayoutMenuList::CWinTSLayoutMenuList(CVXLLayout* layout, const WinTSDialogLink& link)
    : CWinTSLayout(kTemplate, u"CWinTSLayoutMenuList", layout, link)
{
    LogFont font;
    LoadFontFromRegistry(u"MenuList", &font);
    font_ = tessel::ui::Font::create(font.description());
    checkList_ = layout && layout->state() == kCheckListState;
}

bool CWinTSLayoutMenuList::isListedKind(std::int32_t kind)
{
    switch (kind) {
    case 0:
    case 1:
    case 6:
    case 7:
    case 8:
    case 11:
    case 13:
    case 14:
    case 15:
        return true;
    default:
        return false;
    }
}

int CWinTSLayoutMenuList::stockIcon(std::int32_t kind)
{
    return kind >= 11 && kind <= 15 ? 1028 + (kind - 11) : kDefaultStockIcon;
}

std::int32_t CWinTSLayoutMenuList::entryKind(const CVXLElement* entry)
{
    const auto* text = dynamic_cast<const CVXLEditTextElement*>(entry);
    return text ? text->value() : 0;
}

CVXLLayoutMenuList* CWinTSLayoutMenuList::menu() const
{
    return layout_ ? layout_->asMenuList() : nullptr;
}

tessel::ui::ListView* CWinTSLayoutMenuList::list() const
{
    return dynamic_cast<tessel::ui::ListView*>(child(kList));
}

void CWinTSLayoutMenuList::submitOnLayout(std::uint32_t eventId)
{
    if (layout_->submitAction(eventId) != 1)
        winTSLog(kLogFailure, "SubmitAction failure");
    tessel::ui::postMessage(link_.dialog, link_.actionSubmitted, eventId, 0);
}

void CWinTSLayoutMenuList::onCreate()
{
    CWinTSLayout::onCreate();
    tessel::ui::ListView* view = list();
    // Entries of kind 1 are picked at once and the window never shows.
    CVXLLayoutMenuList* entries = menu();
    for (std::uint32_t n = 0; entries && n < entries->getItemCount(); ++n) {
        CVXLElement* entry = entries->itemAt(n);
        if (entryKind(entry) != static_cast<std::int32_t>(kAutoSelectKind))
            continue;
        if (view)
            view->show(false);
        layout_->setCurrentElement(entry);
        submitOnLayout(kSelect);
        submitOnLayout(kContinue);
        enable(false);
        autoSelected_ = true;
    }
    if (autoSelected_) {
        show(false);
        moveWindow(Rect {1, 1, 2, 2});
        return;
    }
    if (!view)
        return;
    if (font_)
        view->windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(font_.get()), 1);
    tessel::ui::setFocus(view->handle());
    // A check list draws its rows itself, with their check boxes.
    view->setStyle(checkList_ ? tessel::ui::ListView::kReport | tessel::ui::ListView::kCheckBoxes
                | tessel::ui::ListView::kOwnerDraw
                              : tessel::ui::ListView::kReport);
    BuildList();
    ArrangeList();
    show(true);
}

void CWinTSLayoutMenuList::BuildList()
{
    tessel::ui::ListView* view = list();
    CVXLLayoutMenuList* entries = menu();
    if (!view || !entries)
        return;
    images_ = std::make_shared<tessel::ui::ImageList>(iconWidth(), iconHeight());
    bool iconsPresent = false;
    bool fetchStarted = false;
    const std::uint32_t count = entries->getItemCount();
    for (std::uint32_t n = 0; n < count; ++n) {
        CVXLElement* entry = entries->itemAt(n);
        const std::int32_t kind = entryKind(entry);
        bool own = false;
        auto* item = dynamic_cast<CVXLMenuItemElement*>(entry);
        CVXLMediaRef* media = item && item->hasMenuMedia() ? item->menuMedia().get() : nullptr;
        if (media) {
            const CVXLString mimeType = media->getMimeType();
            const char* rendition = media->getRenditionName(CVXLMediaRef::kSizePreview);
            const std::u16string iconName
                = CWinTSLayoutMenuListTransfer::iconFileName(utf8ToWide(rendition ? rendition : ""));
            std::u16string path;
            if (iconName.empty()) {
                winTSLog(
                    kLogWarning, std::string("a menu icon name is refused: ") + (rendition ? rendition : ""));
            } else if (registryRead(u"MenuIcons", iconName, &path) && !path.empty()) {
                if (auto bitmap = LoadPictureFile(path, iconWidth(), iconHeight(), true, kIconMask, 0)) {
                    own = images_->add(*bitmap, kIconMask) >= 0;
                    iconsPresent = iconsPresent || own;
                } else {
                    // What does not decode is fetched again, into a new file.
                    std::string host;
                    if (tessel::kernel::mapPhonePath(tessel::kernel::wideToUtf8(path), &host))
                        std::remove(host.c_str());
                    winTSLog(kLogWarning,
                        "a cached menu icon did not decode and was deleted: "
                            + tessel::kernel::wideToUtf8(path));
                }
            }
            if (!own && !iconName.empty()) {
                auto* transfer = new CWinTSLayoutMenuListTransfer(static_cast<int>(n), iconName);
                media->setRequestPath(mimeType);
                media->setSizeClass(CVXLMediaRef::kSizePreview);
                media->setListener(transfer);
                if (media->submitRequest() == 1) {
                    fetchStarted = true;
                } else {
                    winTSLog(kLogWarning, "a menu icon request was refused");
                    delete transfer;
                }
            }
        }
        if (!own) {
            // Every entry adds one image, so an entry's image is its position.
            std::optional<tessel::ui::Bitmap> stock = tessel::tesselres::loadIcon(stockIcon(kind));
            if (!stock || images_->add(*stock, kIconMask) < 0)
                images_->add(
                    tessel::ui::Bitmap(iconWidth(), iconHeight(), tessel::ui::rgb(255, 255, 255)), kIconMask);
            iconsPresent = iconsPresent || (kind >= 11 && kind <= 15);
        }
    }
    view->setImageList(iconsPresent || fetchStarted ? images_ : nullptr);

    view->deleteAllItems();
    int selectRow = -1;
    for (std::uint32_t n = 0; n < count; ++n) {
        CVXLElement* entry = entries->itemAt(n);
        if (!isListedKind(entryKind(entry)))
            continue;
        const auto* text = dynamic_cast<const CVXLEditTextElement*>(entry);
        const int row
            = view->insertItem(view->itemCount(), utf8ToWide(text ? text->getText().c_str() : ""), n);
        if (row < 0) {
            winTSLog(kLogFailure, "Failure to Append Menu");
            continue;
        }
        view->setItemImage(row, iconsPresent ? static_cast<int>(n) : -1);
        if (checkList_)
            view->setChecked(row, text && text->isChecked());
        if (selectRow < 0 && (selected_ < 0 || static_cast<std::int64_t>(n) == selected_))
            selectRow = row;
    }
    if (selectRow < 0 && view->itemCount() > 0)
        selectRow = 0;
    view->select(selectRow);
    view->show(view->itemCount() > 0);
}

void CWinTSLayoutMenuList::ArrangeList()
{
    tessel::ui::ListView* view = list();
    if (!view || !view->exists())
        return;
    const Rect content = GetContentRect();
    const int width = content.right - content.left;
    const int height = content.bottom - content.top;
    int cw = view->clientRect().width() - (checkList_ ? 0 : iconWidth());
    if (cw <= 0)
        cw = width - iconWidth();
    int ch = view->itemCount() * view->rowHeight();
    if (ch > height) {
        cw += kArrangeMargin;
        ch = height;
    }
    if (cw > width - 2 * kArrangeMargin)
        cw = width - 2 * kArrangeMargin;
    const int y = std::max(height / 2 - ch / 2, content.top + kArrangeMargin);
    const int listWidth = checkList_ ? cw + 2 : cw + iconWidth() + 5;
    const int listHeight = std::min(ch + 2, content.bottom - kArrangeMargin - y);
    const int x = width / 2 - cw / 2;
    view->moveWindow(Rect {x, y, x + listWidth, y + std::max(0, listHeight)});
    view->show(view->itemCount() > 0);
}

void CWinTSLayoutMenuList::OnSelect()
{
    tessel::ui::ListView* view = list();
    CVXLLayoutMenuList* entries = menu();
    if (!view || !entries)
        return;
    const int mark = view->selectionMark();
    if (mark < 0 || mark >= view->itemCount())
        return;
    const std::int64_t data = view->itemData(mark);
    winTSLog(kLogTrace, "CWinTSLayoutMenuList select: " + std::to_string(mark) + "/" + std::to_string(data));
    selected_ = static_cast<std::int32_t>(data);
    layout_->setCurrentElement(entries->itemAt(static_cast<std::uint32_t>(data)));
    if (layout_->hasAction(kSelect) && layout_->canSubmitAction(kSelect))
        submitOnLayout(kSelect);
    if (checkList_)
        return;
    if (layout_->hasAction(kContinue) && layout_->canSubmitAction(kContinue))
        submitOnLayout(kContinue);
    enable(false);
}

bool CWinTSLayoutMenuList::OnHardKey(std::uint32_t key)
{
    if (key == tessel::ui::kVkReturn) {
        if (enabled())
            OnSelect();
        return true;
    }
    return CWinTSLayout::OnHardKey(key);
}

void CWinTSLayoutMenuList::SubmitAction(std::uint32_t command)
{
    const std::uint32_t n = command - kFirstActionCommand;
    if (command > kFirstActionCommand && n <= actionCount() && action(n).eventId == kSelect) {
        if (enabled())
            OnSelect();
        return;
    }
    CWinTSLayout::SubmitAction(command);
}

void CWinTSLayoutMenuList::SetLayout(CVXLLayout* layout)
{
    rebuilding_ = true;
    if (layout)
        layout_ = layout;
    BuildList();
    ArrangeList();
    rebuilding_ = false;
    CWinTSLayout::Refresh(layout);
    if (tessel::ui::ListView* view = list(); view && !view->focused())
        tessel::ui::setFocus(view->handle());
}

void CWinTSLayoutMenuList::OnSettingChange(std::uint32_t flags)
{
    CWinTSLayout::OnSettingChange(flags);
    if (flags == kSettingScreen)
        ArrangeList();
}

bool CWinTSLayoutMenuList::DrawItem(const tessel::ui::DrawItem& item)
{
    using namespace tessel::ui;
    CVXLLayoutMenuList* entries = menu();
    if (!item.canvas || !entries)
        return false;
    const auto* entry = dynamic_cast<const CVXLEditTextElement*>(
        entries->itemAt(static_cast<std::uint32_t>(item.itemData)));
    Canvas& canvas = *item.canvas;
    const bool selected = (item.state & kOdsSelected) != 0;
    const Color background = systemColor(selected ? kColorHighlight : kColorWindow);
    const Color textColor = systemColor(selected ? kColorHighlightText : kColorWindowText);
    canvas.fillRect(item.rect, Brush::solid(background));
    const int top = item.rect.top + std::max(0, (item.rect.height() - iconHeight()) / 2);
    canvas.checkBoxFrame(Rect {item.rect.left, top, item.rect.left + iconWidth(), top + iconHeight()},
        entry && entry->isChecked());
    const int imageLeft = item.rect.left + iconWidth();
    if (images_)
        images_->draw(canvas, static_cast<int>(item.itemData), imageLeft, top);
    std::shared_ptr<Font> before = font_ ? canvas.selectFont(font_) : canvas.font();
    canvas.setBackgroundMode(BackgroundMode::Transparent);
    const Color previous = canvas.setTextColor(textColor);
    Rect text {imageLeft + iconWidth() + 5, item.rect.top, item.rect.right, item.rect.bottom};
    canvas.drawText(
        utf8ToWide(entry ? entry->getText().c_str() : ""), &text, kDtVCenter | kDtSingleLine | kDtNoPrefix);
    canvas.setTextColor(previous);
    canvas.selectFont(std::move(before));
    return true;
}

std::int64_t CWinTSLayoutMenuList::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case tessel::ui::kWmDrawItem:
        if (checkList_ && lParam)
            return DrawItem(*reinterpret_cast<const tessel::ui::DrawItem*>(lParam)) ? 1 : 0;
        return 0;
    case tessel::ui::kWmNotify: {
        const std::int64_t answer = CWinTSLayout::windowProc(message, wParam, lParam);
        const auto* header = reinterpret_cast<const tessel::ui::NotifyHeader*>(lParam);
        if (!header || header->controlId != kList)
            return answer;
        if (header->code == tessel::ui::kNotifyGestureQuery)
            return 1;
        if (header->code == tessel::ui::kNotifyClick && enabled())
            OnSelect();
        return answer;
    }
    default:
        return CWinTSLayout::windowProc(message, wParam, lParam);
    }
}
