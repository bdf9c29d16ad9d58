#pragma once

#include "platform/shell/ContextMenu.h"

#include <atomic>

// What an application hands a context-menu extension as its site: the
// selection, answered as a data object in the one format it holds (a list
// of files, or the "ItemRefArray" of store items).
namespace tessel::shellhost {

class SelectionData : public shell::IDataObject {
public:
    // A selection of one file (a phone path).
    static SelectionData* ofFile(const std::u16string& path);
    // A selection of one item of the phone's stores.
    static SelectionData* ofItem(const shell::ItemRef& item);

    com::HResult queryInterface(const com::Guid& iid, void** object) override;
    std::uint32_t addRef() override;
    std::uint32_t release() override;
    com::HResult getData(const shell::FormatEtc& format, shell::StgMedium* medium) override;

private:
    SelectionData() = default;
    ~SelectionData() override = default;

    std::atomic<std::uint32_t> refs_ {1};
    std::uint32_t format_ = 0;
    shell::StgMedium medium_;
};

} // namespace tessel::shellhost
