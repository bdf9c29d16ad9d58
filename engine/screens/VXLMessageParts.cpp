#include "engine/screens/VXLMessageParts.h"

#include "engine/core/text/VXLRegex.h"
#include "engine/screens/VXLSmilMedia.h"
#include "engine/screens/VXLSmilPresentation.h"

namespace {

const CVXLString& headerOf(const CVXLHeaderMap& map, const char* name)
{
    return map.value(CVXLString(name), 0, true);
}

// The media type of a Content-Type value: up to ";", without the blanks around it.
CVXLString mediaTypeOf(const CVXLString& contentType)
{
    const char* text = contentType.c_str();
    std::uint32_t begin = 0;
    std::uint32_t end = 0;
    while (text[end] && text[end] != ';')
        ++end;
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return contentType.substr(static_cast<int>(begin), end - begin);
}

// A Content-Id without the angle brackets encoders put around it.
CVXLString bareId(const CVXLString& id)
{
    CVXLString bare = mediaTypeOf(id);
    if (bare.length() >= 2 && bare.c_str()[0] == '<' && bare.c_str()[bare.length() - 1] == '>')
        return bare.substr(1, bare.length() - 2);
    return bare;
}

bool sameId(const CVXLString& header, const CVXLString& wanted)
{
    return header.length() && bareId(header) == wanted;
}

bool matchesPattern(const char* pattern, const CVXLString& subject)
{
    return vxlRegexMatch(pattern, subject) != 0;
}

bool isPicturePart(const CVXLString& type)
{
    return matchesPattern("^[ \t]*image(.*)", type) || matchesPattern("^[ \t]*video(.*)", type);
}

} // namespace

int CVXLMessageParts::smilPart() const
{
    for (std::uint32_t i = 0; i < parts_.size(); ++i) {
        if (mediaTypeOf(headerOf(parts_[i], "Content-Type")).compare(CVXLString("application/smil"), false)
            == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int CVXLMessageParts::findPart(const CVXLString& source) const
{
    CVXLRegex cid;
    cid.compile("^cid:(.*)");
    if (cid.exec(source.c_str())) {
        const CVXLString wanted = bareId(cid.group(1, source));
        for (std::uint32_t i = 0; i < parts_.size(); ++i) {
            if (sameId(headerOf(parts_[i], "Content-Id"), wanted)
                || sameId(headerOf(parts_[i], "X-QV-DRM-Content-Id"), wanted))
                return static_cast<int>(i);
        }
        return -1;
    }
    // An empty source names no part, not the first part without a location.
    for (std::uint32_t i = 0; source.length() && i < parts_.size(); ++i) {
        if (headerOf(parts_[i], "Content-Location") == source
            || headerOf(parts_[i], "X-QV-DRM-Content-Location") == source)
            return static_cast<int>(i);
    }
    return -1;
}

void CVXLMessageParts::buildSingleSlide(
    CVXLSmilPresentation& presentation, std::vector<std::pair<const CVXLSmilMedia*, int>>& own) const
{
    std::uint32_t visual = 0;
    for (const CVXLHeaderMap& part : parts_) {
        if (isPicturePart(headerOf(part, "Content-Type")))
            ++visual;
    }
    for (std::uint32_t j = 0; j < visual; ++j) {
        auto* region = new CVXLSmilRegion;
        if (!region)
            continue;
        region->id = CVXLString(static_cast<int>(j));
        region->top = static_cast<std::int32_t>(j * (100 / visual));
        if (!presentation.putRegion(region))
            delete region;
    }
    auto* slide = new CVXLSmilNode(false);
    if (!slide)
        return;
    std::uint32_t position = 0;
    for (std::uint32_t index = 0; index < parts_.size(); ++index) {
        const CVXLHeaderMap& part = parts_[index];
        const CVXLString& type = headerOf(part, "Content-Type");
        std::int32_t kind = -1;
        if (matchesPattern("^[ \t]*image(.*)", type))
            kind = kSmilImage;
        else if (matchesPattern("^[ \t]*video(.*)", type))
            kind = kSmilVideo;
        else if (matchesPattern("^[ \t]*text", type))
            kind = kSmilText;
        if (kind < 0)
            continue;
        auto* medium = new CVXLSmilMedia(kind);
        if (!medium)
            continue;
        if (kind != kSmilText)
            medium->region = CVXLString(static_cast<int>(position++));
        const CVXLString& id = headerOf(part, "Content-Id");
        // The source names the part back: by its id when it has one.
        medium->src = id.length() ? CVXLString("cid:") + bareId(id) : headerOf(part, "Content-Location");
        if (!slide->addMedia(medium))
            delete medium;
        else
            own.push_back({medium, static_cast<int>(index)});
    }
    // Counted, unlike a slide the SMIL part never had: the screen shows one slide of one.
    if (!presentation.appendSlide(slide, true))
        delete slide;
    else if (slide->isVisual())
        slide->visualNumber = 1;
}
