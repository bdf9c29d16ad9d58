#pragma once

#include "platform/ui/Dialog.h"
#include "platform/ui/WindowSystem.h"
#include "ui/Elements/WinTSElement.h"
#include "ui/WinTSMessages.h"

#include <cstdint>
#include <vector>

// The layout window an element window posts to: a dialog that keeps the
// heights, edits and command changes it is told of, in their order.
class ElementHost : public tessel::ui::Dialog {
public:
    ElementHost() { createModeless(u"Compose"); }
    ~ElementHost() override { destroy(); }

    static WinTSElementLink link()
    {
        return WinTSElementLink {
            kWmLayoutSetElement, kWmElementResized, kWmElementChanged, kWmElementCommandsChanged, nullptr};
    }

    // Runs what is queued; the heights posted meanwhile.
    std::vector<std::int64_t> heights()
    {
        pump();
        std::vector<std::int64_t> taken;
        taken.swap(heights_);
        return taken;
    }
    int commandChanges()
    {
        pump();
        const int count = commandChanges_;
        commandChanges_ = 0;
        return count;
    }

    static void pump()
    {
        tessel::ui::Message message;
        while (tessel::ui::peekMessage(&message, true)) {
            if (message.id != tessel::ui::kWmQuit)
                tessel::ui::dispatchMessage(message);
        }
    }

    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override
    {
        if (message == kWmElementResized)
            heights_.push_back(lParam);
        else if (message == kWmElementCommandsChanged)
            ++commandChanges_;
        return Dialog::windowProc(message, wParam, lParam);
    }

private:
    std::vector<std::int64_t> heights_;
    int commandChanges_ = 0;
};
