#pragma once

#include "platform/ui/ImageList.h"
#include "platform/ui/ListView.h"
#include "ui/Layouts/WinTSLayout.h"

#include <cstdint>
#include <memory>

class CVXLElement;
class CVXLLayoutMenuList;

// The menu-list screen (layout type 10): the layout's entries in a list with
// their icons, from which the user picks one. An entry's own icon is fetched
// from the engine once and kept as a support file named in section
// MenuIcons; until then, and for entries without one, the stock icon of its
// kind shows. In state 2 the rows have check boxes and a pick only toggles
// (the window stays enabled); an entry of kind 1 is picked at once, without
// showing the window. The picked entry stays selected across updates.
class CWinTSLayoutMenuList : public CWinTSLayout {
public:
    static constexpr int kTemplate = 107;
    static constexpr int kList = 1006;
    static constexpr std::uint32_t kCheckListState = 2;
    static constexpr std::uint32_t kAutoSelectKind = 1;
    static constexpr std::uint32_t kSelect = 0xA0080;
    static constexpr std::uint32_t kContinue = 0xA0067;
    static constexpr tessel::ui::Color kIconMask = 0xFFFFFF;

    CWinTSLayoutMenuList(CVXLLayout* layout, const WinTSDialogLink& link);

    // Whether an entry of this kind is listed, and its stock icon.
    static bool isListedKind(std::int32_t kind);
    static int stockIcon(std::int32_t kind);
    // The kind an entry carries (0 for an element that carries none).
    static std::int32_t entryKind(const CVXLElement* entry);

    void Refresh(CVXLLayout* layout) override { SetLayout(layout); }
    bool OnHardKey(std::uint32_t key) override;
    void SubmitAction(std::uint32_t command) override;
    void SetLayout(CVXLLayout* layout);
    void OnSelect();

    tessel::ui::ListView* list() const;
    bool checkList() const { return checkList_; }
    bool autoSelected() const { return autoSelected_; }
    std::int32_t selectedPosition() const { return selected_; }
    const std::shared_ptr<tessel::ui::ImageList>& images() const { return images_; }

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    void onCreate() override;
    void OnSettingChange(std::uint32_t flags) override;
    void BuildList();
    void ArrangeList();
    bool DrawItem(const tessel::ui::DrawItem& item);

private:
    CVXLLayoutMenuList* menu() const;
    void submitOnLayout(std::uint32_t eventId);

    std::shared_ptr<tessel::ui::Font> font_;
    std::shared_ptr<tessel::ui::ImageList> images_;
    bool checkList_ = false;
    bool rebuilding_ = false;
    bool autoSelected_ = false;
    std::int32_t selected_ = -1;
};
