// Shows the input (UTF-16 code units, low byte first) in the HTML view. The
// laid-out height is always the shown lines' rows, every link's target is
// its href, and activating any link leaves the view whole.
#include "FuzzBytes.h"
#include "platform/htmlview/HtmlView.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using tessel::htmlview::HtmlView;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));

    // Made and gone again for each input: no window may outlive the run.
    tessel::ui::Window parent;
    parent.create(u"Dialog", u"Fuzz");
    HtmlView one;
    one.create(&parent, 1, {0, 0, 240, 100});
    one.setText(u"x");
    const int row = one.layoutHeight();
    one.destroy();

    HtmlView view;
    view.create(&parent, 1007, {0, 0, 120, 100});
    view.setText(text);
    std::vector<std::u16string> lines;
    view.describe(&lines);
    FUZZ_CHECK(row > 0 && view.layoutHeight() == static_cast<int>(lines.size()) * row);
    for (const std::u16string& line : lines)
        FUZZ_CHECK(line.find(u'\n') == std::u16string::npos);
    for (const HtmlView::Link& link : view.links())
        FUZZ_CHECK(!link.target.empty());
    if (!view.links().empty()) {
        view.windowProc(tessel::ui::kWmKeyDown, tessel::ui::kVkDown, 0);
        view.windowProc(tessel::ui::kWmKeyDown, tessel::ui::kVkReturn, 0);
    }
    view.destroy();
    parent.destroy();
    return 0;
}
