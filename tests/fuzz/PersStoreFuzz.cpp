// Loads a settings file image ("_vxl.reg"), saves what was kept and loads that
// again: the second image must keep exactly what the first load kept.
#include "engine/core/base/VXLByteStream.h"
#include "engine/core/settings/VXLPersStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

CVXLByteBuffer imageOf(const CVXLPersStore& store)
{
    CVXLByteStream out;
    store.save(out);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 16)
        return 0;
    CVXLByteBuffer bytes;
    if (size > 0 && !bytes.append(data, static_cast<std::uint32_t>(size)))
        return 0;

    CVXLPersStore first;
    CVXLByteStream in(bytes);
    first.load(in);
    const CVXLByteBuffer saved = imageOf(first);

    CVXLPersStore second;
    CVXLByteStream again(saved);
    second.load(again);
    const CVXLByteBuffer resaved = imageOf(second);
    if (saved.length() != resaved.length()
        || (saved.length() > 0 && std::memcmp(saved.data(), resaved.data(), saved.length()) != 0))
        std::abort();
    return 0;
}
