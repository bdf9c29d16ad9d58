#include "engine/screens/VXLSmilParser.h"

#include "engine/core/base/VXLLog.h"
#include "engine/screens/VXLSmilMedia.h"
#include "engine/screens/VXLSmilNode.h"
#include "engine/screens/VXLSmilPresentation.h"
#include "engine/screens/VXLSmilRegion.h"

#include <cstring>

namespace {

constexpr std::int32_t kMaxValue = 0x7FFFFFFF;

// The decimal value of the digits at `from`; past the largest int it stays there.
std::int32_t digitsAt(const char* text, std::uint32_t from, std::uint32_t count)
{
    std::int64_t value = 0;
    for (std::uint32_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            break;
        value = value * 10 + (text[i] - '0');
        if (value > kMaxValue)
            return kMaxValue;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t groupValue(const CVXLRegex& regex, const char* text)
{
    return digitsAt(text, static_cast<std::uint32_t>(regex.groupStart(1)),
        static_cast<std::uint32_t>(regex.groupLength(1)));
}

const struct {
    const char* name;
    CVXLSmilParser::State state;
    std::int32_t kind;
} kMediaElements[] = {
    {"img", CVXLSmilParser::kImg, kSmilImage},
    {"audio", CVXLSmilParser::kAudio, kSmilAudio},
    {"video", CVXLSmilParser::kVideo, kSmilVideo},
    {"text", CVXLSmilParser::kText, kSmilText},
    {"animation", CVXLSmilParser::kAnimation, kSmilAnimation},
    {"textstream", CVXLSmilParser::kTextStream, kSmilTextStream},
    {"ref", CVXLSmilParser::kRef, kSmilRef},
};

bool isMediaState(CVXLSmilParser::State state)
{
    return state >= CVXLSmilParser::kAudio && state <= CVXLSmilParser::kRef;
}

} // namespace

CVXLSmilParser::CVXLSmilParser() = default;

CVXLSmilParser::~CVXLSmilParser()
{
    dropOpen();
}

CVXLSmilParser::Patterns::Patterns()
    : milliseconds(CVXLRegex::fromPattern("([0-9]+)ms"))
    , seconds(CVXLRegex::fromPattern("([0-9]+)s"))
    , percent(CVXLRegex::fromPattern("([0-9]+)%"))
    , pixels(CVXLRegex::fromPattern("[0-9]+px"))
{
}

std::int32_t CVXLSmilParser::timeOf(const CVXLString& text)
{
    Patterns p;
    return timeOf(text, p);
}

std::int32_t CVXLSmilParser::percentOf(const CVXLString& text)
{
    Patterns p;
    return percentOf(text, p);
}

std::int32_t CVXLSmilParser::edgeOf(const CVXLString& text, std::int32_t pixelValue)
{
    Patterns p;
    return edgeOf(text, pixelValue, p);
}

std::int32_t CVXLSmilParser::timeOf(const CVXLString& text, Patterns& p)
{
    if (p.milliseconds.exec(text.c_str()))
        return groupValue(p.milliseconds, text.c_str());
    if (p.seconds.exec(text.c_str())) {
        const std::int64_t value = static_cast<std::int64_t>(groupValue(p.seconds, text.c_str())) * 1000;
        return value > kMaxValue ? kMaxValue : static_cast<std::int32_t>(value);
    }
    return 0;
}

std::int32_t CVXLSmilParser::percentOf(const CVXLString& text, Patterns& p)
{
    if (p.percent.exec(text.c_str()))
        return groupValue(p.percent, text.c_str());
    return digitsAt(text.c_str(), 0, text.length());
}

std::int32_t CVXLSmilParser::edgeOf(const CVXLString& text, std::int32_t pixelValue, Patterns& p)
{
    if (p.pixels.exec(text.c_str()))
        return pixelValue;
    return percentOf(text, p);
}

int CVXLSmilParser::parse(const CVXLString& text, CVXLSmilPresentation& presentation)
{
    return parse(text.c_str(), text.length(), presentation);
}

int CVXLSmilParser::parse(const char* text, std::uint32_t length, CVXLSmilPresentation& presentation)
{
    reset();
    target_ = &presentation;
    feed(text, length);
    finish();
    dropOpen();
    target_ = nullptr;
    return 1;
}

void CVXLSmilParser::reset()
{
    CVXLXmlReader::reset();
    dropOpen();
    visualCount_ = 0;
    state_ = kNone;
}

void CVXLSmilParser::dropOpen()
{
    delete region_;
    region_ = nullptr;
    delete media_;
    media_ = nullptr;
    delete node_;
    node_ = nullptr;
    for (std::uint32_t i = 0; i < open_.count(); ++i)
        delete static_cast<CVXLSmilNode*>(open_.at(static_cast<int>(i)));
    open_.clear();
    paramName_ = CVXLString();
}

void CVXLSmilParser::onElement(const CVXLString& name, bool start)
{
    if (start) {
        if (name == "region")
            return startRegion();
        if (name == "par" || name == "seq")
            return startNode(name == "seq");
        if (name == "param") {
            state_ = kParam;
            paramName_ = CVXLString();
            return;
        }
        for (const auto& entry : kMediaElements) {
            if (name == entry.name)
                return startMedia(entry.state, entry.kind);
        }
        return;
    }
    // Any end tag but a param's completes an open medium; a "par" or "seq"
    // end then closes its node as well.
    if (isMediaState(state_) || (state_ == kParam && !(name == "param")))
        endMedia();
    if (name == "par" || name == "seq")
        endNode();
    else if (name == "region")
        endRegion();
}

void CVXLSmilParser::onAttribute(const CVXLString& name, const CVXLString& value)
{
    switch (state_) {
    case kRegion:
        return regionAttribute(name, value);
    case kPar:
    case kSeq:
        if (node_ && name == "dur")
            node_->dur = timeOf(value, patterns_);
        return;
    case kParam:
        if (name == "name")
            paramName_ = value;
        else if (name == "value" && media_)
            media_->setParam(paramName_, value);
        return;
    case kNone:
        return;
    default:
        return mediaAttribute(name, value);
    }
}

void CVXLSmilParser::startRegion()
{
    state_ = kRegion;
    // A region inside a region replaces it unfinished.
    delete region_;
    region_ = new CVXLSmilRegion;
}

void CVXLSmilParser::startNode(bool sequence)
{
    state_ = sequence ? kSeq : kPar;
    auto* node = new CVXLSmilNode(sequence);
    if (!node)
        return;
    if (node_ && !open_.insertAt(node_, -1)) {
        VXL_LOG_INFO("smil: no room to nest a node; it is dropped");
        delete node;
        return;
    }
    node_ = node;
}

void CVXLSmilParser::startMedia(State state, std::int32_t kind)
{
    state_ = state;
    // A medium inside a medium replaces it unfinished.
    delete media_;
    media_ = new CVXLSmilMedia(kind);
}

void CVXLSmilParser::endMedia()
{
    CVXLSmilMedia* medium = media_;
    media_ = nullptr;
    state_ = kNone;
    if (!medium)
        return;
    if (!node_ || !node_->addMedia(medium))
        delete medium;
}

void CVXLSmilParser::endNode()
{
    state_ = kNone;
    CVXLSmilNode* node = node_;
    if (!node)
        return;
    if (open_.count() > 0) {
        const int last = static_cast<int>(open_.count()) - 1;
        auto* parent = static_cast<CVXLSmilNode*>(open_.at(last));
        open_.removeAt(last);
        node_ = parent;
        if (!parent->addChild(node))
            delete node;
        return;
    }
    node_ = nullptr;
    if (!target_ || !target_->appendSlide(node, true)) {
        delete node;
        return;
    }
    if (node->isVisual())
        node->visualNumber = ++visualCount_;
}

void CVXLSmilParser::endRegion()
{
    state_ = kNone;
    CVXLSmilRegion* region = region_;
    region_ = nullptr;
    if (region && (!target_ || !target_->putRegion(region)))
        delete region;
}

void CVXLSmilParser::regionAttribute(const CVXLString& name, const CVXLString& value)
{
    if (!region_)
        return;
    if (name == "id")
        region_->id = value;
    else if (name == "top")
        region_->top = edgeOf(value, 0, patterns_);
    else if (name == "left")
        region_->left = edgeOf(value, 0, patterns_);
    else if (name == "width")
        region_->width = edgeOf(value, 100, patterns_);
    else if (name == "height")
        region_->height = edgeOf(value, 100, patterns_);
    else if (name == "fit")
        region_->fit = CVXLSmilRegion::fitOf(value);
}

void CVXLSmilParser::mediaAttribute(const CVXLString& name, const CVXLString& value)
{
    if (!media_)
        return;
    if (name == "src")
        media_->src = value;
    else if (name == "region")
        media_->region = value;
    else if (name == "id")
        media_->id = value;
    else if (name == "begin")
        media_->begin = timeOf(value, patterns_);
    else if (name == "end")
        media_->end = timeOf(value, patterns_);
}
