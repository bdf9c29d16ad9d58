#pragma once

#include "platform/ui/ImageList.h"
#include "platform/ui/Window.h"

#include <memory>

#include <string>
#include <vector>

// The list control: rows with a text (and columns in report view), check
// boxes, one selected row, a selection mark. It tells its parent through
// notifications (kWmNotify) with the phone's codes. It shows as many rows
// as its height holds (its rectangle's, else the screen's above the
// soft-key bar), scrolled so that the selected row stays in view, with a
// scroll bar when rows are hidden; kWmVScroll scrolls by rows. The icon view
// lays its items out in a grid of icon-spacing cells, Left and Right moving
// by one, Up and Down by a grid row. Owner-drawn rows are drawn by the
// parent: it gets kWmDrawItem for each row shown and answers 1 when it drew
// it (else the row is drawn as usual).
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

// What kWmDrawItem's lParam points to (wParam: the control id).
struct DrawItem {
    int controlId;
    int item;
    std::int64_t itemData;
    unsigned state; // kOdsSelected, kOdsFocus
    Canvas* canvas; // the list's context
    Rect rect; // the row, in the list's client coordinates
};
inline constexpr unsigned kOdsSelected = 0x0001;
inline constexpr unsigned kOdsFocus = 0x0010;

class ListView : public Window {
public:
    static constexpr const char16_t* kClassName = u"SysListView32";
    // kEdgeKeysToParent: Up at the first row and Down at the last (or with
    // no rows) go to the parent as its own kWmKeyDown; the list leaves the
    // key when the parent does.
    enum Style : unsigned { kReport = 1, kIcon = 2, kCheckBoxes = 4, kOwnerDraw = 8, kEdgeKeysToParent = 16 };

    bool create(Window* parent, int controlId, unsigned style);
    bool create(Window* parent, int controlId, unsigned style, const Rect& rect);
    // The style changed after creation (a template's list made a check list).
    void setStyle(unsigned style) { style_ = style; }
    unsigned style() const { return style_; }
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
    void setImageList(std::shared_ptr<ImageList> images);
    const std::shared_ptr<ImageList>& imageList() const { return images_; }
    bool setItemImage(int index, int image);
    // The icon view's cell size; 0 takes the default from the image list.
    void setIconSpacing(int width, int height);

    // Height of one row (a grid row in the icon view) and the rows that
    // fit; the first row shown.
    int rowHeight() const;
    int pageRows() const;
    int topRow() const { return top_; }
    // Items per grid row (1 but in the icon view).
    int columns() const;
    // The row under (x, y) of the client area, or -1.
    int hitTest(int x, int y) const;

    void describe(std::vector<std::u16string>* lines) const override;
    // The selected row when it is in view.
    int focusLine() const override;
    int paint(Canvas& canvas, const Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

protected:
    int scrollTarget(std::uint32_t code, int thumb) const override;
    void onScrolled(int delta) override;

private:
    struct Row {
        std::vector<std::u16string> columns;
        std::int64_t data = 0;
        bool checked = false;
        int image = -1;
    };
    std::int64_t notify(int code, int item);
    // A key at the list's edge, handed to the parent with kEdgeKeysToParent.
    std::int64_t edgeKey(std::uint32_t key);
    // Moves the first row shown so that item is in view, then syncScroll.
    void keepVisible(int item);
    // Holds the first row inside the rows and tells the scroll info.
    void syncScroll();
    int gridRows() const;
    int viewWidth() const;
    int viewHeight() const;
    int cellWidth() const;
    void paintRow(Canvas& canvas, int index, const Rect& row) const;
    void paintCell(Canvas& canvas, int index, const Rect& cell) const;

    unsigned style_ = 0;
    std::vector<Row> rows_;
    int selected_ = -1;
    int top_ = 0;
    int spacingWidth_ = 0;
    int spacingHeight_ = 0;
    std::shared_ptr<ImageList> images_;
};

} // namespace tessel::ui
