#pragma once

#include "platform/ui/Bitmap.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Font.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ListView.h"
#include "ui/WinTSBase.h"
#include "ui/WinTSTransfer.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CGlobalMenuList;

// The cool-sites screen ("Configure Tessel"): the cool sites of the
// engine's global menu with their icons, one picked with Select (the modal
// result 0xFE00 plus the entry's position), held (0xFF00 plus it), or Reset
// (forces re-authentication at the next start, then the program ends). An
// icon not yet in section FunSites is fetched through the entry's media
// reference and kept there exactly as received.
class CWinTSMainMenu : public tessel::ui::Dialog {
public:
    static constexpr int kTemplate = 112;
    static constexpr int kList = 1102;
    static constexpr std::uint32_t kCancel = 32778;
    static constexpr std::uint32_t kSelect = 32779;
    static constexpr std::uint32_t kAbout = 32780;
    static constexpr std::uint32_t kReset = 32781;
    static constexpr std::uint32_t kIconReceived = 0x8016;
    static constexpr std::uint32_t kRunEngine = 0x801A;
    static constexpr int kSelectBase = 0xFE00;
    static constexpr int kHoldBase = 0xFF00;
    // From 256 on, a Select result would reach the tap-and-hold range.
    static constexpr std::uint32_t kMaxListedPosition = 255;
    static constexpr std::int32_t kCoolSiteKind = 30;
    static constexpr std::uint32_t kMaxIconBytes = 10240;
    static constexpr tessel::ui::Color kIconMask = 0x555555;

    CWinTSMainMenu(CGlobalMenuList* menu, const std::u16string& text, tessel::ui::Window* parentDialog);
    ~CWinTSMainMenu() override;

    // Runs the screen; its result.
    int run();
    tessel::ui::ListView* list() const;
    const std::shared_ptr<tessel::ui::ImageList>& images() const { return images_; }
    CWinTSTransferList& transfers() { return transfers_; }

    void BuildMenu();
    void OnSelect();
    void OnReset();
    void OnAbout();
    void ArrangeControls();
    // A key-up of the phone's end keys ends the screen with 1; false so the
    // message goes on.
    bool PreTranslateMessage(const tessel::ui::Message& message);

    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    void onCreate() override;
    void onDestroy() override;
    void onOk() override;
    std::int64_t onCommand(std::uint32_t id, std::uint32_t code) override;

private:
    void OnIconReceived(std::uint64_t position, std::int64_t lParam);

    tessel::ui::Window* parent_;
    CWinTSBase base_;
    std::shared_ptr<tessel::ui::ImageList> images_;
    std::shared_ptr<tessel::ui::Font> font_;
    CGlobalMenuList* menu_;
    std::shared_ptr<tessel::ui::Bitmap> background_;
    CWinTSTransferList transfers_;
};
