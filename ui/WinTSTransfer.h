#pragma once

#include "engine/transfer/VXLOemXferDestination.h"
#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class CWinTSTransferList;

// A memory destination of the engine's media transfers, owned by a window.
// The engine calls it on its host thread; its end is posted to the owner
// (kWmTransferEnded, lParam the transfer), which takes it over on the
// user-interface thread. A window that closes first cancels it, and a
// cancelled transfer deletes itself at its end, so nothing is posted to a
// dead window and nothing is left behind.
class CWinTSTransfer : public CVXLOemXferDestination {
public:
    static constexpr std::int32_t kMaxSize = 512000;
    static constexpr std::uint32_t kStatusReady = 0;
    static constexpr std::uint32_t kStatusNoMemory = 1;

    // The owner's list may be null: the end then only deletes the transfer.
    CWinTSTransfer(CWinTSTransferList* owner, int index);
    ~CWinTSTransfer() override;
    CWinTSTransfer(const CWinTSTransfer&) = delete;
    CWinTSTransfer& operator=(const CWinTSTransfer&) = delete;

    void beginTransfer(std::int32_t total, CVXLCallback* callback) override;
    void endTransfer() override;
    void writeData(CVXLSinkInterface* sink) override;
    void closeTransfer(CVXLCallback* callback) override;
    std::int32_t getMaxSize() override { return kMaxSize; }

    bool isBusy() const;
    const std::uint8_t* getData() const { return buffer_.data(); }
    // The bytes received.
    std::uint32_t getSize() const { return received_; }
    void cancel();
    bool cancelled() const;
    // A refused buffer or a write past it: the data is not whole.
    bool failed() const { return failed_; }
    std::uint32_t announced() const { return announced_; }
    std::uint32_t capacity() const { return static_cast<std::uint32_t>(buffer_.size()); }
    int index() const { return index_; }
    // The message its end is posted to the owner with (wParam the index,
    // lParam the transfer); kWmTransferEnded unless set.
    void setEndMessage(std::uint32_t message) { endMessage_ = message; }
    const std::u16string& name() const { return name_; }
    void setName(const std::u16string& name) { name_ = name; }

protected:
    // The buffer for the size; false when it cannot be had.
    virtual bool allocate(std::uint32_t size);
    // The end of a transfer that was not cancelled: posts it to the owner;
    // a derived transfer may do its own work instead (and delete itself).
    virtual void onEnded();

private:
    friend class CWinTSTransferList;

    std::vector<std::uint8_t> buffer_;
    std::uint32_t announced_ = 0;
    std::uint32_t received_ = 0;
    bool failed_ = false;
    int index_;
    std::uint32_t endMessage_;
    std::u16string name_;
    CWinTSTransferList* owner_;
    mutable std::mutex mutex_;
    bool busy_ = true;
    bool cancelled_ = false;
    // The end is posted and the owner has not taken it yet.
    bool posted_ = false;
};

// A window's transfers that it has not taken over yet: their ends are
// posted to the window, and when the window closes the transfers still in
// flight are cancelled and those whose end is on its way are deleted.
class CWinTSTransferList {
public:
    CWinTSTransferList() = default;
    ~CWinTSTransferList() { closeAll(); }
    CWinTSTransferList(const CWinTSTransferList&) = delete;
    CWinTSTransferList& operator=(const CWinTSTransferList&) = delete;

    void setWindow(tessel::ui::WindowHandle window) { window_ = window; }
    tessel::ui::WindowHandle window() const;
    // kWmTransferEnded's transfer, taken out of the list; null when the
    // list does not hold it (it was deleted at the close).
    CWinTSTransfer* take(std::int64_t lParam);
    void closeAll();
    std::size_t count() const;

private:
    friend class CWinTSTransfer;
    void add(CWinTSTransfer* transfer);
    void remove(CWinTSTransfer* transfer);

    mutable std::mutex mutex_;
    tessel::ui::WindowHandle window_ = 0;
    std::vector<CWinTSTransfer*> transfers_;
};
