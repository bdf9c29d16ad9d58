#include "ui/Elements/WinTSElementMediaContainer.h"

#include "engine/core/base/VXLElement.h"
#include "engine/media/VXLMediaItem.h"
#include "engine/screens/VXLMediaListElement.h"
#include "platform/kernel/DeviceFacts.h"
#include "platform/kernel/DeviceRoot.h"
#include "platform/kernel/TextCodec.h"
#include "platform/shell/FilePicker.h"
#include "platform/shell/ShellFolder.h"
#include "platform/tesselres/DialogTemplates.h"
#include "platform/tesselres/TesselRes.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/WindowSystem.h"
#include "ui/WinTSHelpers.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSPicture.h"
#include "ui/WinTSRegistry.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

using tessel::kernel::utf8ToWide;
using tessel::kernel::wideToUtf8;
using tessel::ui::Rect;

namespace {

constexpr const char16_t* kTooManyVideos = u"This message is limited to %d videos";
constexpr const char16_t* kTooManyImages = u"This message is limited to %d images";
constexpr tessel::ui::Color kWhite = tessel::ui::rgb(255, 255, 255);
constexpr int kMimeChars = 128;

std::u16string nameOf(const std::u16string& path)
{
    const std::size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::u16string mimeTypeOf(const std::u16string& name)
{
    char16_t type[kMimeChars] = {};
    WinTS_getMimeType(name.c_str(), type, kMimeChars);
    return type;
}

bool startsWith(const std::u16string& text, const char16_t* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// Each "%d" in turn takes the next number.
std::u16string formatNumbers(std::u16string text, std::initializer_list<long long> numbers)
{
    std::size_t from = 0;
    for (long long n : numbers) {
        const std::size_t at = text.find(u"%d", from);
        if (at == std::u16string::npos)
            break;
        const std::u16string digits = utf8ToWide(std::to_string(n));
        text.replace(at, 2, digits);
        from = at + digits.size();
    }
    return text;
}

// The file's size in bytes, or -1 when its attributes cannot be read.
long long fileSize(const std::u16string& path)
{
    std::string host;
    if (!tessel::kernel::mapPhonePath(wideToUtf8(path), &host))
        return -1;
    std::error_code error;
    const auto size = std::filesystem::file_size(host, error);
    return error ? -1 : static_cast<long long>(size);
}

} // namespace

CWinTSElementMediaContainer::CWinTSElementMediaContainer(const WinTSElementLink& link)
    : CWinTSElement(u"CWinTSElementMediaContainer", link)
    , menu_(tessel::tesselres::loadMenu(kMenuResource))
{
    std::u16string patterns;
    registryRead(u"UIConfig", u"MediaFilter", &patterns);
    // The chooser's one filter pair: the description and the patterns.
    filter_ = u"Tessel Files_" + patterns;
    filter_[filter_.find(u'_')] = u'\0';
    filter_.push_back(u'\0');
}

CWinTSElementMediaContainer::~CWinTSElementMediaContainer()
{
    destroy();
}

CVXLMediaListElement* CWinTSElementMediaContainer::media() const
{
    CVXLElement* value = fieldValue();
    return value ? value->asMediaList() : nullptr;
}

void CWinTSElementMediaContainer::ReadLimits()
{
    CVXLMediaListElement* list = media();
    if (!list)
        return;
    // A limit below 0 takes nothing; the grid holds at most 30 in all.
    maxPictures_ = std::clamp(list->maxImages(), 0, kMaxSlots);
    maxVideos_ = std::clamp(list->maxVideos(), 0, kMaxSlots);
    capacity_ = std::min(maxPictures_ + maxVideos_, kMaxSlots);
}

int CWinTSElementMediaContainer::OnCreate()
{
    CWinTSElement::OnCreate();
    ReadLimits();
    const Rect content = contentRect();
    list_.create(this, kListId, tessel::ui::ListView::kIcon, content);
    addChildControl(kListId);
    Layout(content);
    std::uint32_t perRow = kDefaultPerRow;
    registryReadDword(u"UIConfig", u"thumbNailsPerRow", &perRow, kDefaultPerRow);
    thumbnailSize_ = std::max(1, listRect_.width() / static_cast<int>(std::max(perRow, 1u)) - 2);
    images_ = std::make_shared<tessel::ui::ImageList>(thumbnailSize_, thumbnailSize_);
    // Image 0 is blank: what a file that is no picture shows.
    images_->add(tessel::ui::Bitmap(thumbnailSize_, thumbnailSize_, kWhite), kWhite);
    list_.setImageList(images_);
    list_.show(true);
    list_.setIconSpacing(thumbnailSize_ + 2, thumbnailSize_ + 2);
    Refresh(element());
    Layout(contentRect());
    AddMenuItem(kCommandAdd, u"Add");
    AddMenuItem(kCommandRemove, u"Remove");
    UpdateCommands();
    return 0;
}

int CWinTSElementMediaContainer::Layout(const Rect& rect)
{
    listRect_ = Rect {rect.left + kMargin, contentRect().top + kListTop, rect.right - kMargin, rect.bottom};
    if (list_.exists())
        list_.moveWindow(listRect_);
    ForgetPostedHeight();
    UpdateHeight();
    return 1;
}

void CWinTSElementMediaContainer::UpdateHeight()
{
    if (!list_.exists())
        return;
    const int items = list_.itemCount();
    std::uint32_t fit = 0;
    registryReadDword(u"UIConfig", u"MediaViewCount", &fit, 0);
    const int shown = fit == 0 || static_cast<int>(fit) > items ? items : static_cast<int>(fit);
    const int gridRows = (shown + list_.columns() - 1) / list_.columns();
    const int listHeight = std::max(lineHeight(), gridRows * list_.rowHeight());
    listRect_.bottom = listRect_.top + listHeight;
    list_.moveWindow(listRect_);
    PostHeight(listRect_.bottom + kBottomPadding);
    list_.show(items > 0);
}

int CWinTSElementMediaContainer::UsedSlots() const
{
    return static_cast<int>(
        std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.used; }));
}

void CWinTSElementMediaContainer::UpdateCommands()
{
    const int held = UsedSlots() + static_cast<int>(unlisted_.size());
    EnableMenuItem(kCommandAdd, held < capacity_);
    EnableMenuItem(kCommandRemove, UsedSlots() > 0);
}

int CWinTSElementMediaContainer::Thumbnail(const Slot& slot)
{
    for (int i = 0; i < cacheCount_; ++i) {
        if (cache_[static_cast<std::size_t>(i)].path == slot.path)
            return cache_[static_cast<std::size_t>(i)].image;
    }
    winTSLog(kLogTrace, "Loading bitmap for :" + wideToUtf8(slot.path));
    std::u16string picture = slot.path;
    if (slot.video) {
        picture.clear();
        registryRead(u"UIConfig", u"videoIcon", &picture);
    }
    int image = 0;
    if (images_ && !picture.empty()) {
        if (auto bitmap = LoadPictureFile(picture, thumbnailSize_, thumbnailSize_, true, kWhite, 0)) {
            winTSLog(kLogTrace, "Loaded bitmap for : " + wideToUtf8(slot.path));
            image = std::max(0, images_->add(*bitmap, kWhite));
        }
    }
    if (cacheCount_ < kMaxCached)
        cache_[static_cast<std::size_t>(cacheCount_++)] = CachedThumbnail {slot.path, image};
    return image;
}

void CWinTSElementMediaContainer::ShowSlot(int slot)
{
    const Slot& s = slots_[static_cast<std::size_t>(slot)];
    const int item = list_.insertItem(list_.itemCount(), s.name, slot);
    list_.setItemImage(item, Thumbnail(s));
    setShowEmptyTip(false);
}

int CWinTSElementMediaContainer::Refresh(CVXLElement*)
{
    list_.deleteAllItems();
    for (Slot& slot : slots_)
        slot = Slot {};
    unlisted_.clear();
    unlistedPictures_ = unlistedVideos_ = 0;
    ReadLimits();
    CVXLMediaListElement* list = media();
    std::vector<CVXLMediaItem*> items;
    for (std::uint32_t j = 0; list && j < list->count(); ++j)
        items.push_back(list->at(j));
    int next = 0;
    for (CVXLMediaItem* item : items) {
        if (!item)
            continue;
        const std::u16string path = utf8ToWide(item->id().c_str());
        const bool video = startsWith(mimeTypeOf(nameOf(path)), u"video");
        if (path.find(u'\\') == std::u16string::npos) {
            winTSLog(kLogWarning, "Removing media without a phone path: " + wideToUtf8(path));
            list->remove(item);
            continue;
        }
        if (next >= kMaxSlots) {
            unlisted_.push_back(item);
            ++(video ? unlistedVideos_ : unlistedPictures_);
            continue;
        }
        slots_[static_cast<std::size_t>(next)] = Slot {true, nameOf(path), path, video};
        ShowSlot(next++);
    }
    if (!unlisted_.empty())
        winTSLog(
            kLogWarning, std::to_string(unlisted_.size()) + " media beyond the 30 shown are kept unlisted");
    setShowEmptyTip(next == 0);
    UpdateHeight();
    UpdateCommands();
    return 1;
}

bool CWinTSElementMediaContainer::AddFile(const std::u16string& path)
{
    const std::u16string name = nameOf(path);
    const bool video = startsWith(mimeTypeOf(name), u"video");
    int pictures = unlistedPictures_;
    int videos = unlistedVideos_;
    for (const Slot& slot : slots_) {
        if (slot.used)
            ++(slot.video ? videos : pictures);
    }
    if (video && videos >= maxVideos_) {
        ShowHtmlNotification(formatNumbers(kTooManyVideos, {maxVideos_}));
        return false;
    }
    if (!video && pictures >= maxPictures_) {
        ShowHtmlNotification(formatNumbers(kTooManyImages, {maxPictures_}));
        return false;
    }
    std::uint32_t limit = kDefaultMaxKilobytes;
    registryReadDword(u"UIConfig", u"MediaMaxSize", &limit, kDefaultMaxKilobytes);
    const long long bytes = fileSize(path);
    if (bytes >= 0 && bytes / 1024 > static_cast<long long>(limit)) {
        ShowHtmlNotification(formatNumbers(
            tessel::tesselres::loadString(kSizeMessage), {bytes / 1024, static_cast<long long>(limit)}));
        return false;
    }
    auto free = std::find_if(slots_.begin(), slots_.end(), [](const Slot& s) { return !s.used; });
    if (free == slots_.end() || pictures + videos >= capacity_) {
        winTSLog(kLogWarning, "no room for more media: " + wideToUtf8(path));
        return false;
    }
    *free = Slot {true, name, path, video};
    // The grid shows the file at once; the engine takes it with the next Store.
    ShowSlot(static_cast<int>(free - slots_.begin()));
    UpdateCommands();
    NotifyEdited();
    return true;
}

void CWinTSElementMediaContainer::Choose(bool video)
{
    std::u16string folder;
    tessel::shell::shellFolderPath(
        video ? tessel::shell::kCsidlMyVideo : tessel::shell::kCsidlMyPictures, &folder, true);
    tessel::shell::OpenFileNameEx request;
    request.owner = handle();
    request.filter = filter_;
    request.filterIndex = 1;
    request.initialDir = folder;
    request.exFlags = kChooserFlags | (video ? kChooserVideos : 0);
    if (tessel::kernel::deviceFacts().oemInfo != kOemWithoutFlag)
        request.exFlags |= kChooserNotOnOem;
    if (tessel::shell::getOpenFileNameEx(&request))
        AddFile(request.file);
    UpdateHeight();
}

void CWinTSElementMediaContainer::AddPicture()
{
    Choose(false);
}

void CWinTSElementMediaContainer::RemoveSelected()
{
    const int item = list_.selected();
    if (item < 0)
        return;
    const auto slot = static_cast<std::size_t>(list_.itemData(item));
    if (slot < slots_.size())
        slots_[slot] = Slot {};
    // The thumbnail goes at once: one still shown would look as if it were sent.
    list_.deleteItem(item);
    setShowEmptyTip(list_.itemCount() == 0);
    UpdateCommands();
    NotifyEdited();
    UpdateHeight();
}

int CWinTSElementMediaContainer::Store()
{
    CVXLMediaListElement* list = media();
    if (list) {
        auto findItem = [list](const std::u16string& path) {
            for (std::uint32_t j = 0; j < list->count(); ++j) {
                CVXLMediaItem* item = list->at(j);
                if (item && utf8ToWide(item->id().c_str()) == path)
                    return item;
            }
            return static_cast<CVXLMediaItem*>(nullptr);
        };
        bool added = false;
        for (const Slot& slot : slots_) {
            if (!slot.used || findItem(slot.path))
                continue;
            winTSLog(kLogTrace, "Adding media to the container");
            auto* item = new CVXLMediaItem;
            const std::string mime = wideToUtf8(mimeTypeOf(slot.name));
            item->setId(wideToUtf8(slot.path).c_str());
            item->setName(wideToUtf8(slot.name).c_str());
            item->setIsImage(mime.c_str());
            item->mediaRef().setMimeType(mime.c_str());
            if (!list->adopt(item))
                winTSLog(kLogFailure, "the media list took no more media: " + wideToUtf8(slot.path));
            added = true;
            break;
        }
        for (std::uint32_t j = 0; !added && j < list->count(); ++j) {
            CVXLMediaItem* item = list->at(j);
            if (!item || std::find(unlisted_.begin(), unlisted_.end(), item) != unlisted_.end())
                continue;
            const std::u16string path = utf8ToWide(item->id().c_str());
            const bool shown = std::any_of(
                slots_.begin(), slots_.end(), [&path](const Slot& s) { return s.used && s.path == path; });
            if (shown)
                continue;
            winTSLog(kLogTrace, "Removing media from the container");
            list->remove(item);
            break;
        }
    }
    UpdateCommands();
    NotifyCommandsChanged();
    return 1;
}

void CWinTSElementMediaContainer::Select(int item)
{
    list_.select(item);
}

void CWinTSElementMediaContainer::SetFocused(bool focused)
{
    CWinTSElement::SetFocused(focused);
    if (!focused || !list_.exists())
        return;
    tessel::ui::setFocus(list_.handle());
    if (list_.itemCount() > 0)
        Select(0);
}

void CWinTSElementMediaContainer::ExecuteMenuItem(std::uint32_t command)
{
    if (command == kCommandAdd)
        AddPicture();
    else if (command == kCommandRemove)
        RemoveSelected();
}

bool CWinTSElementMediaContainer::OnKey(std::uint32_t key)
{
    const int items = list_.itemCount();
    const int mark = list_.selectionMark();
    switch (key) {
    case tessel::ui::kVkReturn:
        ExecuteMenuItem(kCommandAdd);
        return true;
    case tessel::ui::kVkLeft:
    case tessel::ui::kVkUp:
        if (key == tessel::ui::kVkUp && (items == 0 || mark == 0))
            return false;
        Select(mark < 0 ? items - 1 : mark - 1);
        return true;
    case tessel::ui::kVkRight:
    case tessel::ui::kVkDown:
        if (key == tessel::ui::kVkDown && (items == 0 || mark == items - 1))
            return false;
        Select(mark + 1 < items ? mark + 1 : -1);
        return true;
    default:
        return false;
    }
}

std::vector<std::u16string> CWinTSElementMediaContainer::paths() const
{
    std::vector<std::u16string> out;
    for (const Slot& slot : slots_) {
        if (slot.used)
            out.push_back(slot.path);
    }
    return out;
}

void CWinTSElementMediaContainer::PaintFrame(tessel::ui::Canvas& canvas) const
{
    DrawFrame(canvas,
        Rect {listRect_.left - kFrameMargin, listRect_.top - kFrameMargin, listRect_.right + kFrameMargin,
            listRect_.bottom + kFrameMargin});
}

int CWinTSElementMediaContainer::paint(tessel::ui::Canvas& canvas, const Rect& area) const
{
    CWinTSElement::paint(canvas, area);
    PaintFrame(canvas);
    return 0;
}

std::int64_t CWinTSElementMediaContainer::windowProc(
    std::uint32_t message, std::uint64_t wParam, std::int64_t lParam)
{
    if (message == tessel::ui::kWmCommand) {
        const auto id = static_cast<std::uint32_t>(wParam & 0xFFFF);
        if (id == kChoosePicture || id == kChooseVideo) {
            Choose(id == kChooseVideo);
            return 0;
        }
    }
    return CWinTSElement::windowProc(message, wParam, lParam);
}
