#include "engine/media/VXLMediaItemRecord.h"

#include "engine/core/base/VXLByteStream.h"
#include "engine/media/VXLMediaItem.h"

#include <initializer_list>

namespace {

constexpr std::uint8_t kOnline = 1 << 0;
constexpr std::uint8_t kThird = 1 << 1;
constexpr std::uint8_t kFourth = 1 << 2;
constexpr std::uint8_t kFirstAux = 1 << 3;
constexpr std::uint8_t kSecondAux = 1 << 4;
constexpr std::uint8_t kKnownFlags = kOnline | kThird | kFourth | kFirstAux | kSecondAux;

std::uint32_t word(std::int32_t value)
{
    return static_cast<std::uint32_t>(value);
}

// A counted text that is exactly the text and one NUL; false otherwise.
bool readText(CVXLByteStream& in, CVXLString* text)
{
    const CVXLByteBuffer bytes = in.readBuffer();
    const std::uint32_t n = bytes.length();
    if (in.isBad() || n == 0 || bytes.data()[n - 1] != 0)
        return false;
    for (std::uint32_t i = 0; i + 1 < n; ++i)
        if (bytes.data()[i] == 0)
            return false;
    text->appendBytes(bytes.data(), n - 1);
    return true;
}

std::int32_t signedWord(CVXLByteStream& in)
{
    return static_cast<std::int32_t>(in.readUInt32());
}

} // namespace

CVXLByteBuffer CVXLMediaItemRecord::save(const CVXLMediaItem& item)
{
    CVXLByteStream out;
    out.writeByte(kFormat);
    out.writeString(item.id());
    out.writeString(item.uid());
    out.writeString(item.title());
    out.writeString(item.location());
    out.writeString(item.name());
    out.writeString(item.trackedText());
    out.writeString(item.infoText());
    for (std::int32_t value : {item.orientation(), item.captureTime(), item.uploadTime(), item.latitude(),
             item.longitude(), item.width(), item.height(), item.size(), item.pendingCount()})
        out.writeUInt32(word(value));
    std::uint8_t flags = 0;
    flags |= item.online() ? kOnline : 0;
    flags |= item.thirdFlag() ? kThird : 0;
    flags |= item.fourthFlag() ? kFourth : 0;
    flags |= item.firstAuxFlag() ? kFirstAux : 0;
    flags |= item.secondAuxFlag() ? kSecondAux : 0;
    out.writeByte(flags);
    if (out.isBad())
        return CVXLByteBuffer();
    return out;
}

bool CVXLMediaItemRecord::load(const CVXLByteBuffer& bytes, CVXLMediaItem* item)
{
    if (!item)
        return false;
    CVXLByteStream in(bytes);
    if (in.readByte() != kFormat || in.isBad())
        return false;
    CVXLString texts[7];
    for (CVXLString& text : texts)
        if (!readText(in, &text))
            return false;
    std::int32_t values[9];
    for (std::int32_t& value : values)
        value = signedWord(in);
    const std::uint8_t flags = in.readByte();
    if (in.isBad() || in.remaining() != 0 || (flags & ~kKnownFlags) != 0 || values[8] < 0)
        return false;
    item->setId(texts[0]);
    item->setUid(texts[1]);
    item->setTitle(texts[2]);
    item->setLocation(texts[3]);
    item->setName(texts[4]);
    item->setTrackedText(texts[5]);
    item->setInfoText(texts[6]);
    item->setOrientation(values[0]);
    item->setCaptureTime(values[1]);
    item->setUploadTime(values[2]);
    item->setLatitude(values[3]);
    item->setLongitude(values[4]);
    item->setWidth(values[5]);
    item->setHeight(values[6]);
    item->setSize(values[7]);
    item->setPendingCount(values[8]);
    item->setOnline(flags & kOnline);
    item->setThirdFlag(flags & kThird);
    item->setFourthFlag(flags & kFourth);
    item->setFirstAuxFlag(flags & kFirstAux);
    item->setSecondAuxFlag(flags & kSecondAux);
    return true;
}
