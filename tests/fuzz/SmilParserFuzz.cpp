// Parses arbitrary bytes as a message's SMIL part and walks the slides both
// ways in both modes, as the message view would.
#include "engine/screens/VXLSlideNavigator.h"
#include "engine/screens/VXLSlideView.h"
#include "engine/screens/VXLSmilParser.h"
#include "engine/screens/VXLSmilPresentation.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    CVXLSmilPresentation presentation;
    CVXLSmilParser parser;
    parser.parse(reinterpret_cast<const char*>(data), static_cast<std::uint32_t>(size), presentation);
    if (presentation.slideCount() != presentation.slides().count())
        std::abort();
    for (bool all : {true, false}) {
        CVXLSlideNavigator navigator(all);
        navigator.attach(&presentation);
        navigator.first();
        const std::uint32_t count = navigator.count();
        for (std::uint32_t i = 0; i <= count; ++i) {
            const CVXLSlideView* view = navigator.currentView();
            if (!view || view->position < 0 || static_cast<std::uint32_t>(view->position) > count)
                std::abort();
            navigator.hasFurther();
            navigator.next();
        }
        for (std::uint32_t i = 0; i <= count; ++i)
            navigator.previous();
        navigator.currentView();
    }
    return 0;
}
