#pragma once

#include "ui/WinTSBase.h"

#include <array>
#include <cstdint>
#include <string>

// The addresses most recently used as recipients, newest first, kept in the
// registry section Recent as "SLOT0" to "SLOT9" ("Size" says how many of
// them are read, at most 10). An address already listed keeps its place;
// an eleventh pushes the oldest out. The list writes itself back when it is
// destroyed, and only when it changed: then every slot is written, a free
// one as an empty text, so a value left from before never comes back.
class CWinTSRecent {
public:
    static constexpr int kSlots = 10;
    static constexpr std::uint32_t kDefaultSize = 10;

    CWinTSRecent();
    ~CWinTSRecent();
    CWinTSRecent(const CWinTSRecent&) = delete;
    CWinTSRecent& operator=(const CWinTSRecent&) = delete;

    void Load();
    void Add(const std::u16string& address);
    // The text of a used slot; empty otherwise.
    std::u16string Get(int index) const;
    int Count() const;
    void Save();

    bool dirty() const { return dirty_; }
    std::uint32_t loadLimit() const { return limit_; }

private:
    struct Slot {
        std::u16string text;
        bool used = false;
    };

    CWinTSBase base_;
    bool dirty_ = false;
    std::uint32_t limit_ = kDefaultSize;
    int loaded_ = 0;
    std::array<Slot, kSlots> slots_ {};
};
