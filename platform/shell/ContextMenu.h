#pragma once

#include "platform/com/Unknown.h"
#include "platform/ui/UiMessages.h"

#include <cstdint>
#include <string>
#include <vector>

// The shell's context-menu extensions: an application that shows a context
// menu for a selection creates the extension, hands it a site that answers
// the selection as a data object, lets it add its entries to the menu and
// invokes the chosen one by its verb text. Slots in the phone's order.
namespace tessel::ui {
class Menu;
}

namespace tessel::shell {

inline constexpr com::Guid kIidContextMenu = com::guid("{000214E4-0000-0000-C000-000000000046}");
inline constexpr com::Guid kIidObjectWithSite = com::guid("{FC4801A3-2BA9-11CF-A229-00AA003D7352}");
inline constexpr com::Guid kIidDataObject = com::guid("{0000010E-0000-0000-C000-000000000046}");

// QueryContextMenu's flag: only the default entry is wanted.
inline constexpr std::uint32_t kCmfDefaultOnly = 0x1;
// GetCommandString's kinds.
inline constexpr std::uint32_t kGcsVerb = 0;
inline constexpr std::uint32_t kGcsHelpText = 1;
inline constexpr std::uint32_t kGcsValidate = 2;

// The data formats of a selection: a list of files, or the registered
// "ItemRefArray" of items of the phone's stores.
inline constexpr std::uint32_t kCfHDrop = 15;
inline constexpr const char16_t* kItemRefArrayFormat = u"ItemRefArray";
inline constexpr std::uint32_t kDvAspectContent = 1;
inline constexpr std::uint32_t kTymedHGlobal = 1;

// The id of a registered format: the same name gives the same id in every
// part of the process, any name above 0xC000.
std::uint32_t registerClipboardFormat(const std::u16string& name);

struct FormatEtc {
    std::uint32_t format = 0;
    std::uint32_t aspect = kDvAspectContent;
    std::int32_t index = -1;
    std::uint32_t tymed = kTymedHGlobal;
};

// One selected item: its kind, and the contact's object id, the call-log
// entry's index or the message's entry id.
struct ItemRef {
    com::Guid type;
    std::uint32_t value = 0;
    std::string entryId;
};

// What a data object hands out; the receiver owns its copy.
struct StgMedium {
    std::uint32_t tymed = 0;
    std::vector<std::u16string> files; // kCfHDrop: phone paths
    std::vector<ItemRef> items; // "ItemRefArray"
};

class IDataObject : public com::IUnknown {
public:
    virtual com::HResult getData(const FormatEtc& format, StgMedium* medium) = 0;
};

class IObjectWithSite : public com::IUnknown {
public:
    virtual com::HResult setSite(com::IUnknown* site) = 0;
    virtual com::HResult getSite(const com::Guid& iid, void** site) = 0;
};

// What InvokeCommand gets: the verb as 8-bit text.
struct CommandInvocation {
    std::uint32_t size = sizeof(CommandInvocation);
    std::uint32_t mask = 0;
    ui::WindowHandle window = 0;
    const char* verb = nullptr;
    const char* parameters = nullptr;
    const char* directory = nullptr;
    int show = 1;
};

class IContextMenu : public com::IUnknown {
public:
    // The number of identifiers used, as a success code.
    virtual com::HResult queryContextMenu(
        ui::Menu* menu, std::uint32_t index, std::uint32_t first, std::uint32_t last, std::uint32_t flags)
        = 0;
    virtual com::HResult invokeCommand(const CommandInvocation* invocation) = 0;
    virtual com::HResult getCommandString(
        std::uint64_t command, std::uint32_t kind, std::uint32_t* reserved, char* buffer, std::uint32_t size)
        = 0;
};

} // namespace tessel::shell
