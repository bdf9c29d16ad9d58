#pragma once

#include "platform/shell/ContextMenu.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// The context-menu extension, in five variants by the kind of selection:
// 0 a media file ("Send Tessel", "Post To Service", grayed when the file is
// not usable), 1 a contact with an address, 2 "Send via Tessel" and 3
// "Reply via Tessel" on a text message, 4 a call-log entry. The selection
// is read through the site's data object; a chosen verb becomes a launch
// request for the program, or for a contact the phone's own composer.
namespace tessel::fm {

inline constexpr com::Guid kClsidMenuMedia = com::guid("{EB6C1AB1-C215-444C-85DB-1412091E536D}");
inline constexpr com::Guid kClsidMenuContact = com::guid("{7665EA5D-4268-4494-9377-E583C3BD9A24}");
inline constexpr com::Guid kClsidMenuSendVia = com::guid("{87CF84FB-95E0-459E-ABBB-AC8AB082DA13}");
inline constexpr com::Guid kClsidMenuReplyVia = com::guid("{801012F9-7E1C-42AB-BDCC-DF5DD09F8141}");
inline constexpr com::Guid kClsidMenuCallLog = com::guid("{C1A1987B-DAE4-47D6-B62B-E202757D9B91}");

inline constexpr com::Guid kItemTypeContact = com::guid("{18103FDF-CAEC-42EB-90E7-1C76D6E60D24}");
inline constexpr com::Guid kItemTypeCallLog = com::guid("{72D7D1D4-EC08-4A74-B2E3-0C98C4EF6E14}");

// Buffers of the message's addresses and text, in characters with the
// terminator.
inline constexpr std::size_t kSelectionBufferChars = 1024;
inline constexpr std::size_t kMaxPathChars = 260;
inline constexpr std::uint32_t kDefaultMediaMaxKb = 2048;

class CTesselContextMenu : public shell::IContextMenu {
public:
    explicit CTesselContextMenu(int variant);

    com::HResult queryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t addRef() override;
    std::uint32_t release() override;
    com::HResult queryContextMenu(ui::Menu* menu, std::uint32_t index, std::uint32_t first,
        std::uint32_t last, std::uint32_t flags) override;
    com::HResult invokeCommand(const shell::CommandInvocation* invocation) override;
    com::HResult getCommandString(std::uint64_t command, std::uint32_t kind, std::uint32_t* reserved,
        char* buffer, std::uint32_t size) override;

    com::HResult setSite(com::IUnknown* site);
    com::HResult getSite(const com::Guid& iid, void** site);

    // Deletes an object no one took a reference on.
    void discard();

    // Appends each address followed by ";" while it fits whole in a buffer
    // of kSelectionBufferChars characters with its terminator.
    static void appendAddress(std::u16string* addresses, const std::u16string& address);
    // The text cut to kSelectionBufferChars characters with its terminator.
    static std::u16string bounded(std::u16string text);

private:
    // The object-with-site face; its references are the object's.
    class SiteFace : public shell::IObjectWithSite {
    public:
        explicit SiteFace(CTesselContextMenu* owner)
            : owner_(owner)
        {
        }
        com::HResult queryInterface(const com::Guid& iid, void** object) override;
        std::uint32_t addRef() override;
        std::uint32_t release() override;
        com::HResult setSite(com::IUnknown* site) override;
        com::HResult getSite(const com::Guid& iid, void** site) override;

    private:
        CTesselContextMenu* owner_;
    };

    ~CTesselContextMenu() override;

    bool getData(const shell::FormatEtc& format, shell::StgMedium* medium);
    bool getSelectedPath(std::u16string* path);
    // The selected store items (the "ItemRefArray" format).
    bool getSelectedItems(std::vector<shell::ItemRef>* items);
    bool checkSelectedMedia();
    bool readSelectedMessage(std::u16string* addresses, std::u16string* text);
    bool getSelectedContact(std::uint32_t* oid);
    bool composeToSelection(std::u16string* number);
    void composeNew(std::uint32_t oid);

    std::atomic<std::uint32_t> refs_ {0};
    // The first command identifier of this object's last QueryContextMenu:
    // each extension of a menu has its own range.
    std::uint32_t firstCommand_ = 0;
    com::IUnknown* site_ = nullptr;
    int variant_;
    SiteFace siteFace_ {this};
};

} // namespace tessel::fm
