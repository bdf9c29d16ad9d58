#include "platform/shellhost/MenuHost.h"

#include "platform/kernel/TextCodec.h"
#include "platform/mapi/EntryId.h"
#include "platform/shell/ContextMenu.h"
#include "platform/shellhost/SelectionData.h"
#include "platform/shellhost/TesselFmLibrary.h"
#include "platform/ui/Menu.h"

#include <cstdlib>
#include <vector>

namespace tessel::shellhost {

namespace {

// The extensions' classes and the item kinds, as the phone names them.
constexpr com::Guid kClsidMenuMedia = com::guid("{EB6C1AB1-C215-444C-85DB-1412091E536D}");
constexpr com::Guid kClsidMenuContact = com::guid("{7665EA5D-4268-4494-9377-E583C3BD9A24}");
constexpr com::Guid kClsidMenuSendVia = com::guid("{87CF84FB-95E0-459E-ABBB-AC8AB082DA13}");
constexpr com::Guid kClsidMenuReplyVia = com::guid("{801012F9-7E1C-42AB-BDCC-DF5DD09F8141}");
constexpr com::Guid kClsidMenuCallLog = com::guid("{C1A1987B-DAE4-47D6-B62B-E202757D9B91}");
constexpr com::Guid kItemTypeContact = com::guid("{18103FDF-CAEC-42EB-90E7-1C76D6E60D24}");
constexpr com::Guid kItemTypeCallLog = com::guid("{72D7D1D4-EC08-4A74-B2E3-0C98C4EF6E14}");
constexpr com::Guid kItemTypeMessage = com::guid("{00000000-0000-0000-0000-000000000000}");

// Each extension gets its own range of command identifiers.
constexpr std::uint32_t kFirstCommand = 1000;
constexpr std::uint32_t kCommandsEach = 100;
constexpr std::uint32_t kVerbChars = 64;

struct Extension {
    shell::IContextMenu* menu = nullptr;
    std::uint32_t first = 0;
};

} // namespace

int MenuHost::run(
    const std::string& kind, const std::string& item, const std::string& choice, std::string* out)
{
    std::vector<com::Guid> classes;
    SelectionData* selection = nullptr;
    const auto number = static_cast<std::uint32_t>(std::strtoul(item.c_str(), nullptr, 10));
    if (kind == "file") {
        classes = {kClsidMenuMedia};
        selection = SelectionData::ofFile(kernel::utf8ToWide(item));
    } else if (kind == "contact") {
        classes = {kClsidMenuContact};
        selection = SelectionData::ofItem({kItemTypeContact, number, {}});
    } else if (kind == "message") {
        classes = {kClsidMenuSendVia, kClsidMenuReplyVia};
        selection = SelectionData::ofItem({kItemTypeMessage, 0, mapi::messageEntryId("SMS", "Inbox", item)});
    } else if (kind == "calllog") {
        classes = {kClsidMenuCallLog};
        selection = SelectionData::ofItem({kItemTypeCallLog, number, {}});
    } else {
        return 2;
    }

    ui::Menu menu;
    std::vector<Extension> extensions;
    for (const com::Guid& clsid : classes) {
        Extension extension;
        if (com::failed(library_.createObject(
                clsid, shell::kIidContextMenu, reinterpret_cast<void**>(&extension.menu))))
            continue;
        shell::IObjectWithSite* site = nullptr;
        if (com::succeeded(
                extension.menu->queryInterface(shell::kIidObjectWithSite, reinterpret_cast<void**>(&site)))) {
            site->setSite(selection);
            site->release();
        }
        extension.first = kFirstCommand + kCommandsEach * static_cast<std::uint32_t>(extensions.size());
        extension.menu->queryContextMenu(&menu, static_cast<std::uint32_t>(menu.size()), extension.first,
            extension.first + kCommandsEach - 1, 0);
        extensions.push_back(extension);
    }
    selection->release();

    auto owner = [&extensions](std::uint32_t id) -> const Extension* {
        for (const Extension& extension : extensions) {
            if (id >= extension.first && id < extension.first + kCommandsEach)
                return &extension;
        }
        return nullptr;
    };
    auto verbOf = [&owner](std::uint32_t id) {
        char verb[kVerbChars] = {};
        if (const Extension* extension = owner(id))
            extension->menu->getCommandString(id, shell::kGcsVerb, nullptr, verb, sizeof verb);
        return std::string(verb);
    };
    int status = choice.empty() ? 0 : 2;
    for (const ui::MenuItem& entry : menu.items())
        *out += kernel::wideToUtf8(entry.text) + "\t" + verbOf(entry.id)
            + (entry.grayed ? "\tgrayed\n" : "\n");
    for (const ui::MenuItem& entry : menu.items()) {
        if (choice.empty() || kernel::wideToUtf8(entry.text) != choice || entry.grayed)
            continue;
        const std::string verb = verbOf(entry.id);
        shell::CommandInvocation invocation;
        invocation.verb = verb.c_str();
        const com::HResult result = owner(entry.id)->menu->invokeCommand(&invocation);
        *out += "invoked " + verb + " " + std::to_string(result) + "\n";
        status = 0;
        break;
    }
    for (const Extension& extension : extensions) {
        shell::IObjectWithSite* site = nullptr;
        if (com::succeeded(
                extension.menu->queryInterface(shell::kIidObjectWithSite, reinterpret_cast<void**>(&site)))) {
            site->setSite(nullptr);
            site->release();
        }
        extension.menu->release();
    }
    return status;
}

} // namespace tessel::shellhost
