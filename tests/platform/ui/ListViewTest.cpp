#include "platform/ui/ListView.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/ImageList.h"
#include "platform/ui/ScreenDriver.h"
#include "platform/ui/SystemMetrics.h"
#include "platform/ui/TextSnapshot.h"
#include "platform/ui/WindowSystem.h"
#include "tests/support/DialogScreen.h"
#include "tests/support/TempDeviceRoot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessel::ui {
namespace {

using Lines = std::vector<std::string>;

constexpr Color kOwnerColor = rgb(90, 0, 120);

struct Drawn {
    int item;
    Rect rect;
    unsigned state;
    bool operator==(const Drawn&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Drawn& d)
{
    return out << "item " << d.item << " at " << d.rect.left << "," << d.rect.top << "-" << d.rect.right
               << "," << d.rect.bottom << " state " << d.state;
}

// Thirty rows "Row 1" to "Row 30": in rows below the title, or owner-drawn
// at a rectangle, the parent writing down every row it is asked to draw.
template <unsigned Style, bool Placed> class LongListDialog : public Dialog {
public:
    ListView list;
    std::vector<Drawn> drawn;

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kWmDrawItem) {
            const auto* item = reinterpret_cast<const DrawItem*>(lParam);
            drawn.push_back(Drawn {item->item, item->rect, item->state});
            item->canvas->fillRect(item->rect, Brush::solid(kOwnerColor));
            return 1;
        }
        return Dialog::windowProc(message, wParam, lParam);
    }

protected:
    void onCreate() override
    {
        if (Placed)
            list.create(this, 1006, Style, Rect {0, 20, 200, 120});
        else
            list.create(this, 1006, Style);
        for (int i = 1; i <= 30; ++i)
            list.insertItem(
                -1, u"Row " + std::u16string(1, u'0' + i / 10) + std::u16string(1, u'0' + i % 10));
        setFocus(list.handle());
    }
};

template <class D> struct Screen : DialogScreen<D> {
    Screen()
        : DialogScreen<D>(u"Long")
    {
    }
    ListView& list() { return this->thread.dialog->list; }
};

std::string rowName(int n)
{
    return std::string("Row ") + (n < 10 ? "0" : "") + std::to_string(n);
}

// The lines of the list in the snapshot (between the title and the scroll line).
Lines listLines(const Lines& snapshot)
{
    Lines rows;
    for (const std::string& line : snapshot) {
        if (line.find("Row ") != std::string::npos)
            rows.push_back(line);
    }
    return rows;
}

TEST(ListViewScrolling, AfterTwentyDownsTheSelectedRowIsInTheFrame)
{
    TempDeviceRoot root;
    Screen<LongListDialog<ListView::kReport, false>> screen;
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    const int page = screen.list().pageRows();
    ASSERT_LT(page, 20) << "the screen cannot hold thirty rows";
    for (int i = 0; i < 20; ++i)
        driver.key(kVkDown);
    EXPECT_EQ(screen.list().selected(), 19);

    // The text: the page of rows ending at the selection, and where it is.
    const Lines snapshot = driver.snapshot();
    const Lines rows = listLines(snapshot);
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(page));
    EXPECT_EQ(rows.back(), "  > * Row 20");
    EXPECT_EQ(rows.front(), "    " + rowName(20 - page + 1));
    EXPECT_NE(std::find(snapshot.begin(), snapshot.end(),
                  "  scroll " + std::to_string(20 - page + 1) + "-20 of 30"),
        snapshot.end());

    // The frame: the highlighted row inside the content, above the soft-key bar.
    Compositor compositor;
    driver.compose(&compositor);
    const Bitmap& frame = compositor.frame();
    const int row = screen.list().rowHeight();
    const int selectedTop = systemMetric(kMetricCaptionHeight) + (page - 1) * row;
    EXPECT_LE(selectedTop + row, frame.height() - systemMetric(kMetricMenuHeight));
    EXPECT_EQ(frame.pixel(1, selectedTop + row / 2), systemColor(kColorHighlight));
    EXPECT_EQ(frame.pixel(frame.width() - 2, selectedTop + row / 2), systemColor(kColorScrollbar))
        << "a scroll bar beside the rows";

    // Back up to the top: the view follows.
    for (int i = 0; i < 19; ++i)
        driver.key(kVkUp);
    EXPECT_EQ(screen.list().topRow(), 0);
    EXPECT_EQ(listLines(driver.snapshot()).front(), "  > * Row 01");
}

TEST(ListViewScrolling, VScrollMovesTheViewAndLeavesTheSelection)
{
    TempDeviceRoot root;
    Screen<LongListDialog<ListView::kReport, true>> screen;
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    ListView& list = screen.list();
    const int page = 100 / list.rowHeight();
    EXPECT_EQ(list.pageRows(), page) << "the rectangle's height sets the page";
    driver.key(kVkDown);
    struct Case {
        std::uint32_t code;
        int thumb;
        int top;
    };
    const Case cases[] = {
        {kSbLineDown, 0, 1},
        {kSbPageDown, 0, 1 + page},
        {kSbLineUp, 0, page},
        {kSbBottom, 0, 30 - page},
        {kSbLineDown, 0, 30 - page},
        {kSbThumbPosition, 7, 7},
        {kSbPageUp, 0, std::max(0, 7 - page)},
        {kSbTop, 0, 0},
    };
    const WindowHandle handle = list.handle();
    for (const Case& c : cases) {
        callOnThread(screen.thread.threadId(), [&] {
            return sendMessage(handle, kWmVScroll, (static_cast<std::uint64_t>(c.thumb) << 16) | c.code, 0);
        });
        EXPECT_EQ(list.topRow(), c.top) << "request " << c.code;
        EXPECT_EQ(list.scrollInfo().position, c.top) << "request " << c.code;
        EXPECT_EQ(list.selected(), 0) << "request " << c.code;
    }
    callOnThread(screen.thread.threadId(), [&] { return sendMessage(handle, kWmVScroll, kSbBottom, 0); });
    const Lines rows = listLines(driver.snapshot());
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(page));
    EXPECT_EQ(rows.back(), "    Row 30") << "the selection scrolled out of view";
    driver.key(kVkDown);
    EXPECT_EQ(list.topRow(), 1) << "moving the selection brings it back into view";
}

TEST(ListViewScrolling, OwnerDrawnRowsGetDrawItemWithTheirRectanglesAndState)
{
    TempDeviceRoot root;
    Screen<LongListDialog<ListView::kReport | ListView::kOwnerDraw, true>> screen;
    ScreenDriver driver(screen.thread.threadId());
    ASSERT_TRUE(driver.settle());
    ListView& list = screen.list();
    const int page = list.pageRows();
    const int row = list.rowHeight();
    for (int i = 0; i < page + 2; ++i)
        driver.key(kVkDown);
    ASSERT_EQ(list.topRow(), 2);
    Compositor compositor;
    driver.compose(&compositor);
    std::vector<Drawn> expected;
    const int width = 200 - systemMetric(kMetricVScrollWidth);
    for (int k = 0; k < page; ++k)
        expected.push_back(Drawn {2 + k, Rect {0, k * row, width, (k + 1) * row},
            2 + k == page + 1 ? kOdsSelected | kOdsFocus : 0u});
    // The window front end draws what the compositor made, so one compose
    // asks each row shown once, and no row out of view.
    EXPECT_EQ(screen.thread.dialog->drawn, expected);
    const int top = systemMetric(kMetricCaptionHeight) + 20;
    EXPECT_EQ(compositor.frame().pixel(5, top + 1), kOwnerColor);
    EXPECT_EQ(compositor.frame().pixel(5, top + page * row + 1), systemColor(kColorWindow))
        << "nothing below the list's rectangle";
}

TEST(ListViewScrolling, TheIconViewIsAGridThatScrollsByGridRows)
{
    TempDeviceRoot root;
    Dialog dialog;
    dialog.createModeless(u"Pictures");
    ListView grid;
    ASSERT_TRUE(grid.create(&dialog, 0xF04, ListView::kIcon, Rect {0, 0, 240, 140}));
    auto icons = std::make_shared<ImageList>(40, 40);
    icons->add(Bitmap(40, 40, rgb(0, 0, 200)), rgb(255, 255, 255));
    grid.setImageList(icons);
    grid.setIconSpacing(56, 64);
    for (int i = 0; i < 10; ++i)
        grid.setItemImage(grid.insertItem(-1, u"P" + std::u16string(1, u'0' + i)), 0);
    EXPECT_EQ(grid.columns(), 4);
    EXPECT_EQ(grid.pageRows(), 2);
    setFocus(grid.handle());
    struct Case {
        std::uint32_t key;
        std::int64_t answer;
        int selected;
        int top;
    };
    const Case cases[] = {
        {kVkRight, 0, 0, 0},
        {kVkRight, 0, 1, 0},
        {kVkDown, 0, 5, 0},
        {kVkDown, 0, 9, 1},
        {kVkDown, kKeyLeft, 9, 1},
        {kVkRight, kKeyLeft, 9, 1},
        {kVkUp, 0, 5, 1},
        {kVkUp, 0, 1, 0},
        {kVkUp, kKeyLeft, 1, 0},
        {kVkLeft, 0, 0, 0},
        {kVkLeft, kKeyLeft, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(grid.windowProc(kWmKeyDown, c.key, 0), c.answer) << "key " << c.key;
        EXPECT_EQ(grid.selected(), c.selected) << "key " << c.key;
        EXPECT_EQ(grid.topRow(), c.top) << "key " << c.key;
    }
    grid.select(9);
    EXPECT_EQ(grid.hitTest(60, 10), 5) << "second cell of the first grid row in view";
    EXPECT_EQ(grid.hitTest(230, 10), -1) << "right of the last column";
    EXPECT_EQ(grid.hitTest(60, 70), 9);
    EXPECT_EQ(grid.hitTest(120, 70), -1) << "past the last item";
    EXPECT_EQ(textSnapshot(),
        (Lines {"== Pictures ==", "    P4", "    P5", "    P6", "    P7", "    P8", "  > * P9",
            "  scroll 2-3 of 3"}));
}

} // namespace
} // namespace tessel::ui
