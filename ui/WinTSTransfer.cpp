#include "ui/WinTSTransfer.h"

#include "platform/ui/WindowSystem.h"
#include "ui/WinTSLog.h"
#include "ui/WinTSMessages.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

CWinTSTransfer::CWinTSTransfer(CWinTSTransferList* owner, int index)
    : index_(index)
    , endMessage_(kWmTransferEnded)
    , owner_(owner)
{
    if (owner_)
        owner_->add(this);
}

CWinTSTransfer::~CWinTSTransfer()
{
    if (owner_)
        owner_->remove(this);
}

bool CWinTSTransfer::allocate(std::uint32_t size)
{
    try {
        buffer_.assign(size, 0);
    } catch (const std::bad_alloc&) {
        buffer_.clear();
        return false;
    }
    return true;
}

void CWinTSTransfer::beginTransfer(std::int32_t total, CVXLCallback* callback)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        busy_ = true;
    }
    // An unknown size (-1), like a large one, gets the most this takes.
    const std::uint32_t size = total < 0 || total > kMaxSize ? static_cast<std::uint32_t>(kMaxSize)
                                                             : static_cast<std::uint32_t>(total);
    buffer_.clear();
    received_ = 0;
    announced_ = total < 0 ? 0 : static_cast<std::uint32_t>(total);
    failed_ = false;
    if (!allocate(size)) {
        failed_ = true;
        winTSLog(kLogFailure, "a transfer buffer of " + std::to_string(size) + " bytes could not be had");
        vxlReport(callback, kStatusNoMemory);
        return;
    }
    vxlReport(callback, kStatusReady);
}

void CWinTSTransfer::writeData(CVXLSinkInterface* sink)
{
    const std::uint32_t length = sink->getLength();
    const std::uint8_t* data = sink->getData();
    if (cancelled() || failed_) {
        sink->consume(0, 1);
        return;
    }
    if (length > buffer_.size() - received_) {
        // More than the buffer holds: the data would not be whole.
        winTSLog(
            kLogWarning, "a transfer wrote past its " + std::to_string(buffer_.size()) + " bytes; failed");
        failed_ = true;
        sink->consume(0, 1);
        return;
    }
    if (length > 0 && data)
        std::memcpy(buffer_.data() + received_, data, length);
    received_ += length;
    sink->consume(length, 0);
}

void CWinTSTransfer::closeTransfer(CVXLCallback* callback)
{
    vxlReport(callback, kStatusReady);
    std::lock_guard<std::mutex> lock(mutex_);
    busy_ = false;
}

void CWinTSTransfer::endTransfer()
{
    {
        std::unique_lock<std::mutex> lock(mutex_);
        busy_ = false;
        if (!cancelled_) {
            lock.unlock();
            onEnded();
            return;
        }
    }
    delete this;
}

void CWinTSTransfer::onEnded()
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (owner_) {
        // Posted under the lock: a closing window either sees it posted
        // (and deletes it) or has cancelled it before.
        posted_ = true;
        if (tessel::ui::postMessage(owner_->window(), endMessage_, static_cast<std::uint64_t>(index_),
                static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(this))))
            return;
        // The window is gone without closing its list: the list deletes it.
        winTSLog(kLogWarning, "a transfer ended after its window was gone");
        return;
    }
    lock.unlock();
    delete this;
}

bool CWinTSTransfer::isBusy() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return busy_;
}

void CWinTSTransfer::cancel()
{
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
}

bool CWinTSTransfer::cancelled() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return cancelled_;
}

tessel::ui::WindowHandle CWinTSTransferList::window() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return window_;
}

void CWinTSTransferList::add(CWinTSTransfer* transfer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    transfers_.push_back(transfer);
}

void CWinTSTransferList::remove(CWinTSTransfer* transfer)
{
    std::lock_guard<std::mutex> lock(mutex_);
    transfers_.erase(std::remove(transfers_.begin(), transfers_.end(), transfer), transfers_.end());
}

CWinTSTransfer* CWinTSTransferList::take(std::int64_t lParam)
{
    auto* wanted = reinterpret_cast<CWinTSTransfer*>(static_cast<std::uintptr_t>(lParam));
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(transfers_.begin(), transfers_.end(), wanted);
    if (it == transfers_.end())
        return nullptr;
    transfers_.erase(it);
    std::lock_guard<std::mutex> transferLock(wanted->mutex_);
    wanted->owner_ = nullptr;
    wanted->posted_ = false;
    return wanted;
}

void CWinTSTransferList::closeAll()
{
    std::vector<CWinTSTransfer*> open;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        open.swap(transfers_);
        window_ = 0;
    }
    for (CWinTSTransfer* transfer : open) {
        bool posted = false;
        {
            std::lock_guard<std::mutex> lock(transfer->mutex_);
            transfer->owner_ = nullptr;
            posted = transfer->posted_;
            transfer->cancelled_ = true;
        }
        // One whose end is on its way would never be taken: it goes now.
        // One still running deletes itself at its end.
        if (posted)
            delete transfer;
    }
}

std::size_t CWinTSTransferList::count() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return transfers_.size();
}
