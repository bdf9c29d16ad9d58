#include "platform/shellhost/SelectionData.h"

namespace tessel::shellhost {

SelectionData* SelectionData::ofFile(const std::u16string& path)
{
    auto* data = new SelectionData;
    data->format_ = shell::kCfHDrop;
    data->medium_.tymed = shell::kTymedHGlobal;
    data->medium_.files.push_back(path);
    return data;
}

SelectionData* SelectionData::ofItem(const shell::ItemRef& item)
{
    auto* data = new SelectionData;
    data->format_ = shell::registerClipboardFormat(shell::kItemRefArrayFormat);
    data->medium_.tymed = shell::kTymedHGlobal;
    data->medium_.items.push_back(item);
    return data;
}

com::HResult SelectionData::queryInterface(const com::Guid& iid, void** object)
{
    if (!object)
        return com::kEPointer;
    if (iid != com::kIidIUnknown && iid != shell::kIidDataObject) {
        *object = nullptr;
        return com::kENoInterface;
    }
    *object = static_cast<shell::IDataObject*>(this);
    addRef();
    return com::kSOk;
}

std::uint32_t SelectionData::addRef()
{
    return refs_.fetch_add(1) + 1;
}

std::uint32_t SelectionData::release()
{
    const std::uint32_t count = refs_.fetch_sub(1) - 1;
    if (count == 0)
        delete this;
    return count;
}

com::HResult SelectionData::getData(const shell::FormatEtc& format, shell::StgMedium* medium)
{
    if (!medium)
        return com::kEPointer;
    if (format.format != format_ || format.tymed != shell::kTymedHGlobal)
        return com::kEFail;
    *medium = medium_;
    return com::kSOk;
}

} // namespace tessel::shellhost
