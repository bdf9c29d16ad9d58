#pragma once

#include "platform/ui/ImageList.h"
#include "platform/ui/Window.h"

#include <memory>

#include <string>
#include <vector>

// The list control: rows with a text (and columns in report view), check
// boxes, one selected row, a selection mark. It tells its parent through
// notifications (kWmNotify) with the phone's codes.
namespace tessel::ui {

// What kWmNotify's lParam points to.
struct NotifyHeader {
    WindowHandle from;
    int controlId;
    int code;
    int item; // -1 when no row is meant
};

inline constexpr int kNotifyClick = -2;
inline constexpr int kNotifyReturn = -4;
inline constexpr int kNotifySetFocus = -7;
inline constexpr int kNotifyGestureQuery = -50; // answer 1 to get the tap-and-hold
inline constexpr int kNotifyItemActivate = -114;
inline constexpr int kNotifyTapAndHold = 1000;

class ListView : public Window {
public:
    static constexpr const char16_t* kClassName = u"SysListView32";
    enum Style : unsigned { kReport = 1, kIcon = 2, kCheckBoxes = 4, kOwnerDraw = 8 };

    bool create(Window* parent, int controlId, unsigned style);
    int insertItem(int index, const std::u16string& text, std::int64_t data = 0);
    void setSubItem(int index, int column, const std::u16string& text);
    bool deleteItem(int index);
    void deleteAllItems();
    int itemCount() const { return static_cast<int>(rows_.size()); }
    std::u16string itemText(int index) const;
    std::int64_t itemData(int index) const;
    bool select(int index); // -1: none
    int selected() const { return selected_; }
    // The selected row, or -1 when nothing is selected.
    int selectionMark() const;
    bool setChecked(int index, bool checked);
    bool checked(int index) const;
    // A tap on a row (click, then activation); a long one asks the parent
    // first and tells it of the tap-and-hold when it agrees.
    void tap(int index);
    void tapAndHold(int index);

    // Row images come from the small-image list; -1 shows none.
    void setImageList(std::shared_ptr<ImageList> images) { images_ = std::move(images); }
    const std::shared_ptr<ImageList>& imageList() const { return images_; }
    bool setItemImage(int index, int image);

    void describe(std::vector<std::u16string>* lines) const override;
    int paint(Canvas& canvas, const Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    struct Row {
        std::vector<std::u16string> columns;
        std::int64_t data = 0;
        bool checked = false;
        int image = -1;
    };
    std::int64_t notify(int code, int item);

    unsigned style_ = 0;
    std::vector<Row> rows_;
    int selected_ = -1;
    std::shared_ptr<ImageList> images_;
};

} // namespace tessel::ui
