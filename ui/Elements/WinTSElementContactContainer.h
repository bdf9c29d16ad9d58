#pragma once

#include "platform/ui/Edit.h"
#include "platform/ui/ListView.h"
#include "platform/ui/Menu.h"
#include "ui/Elements/WinTSElement.h"
#include "ui/WinTSRecent.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CVXLContactListElement;

// The recipients of a message (a contact list element): a list of them,
// newest first, shown by their contacts' names, and an edit box below it
// for typing an address, which a blank, a comma, a semicolon or Enter adds.
// Every address is normalised and must be a telephone number (digits) or an
// e-mail address; duplicates are refused. Recipients also come from the
// phone's contacts and from the recent list, which the option menu offers
// and which takes every recipient when the window goes. At most 30 rows; an
// engine entry beyond them is kept and written back, never lost.
class CWinTSElementContactContainer : public CWinTSElement {
public:
    static constexpr int kListId = 0xF04;
    static constexpr int kEditId = 2790;
    static constexpr int kMaxSlots = 30;
    static constexpr int kMargin = 10;
    static constexpr int kListTop = 5;
    static constexpr int kFrameMargin = 3;
    static constexpr int kFrameBottom = 6;
    static constexpr int kBottomPadding = 10;
    static constexpr int kListPadding = 5;
    static constexpr int kEditMenu = 120;
    // The element's own menu commands; a recent entry n is kFirstRecent + n.
    static constexpr std::uint32_t kCommandContacts = 0;
    static constexpr std::uint32_t kCommandRemove = 1;
    static constexpr std::uint32_t kCommandEdit = 2;
    static constexpr std::uint32_t kFirstRecent = 4;
    static constexpr std::uint32_t kMenuFlagsSeparator = 0xC00;
    // The edit box's context menu.
    static constexpr std::uint32_t kCut = 40007;
    static constexpr std::uint32_t kPaste = 40008;
    static constexpr std::uint32_t kCopy = 40009;
    static constexpr std::uint32_t kPickContacts = 40002;
    // Address kinds of a slot.
    static constexpr std::int32_t kKindEmail = 0;
    static constexpr std::int32_t kKindPhone = 1;
    static constexpr std::int32_t kKindTyped = 2;

    explicit CWinTSElementContactContainer(const WinTSElementLink& link);
    ~CWinTSElementContactContainer() override;

    // The operations of the element base.
    int Refresh(CVXLElement* element) override;
    int Store() override;
    int Layout(const tessel::ui::Rect& rect) override;
    int OnCreate() override;
    void SetFocused(bool focused) override;
    int GetMenuItemCount() const override;
    bool GetMenuItem(
        int n, std::uint32_t* flags, std::uint32_t* command, std::u16string* text) const override;
    void ExecuteMenuItem(std::uint32_t command) override;
    bool OnKey(std::uint32_t key) override;
    bool OnChar(std::uint32_t character) override;

    // Its own, in the Part's order.
    virtual void OnDestroyWindow();
    virtual void Cut();
    virtual void Paste();
    virtual void Copy();
    virtual void RemoveSelected();
    virtual void PickFromContacts();
    virtual bool CommitTyped();
    virtual void EditSelected();
    virtual void OnEditFocus();
    virtual void UpdateCommands();

    // Telephone number (digits) or e-mail address; unless quiet, a refused
    // address is shown in a notice.
    static bool Validate(const std::u16string& address, bool quiet);
    // Normalised, valid, new: into the first free slot as typed, with its row.
    bool AddAddress(const std::u16string& text);

    tessel::ui::ListView& list() { return list_; }
    tessel::ui::Edit& edit() { return edit_; }
    CWinTSRecent& recent() { return *recent_; }
    int maximum() const { return maximum_; }
    // The used slots' addresses and kinds, in slot order.
    std::vector<std::pair<std::int32_t, std::u16string>> recipients() const;

    int paint(tessel::ui::Canvas& canvas, const tessel::ui::Rect& area) const override;
    std::int64_t windowProc(std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) override;

private:
    struct Slot {
        std::int32_t kind = kKindTyped;
        std::u16string address;
        bool used = false;
    };
    // An engine entry that found no slot: written back as it came.
    struct Overflow {
        std::int32_t kind;
        std::string address;
        std::string displayName;
    };

    bool IsDuplicate(const std::u16string& address) const;
    void SetEditText(const std::u16string& text);
    int FreeSlot() const;
    void InsertRow(int slot);
    void UpdateHeight();
    bool EditFocused() const;
    CVXLContactListElement* contacts() const;

    std::shared_ptr<tessel::ui::Menu> editMenu_;
    tessel::ui::ListView list_;
    std::shared_ptr<tessel::ui::Font> listFont_;
    tessel::ui::Edit edit_;
    std::shared_ptr<tessel::ui::Font> editFont_;
    std::array<Slot, kMaxSlots> slots_ {};
    std::vector<Overflow> overflow_;
    int maximum_ = kMaxSlots;
    int editLineHeight_ = 0;
    std::unique_ptr<CWinTSRecent> recent_;
    tessel::ui::Rect listRect_;
    tessel::ui::Rect editRect_;
};
