#include "ui/WinTSMainMenu.h"

#include "engine/client/menu/GlobalMenuCoolSiteEntry.h"
#include "engine/client/menu/GlobalMenuList.h"
#include "engine/media/VXLMediaRef.h"
#include "platform/kernel/TextCodec.h"
#include "platform/tesselres/DialogTemplates.h"
#include "platform/tesselres/ResourceImages.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSMainMenuTransfer.h"
#include "ui/WinTSPicture.h"
#include "ui/WinTSRegistry.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>

using tessel::kernel::utf8ToWide;
using tessel::ui::Rect;

namespace {

constexpr const char16_t* kTapToAdd = u"Tap to Add";
constexpr int kStockIcon = 1030;
constexpr int kTapToAddIcon = 1032;
constexpr int kBackground = 104;
constexpr int kArrangeMargin = 10;

int iconWidth()
{
    return tessel::ui::systemMetric(tessel::ui::kMetricIconWidth);
}

int iconHeight()
{
    return tessel::ui::systemMetric(tessel::ui::kMetricIconHeight);
}

std::optional<tessel::ui::Bitmap> iconOf(const std::uint8_t* data, std::size_t size)
{
    return LoadPictureScaled(data, size, iconWidth(), iconHeight(), true, tessel::ui::rgb(255, 255, 255), 0);
}

} // namespace

CWinTSMainMenu::CWinTSMainMenu(CGlobalMenuList* menu, const std::u16string&, tessel::ui::Window* parentDialog)
    : parent_(parentDialog)
    , base_(u"Fun Menu")
    , menu_(menu)
{
    if (const auto* t = tessel::tesselres::dialogTemplate(kTemplate))
        setTemplate(t->controls);
    LogFont font;
    LoadFontFromRegistry(u"MenuList", &font);
    font_ = tessel::ui::Font::create(font.description());
    if (auto bitmap = tessel::tesselres::loadBitmap(kBackground))
        background_ = std::make_shared<tessel::ui::Bitmap>(std::move(*bitmap));
}

CWinTSMainMenu::~CWinTSMainMenu()
{
    transfers_.closeAll();
}

int CWinTSMainMenu::run()
{
    return doModal(u"Configure Tessel", parent_);
}

tessel::ui::ListView* CWinTSMainMenu::list() const
{
    return dynamic_cast<tessel::ui::ListView*>(child(kList));
}

void CWinTSMainMenu::onCreate()
{
    transfers_.setWindow(handle());
    images_ = std::make_shared<tessel::ui::ImageList>(iconWidth(), iconHeight());
    for (int id : {kStockIcon, kTapToAddIcon}) {
        auto icon = tessel::tesselres::loadIcon(id);
        if (!icon || images_->add(*icon, kIconMask) < 0)
            images_->add(
                tessel::ui::Bitmap(iconWidth(), iconHeight(), tessel::ui::rgb(255, 255, 255)), kIconMask);
    }
    if (tessel::ui::ListView* view = list()) {
        view->setStyle(tessel::ui::ListView::kReport);
        if (font_)
            view->windowProc(tessel::ui::kWmSetFont, reinterpret_cast<std::uintptr_t>(font_.get()), 1);
        view->setImageList(images_);
    }
    BuildMenu();
    show(true);
    if (tessel::ui::ListView* view = list())
        tessel::ui::setFocus(view->handle());
    ArrangeControls();
    setText(u"Configure Tessel");
}

void CWinTSMainMenu::onDestroy()
{
    // Icons still on their way end without a screen to tell.
    transfers_.closeAll();
    Dialog::onDestroy();
}

void CWinTSMainMenu::BuildMenu()
{
    tessel::ui::ListView* view = list();
    if (!view || !menu_)
        return;
    view->deleteAllItems();
    for (std::uint32_t n = 0; n < menu_->getEntryCount(); ++n) {
        CGlobalMenuEntry* entry = menu_->entryAt(n);
        if (!entry)
            continue;
        const std::u16string text = utf8ToWide(entry->caption().c_str());
        const bool tapToAdd = text == kTapToAdd;
        const bool coolSite = entry->action() == kCoolSiteKind;
        if (!coolSite && !tapToAdd)
            continue;
        if (n > kMaxListedPosition) {
            winTSLog(kLogWarning,
                "a cool site past position 255 is not listed: " + std::string(entry->caption().c_str()));
            continue;
        }
        int image = tapToAdd ? 1 : 0;
        auto* site = dynamic_cast<CGlobalMenuCoolSiteEntry*>(entry);
        if (coolSite && site && site->button().length() > 0) {
            winTSLog(kLogTrace, "Fun menu icon is ready.");
            std::array<std::uint8_t, kMaxIconBytes> buffer {};
            std::uint32_t size = kMaxIconBytes;
            if (registryReadData(u"FunSites", text, buffer.data(), &size) && size <= kMaxIconBytes) {
                winTSLog(kLogTrace, "Found Fun menu icon in Registry.");
                if (auto bitmap = iconOf(buffer.data(), size)) {
                    const int added = images_->add(*bitmap, kIconMask);
                    if (added >= 0)
                        image = added;
                }
            } else if (CVXLMediaRef* media = site->iconMedia().get()) {
                auto* transfer = new CWinTSMainMenuTransfer(&transfers_, static_cast<int>(n), text);
                media->setRequestPath("image/jpg");
                media->setSizeClass(CVXLMediaRef::kSizeOriginal);
                media->setListener(transfer);
                if (media->submitRequest() != 1) {
                    winTSLog(kLogWarning, "a cool-site icon request was refused");
                    delete transfer;
                } else if (parent_) {
                    tessel::ui::postMessage(parent_->handle(), kRunEngine, 0, 0);
                }
            }
        }
        const int row = view->insertItem(view->itemCount(), text, n);
        if (row < 0) {
            winTSLog(kLogFailure, "Failure to Append Menu");
            continue;
        }
        view->setItemImage(row, image);
        if (row == 0)
            view->select(0);
    }
}

void CWinTSMainMenu::OnIconReceived(std::uint64_t position, std::int64_t lParam)
{
    auto* transfer = static_cast<CWinTSMainMenuTransfer*>(transfers_.take(lParam));
    if (!transfer)
        return;
    std::optional<tessel::ui::Bitmap> bitmap;
    // Kept exactly as received, even what does not decode; never a part.
    if (transfer->getSize() > 0 && !transfer->failed()) {
        registryWriteData(u"FunSites", transfer->text(), transfer->getData(), transfer->getSize());
        bitmap = iconOf(transfer->getData(), transfer->getSize());
    }
    delete transfer;
    tessel::ui::ListView* view = list();
    if (!view || !bitmap)
        return;
    const int image = images_->add(*bitmap, kIconMask);
    for (int row = 0; image >= 0 && row < view->itemCount(); ++row) {
        if (view->itemData(row) == static_cast<std::int64_t>(position)) {
            view->setItemImage(row, image);
            break;
        }
    }
}

void CWinTSMainMenu::OnSelect()
{
    tessel::ui::ListView* view = list();
    if (!view)
        return;
    const int mark = view->selectionMark();
    if (mark < 0 || mark >= view->itemCount())
        return;
    const std::int64_t data = view->itemData(mark);
    winTSLog(kLogTrace, "CWinTSMainMenu select: " + std::to_string(mark) + "/" + std::to_string(data));
    endDialog(kSelectBase + static_cast<int>(data));
}

void CWinTSMainMenu::onOk()
{
    if (IsPocketPC())
        OnSelect();
    else
        endDialog(1);
}

bool CWinTSMainMenu::PreTranslateMessage(const tessel::ui::Message& message)
{
    if (message.id == tessel::ui::kWmKeyUp
        && (message.wParam == tessel::ui::kVkEnd || message.wParam == tessel::ui::kVkF4))
        endDialog(1);
    return false;
}

void CWinTSMainMenu::OnReset()
{
    const int answer = tessel::ui::messageBox(this,
        u"This action will force re-authentication with the Tessel Server.\nDo you want to Reset Tessel?",
        u"Tessel", tessel::ui::BoxButtons::YesNo, tessel::ui::kIdNo);
    if (answer != tessel::ui::kIdYes)
        return;
    registryWriteDword(u"", u"ForceReset", 1);
    QuitApplication();
}

void CWinTSMainMenu::OnAbout()
{
    // The program's files carry no version resource here; the library line
    // is the fixed one.
    std::u16string text;
    for (const char16_t* name : {u"Tessel.exe", u"Tessel.dll", u"TesselRes.dll"})
        text += std::u16string(name) + u": 0.0.0.0\n";
    text += u"Vantor.lib: 5.5.6.f\n";
    if (IsPocketPC())
        ShowHtmlNotification(text);
    else
        tessel::ui::messageBox(this, text, u"Tessel", tessel::ui::BoxButtons::Ok, tessel::ui::kIdOk);
}

void CWinTSMainMenu::ArrangeControls()
{
    tessel::ui::ListView* view = list();
    if (view) {
        const Rect client = clientRect();
        const int w = client.width();
        const int h = client.height();
        const int cw
            = view->clientRect().width() > 0 ? view->clientRect().width() - iconWidth() : w - iconWidth();
        const int ch = view->itemCount() * view->rowHeight();
        int y = h / 2 - ch / 2;
        int width = cw + kArrangeMargin;
        int height = ch + kArrangeMargin;
        if (y < kArrangeMargin) {
            y = kArrangeMargin;
            width += kArrangeMargin;
        }
        if (height > h - 2 * kArrangeMargin) {
            height = h - 2 * kArrangeMargin;
            width += kArrangeMargin;
        }
        const int x = w / 2 - cw / 2;
        view->moveWindow(Rect {x, y, x + width, y + height});
        view->show(true);
    }
    auto options = std::make_shared<tessel::ui::Menu>();
    options->add(kReset, u"Reset").add(kAbout, u"About...").add(kCancel, u"Cancel");
    auto bar = std::make_shared<tessel::ui::Menu>();
    bar->add(kSelect, u"Select");
    bar->addPopup(u"Options", options);
    setMenuBar(bar);
}

int CWinTSMainMenu::paint(tessel::ui::Canvas& canvas, const Rect& area) const
{
    if (background_)
        canvas.stretchBlt(area, *background_, background_->bounds());
    return 0;
}

std::int64_t CWinTSMainMenu::onCommand(std::uint32_t id, std::uint32_t code)
{
    switch (id) {
    case kCancel:
        endDialog(1);
        return 0;
    case kSelect:
        OnSelect();
        return 0;
    case kAbout:
        OnAbout();
        return 0;
    case kReset:
        OnReset();
        return 0;
    default:
        return Dialog::onCommand(id, code);
    }
}

std::int64_t CWinTSMainMenu::windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    switch (message) {
    case kIconReceived:
        OnIconReceived(wParam, lParam);
        return 1;
    case tessel::ui::kWmSettingChange:
        if (wParam == 0x3002)
            ArrangeControls();
        return 0;
    case tessel::ui::kWmNotify: {
        const auto* header = reinterpret_cast<const tessel::ui::NotifyHeader*>(lParam);
        if (!header || header->controlId != kList)
            return Dialog::windowProc(message, wParam, lParam);
        switch (header->code) {
        case tessel::ui::kNotifyTapAndHold: {
            tessel::ui::ListView* view = list();
            const int mark = view ? view->selectionMark() : -1;
            if (mark >= 0 && mark < view->itemCount())
                endDialog(kHoldBase + static_cast<int>(view->itemData(mark)));
            return 0;
        }
        case tessel::ui::kNotifyGestureQuery:
            return 1;
        case tessel::ui::kNotifyClick:
        case tessel::ui::kNotifyReturn:
            OnSelect();
            return Dialog::windowProc(message, wParam, lParam);
        default:
            return Dialog::windowProc(message, wParam, lParam);
        }
    }
    default:
        return Dialog::windowProc(message, wParam, lParam);
    }
}
