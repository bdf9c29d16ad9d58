#pragma once

#include "platform/ui/Notification.h"
#include "platform/ui/UiThread.h"
#include "platform/ui/WindowSystem.h"

#include <chrono>
#include <future>
#include <string>

// A screen on a user-interface thread of its own: one modeless dialog of
// type D with the given title, made when the thread starts, gone (with any
// notification) when the screen is. Tests drive it with a ScreenDriver on
// screen.thread.threadId().
template <class D> struct DialogScreen {
    struct Thread : tessel::ui::UiThread {
        explicit Thread(std::u16string title)
            : title(std::move(title))
        {
        }
        std::u16string title;
        D* dialog = nullptr;
        std::promise<void> ready;
        bool initInstance() override
        {
            dialog = new D();
            dialog->createModeless(title);
            ready.set_value();
            return true;
        }
        void onThreadMessage(const tessel::ui::Message& message) override
        {
            if (message.id == tessel::ui::kWmClose)
                tessel::ui::postQuitMessage(0);
        }
        int exitInstance(int code) override
        {
            tessel::ui::Notification::dismiss();
            delete dialog;
            return code;
        }
    } thread;

    explicit DialogScreen(std::u16string title)
        : thread(std::move(title))
    {
        thread.createThread(false);
        thread.ready.get_future().wait_for(std::chrono::seconds(10));
    }
    ~DialogScreen()
    {
        thread.postThreadMessage(tessel::ui::kWmClose, 0, 0);
        thread.join();
    }
};
