#include "ui/WinTSRecent.h"

#include "platform/kernel/TextCodec.h"
#include "ui/WinTSRegistry.h"

#include <algorithm>
#include <string>

namespace {

constexpr const char16_t* kSection = u"Recent";

std::u16string slotName(int index)
{
    return u"SLOT" + tessel::kernel::utf8ToWide(std::to_string(index));
}

} // namespace

CWinTSRecent::CWinTSRecent()
    : base_(u"CWinTSRecent")
{
    Load();
}

CWinTSRecent::~CWinTSRecent()
{
    Save();
}

void CWinTSRecent::Load()
{
    registryReadDword(kSection, u"Size", &limit_, kDefaultSize);
    limit_ = std::min<std::uint32_t>(limit_, kSlots);
    for (Slot& slot : slots_)
        slot = Slot {};
    loaded_ = 0;
    // Empty values leave no gaps: each text takes the next slot.
    for (std::uint32_t j = 0; j < limit_; ++j) {
        std::u16string text;
        if (registryRead(kSection, slotName(static_cast<int>(j)), &text) && !text.empty())
            slots_[static_cast<std::size_t>(loaded_++)] = Slot {text, true};
    }
    dirty_ = false;
}

void CWinTSRecent::Add(const std::u16string& address)
{
    if (address.empty())
        return;
    for (const Slot& slot : slots_) {
        if (slot.used && slot.text == address)
            return;
    }
    for (std::size_t i = kSlots - 1; i > 0; --i)
        slots_[i] = slots_[i - 1];
    slots_[0] = Slot {address, true};
    dirty_ = true;
}

std::u16string CWinTSRecent::Get(int index) const
{
    if (index < 0 || index >= kSlots || !slots_[static_cast<std::size_t>(index)].used)
        return {};
    return slots_[static_cast<std::size_t>(index)].text;
}

int CWinTSRecent::Count() const
{
    return static_cast<int>(
        std::count_if(slots_.begin(), slots_.end(), [](const Slot& slot) { return slot.used; }));
}

void CWinTSRecent::Save()
{
    if (!dirty_)
        return;
    for (int i = 0; i < kSlots; ++i) {
        const Slot& slot = slots_[static_cast<std::size_t>(i)];
        registryWrite(kSection, slotName(i), slot.used ? slot.text : u"");
    }
    dirty_ = false;
}
