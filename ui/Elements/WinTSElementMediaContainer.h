#pragma once

#include "platform/ui/ImageList.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Menu.h"
#include "ui/Elements/WinTSElement.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CVXLMediaItem;
class CVXLMediaListElement;

// The pictures and videos of a message (a media list element), shown as a
// grid of thumbnails. Files come from the shell's file chooser and are
// checked against the element's picture and video counts and the size
// limit (UIConfig "MediaMaxSize", kilobytes) before they take a slot; Store
// brings the engine element one change closer to the slots per call. At
// most 30 are listed: an engine item beyond them is kept, never removed,
// and counts against the limits. A thumbnail is decoded once per window
// (the cache of 60); image 0 is a blank one, for a file that is no picture.
class CWinTSElementMediaContainer : public CWinTSElement {
public:
    static constexpr int kListId = 0xF04;
    static constexpr int kMaxSlots = 30;
    static constexpr int kMaxCached = 60;
    static constexpr int kMargin = 10;
    static constexpr int kListTop = 5;
    static constexpr int kBottomPadding = 10;
    static constexpr int kFrameMargin = 3;
    static constexpr int kMenuResource = 121;
    static constexpr int kSizeMessage = 108;
    static constexpr std::uint32_t kDefaultMaxKilobytes = 2048;
    static constexpr std::uint32_t kDefaultPerRow = 4;
    // The element's own menu commands.
    static constexpr std::uint32_t kCommandAdd = 0;
    static constexpr std::uint32_t kCommandRemove = 1;
    // Commands of menu resource 121.
    static constexpr std::uint32_t kChoosePicture = 40010;
    static constexpr std::uint32_t kChooseVideo = 40011;
    // The chooser's extended flags; 0x200 is left out on one device.
    static constexpr std::uint32_t kChooserFlags = 0x30002;
    static constexpr std::uint32_t kChooserVideos = 0x10;
    static constexpr std::uint32_t kChooserNotOnOem = 0x200;
    static constexpr const char* kOemWithoutFlag = "SPH-i325";

    explicit CWinTSElementMediaContainer(const WinTSElementLink& link);
    ~CWinTSElementMediaContainer() override;

    // The operations of the element base.
    int Refresh(CVXLElement* element) override;
    int Store() override;
    int Layout(const tessel::ui::Rect& rect) override;
    int OnCreate() override;
    void SetFocused(bool focused) override;
    void ExecuteMenuItem(std::uint32_t command) override;
    bool OnKey(std::uint32_t key) override;

    // Its own, in the Part's order.
    virtual void PaintFrame(tessel::ui::Canvas& canvas) const;
    virtual void AddPicture();
    virtual void RemoveSelected();

    // Opens the chooser for pictures or videos and adds the chosen file.
    void Choose(bool video);
    // Checks the file against the limits and puts it into the first free
    // slot; false, with the reason shown, when it is refused.
    bool AddFile(const std::u16string& path);

    tessel::ui::ListView& list() { return list_; }
    int maxPictures() const { return maxPictures_; }
    int maxVideos() const { return maxVideos_; }
    int capacity() const { return capacity_; }
    // The used slots' paths, in slot order.
    std::vector<std::u16string> paths() const;
    int cachedThumbnails() const { return cacheCount_; }
    const tessel::ui::Rect& listRect() const { return listRect_; }

    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    struct Slot {
        bool used = false;
        std::u16string name;
        std::u16string path;
        bool video = false;
    };
    struct CachedThumbnail {
        std::u16string path;
        int image = 0;
    };

    CVXLMediaListElement* media() const;
    void ReadLimits();
    int UsedSlots() const;
    // The slot's thumbnail, from the cache or decoded now.
    int Thumbnail(const Slot& slot);
    void ShowSlot(int slot);
    void UpdateHeight();
    void UpdateCommands();
    void Select(int item);

    std::shared_ptr<tessel::ui::Menu> menu_;
    tessel::ui::ListView list_;
    std::shared_ptr<tessel::ui::ImageList> images_;
    std::array<Slot, kMaxSlots> slots_ {};
    std::array<CachedThumbnail, kMaxCached> cache_ {};
    int cacheCount_ = 0;
    std::u16string filter_;
    int maxPictures_ = kMaxSlots;
    int maxVideos_ = 0;
    int capacity_ = kMaxSlots;
    // Engine items beyond the listed ones: kept by Store, counted by the limits.
    std::vector<const CVXLMediaItem*> unlisted_;
    int unlistedPictures_ = 0;
    int unlistedVideos_ = 0;
    tessel::ui::Rect listRect_;
    int thumbnailSize_ = 0;
};
