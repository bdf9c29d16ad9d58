#include "engine/client/scenario/ScenarioFileParser.h"

#include "engine/client/scenario/ScenarioClientFace.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/VXLTextPair.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLMenuItemElement.h"

namespace {

struct UploadLimit {
    const char* attribute;
    const char* setting;
};

constexpr UploadLimit kUploadLimits[] = {
    {"MAX_PHOTO_UPLOAD_SIZE", "vrax.max_image_upload_size"},
    {"MAX_VIDEO_UPLOAD_SIZE", "vrax.max_video_upload_size"},
    {"MAX_AUDIO_UPLOAD_SIZE", "vrax.max_audio_upload_size"},
};

static_assert(sizeof kUploadLimits / sizeof kUploadLimits[0] == CScenarioFileParser::kConfigItems);

constexpr int kAttributeRanks = 4;

// Attributes that others depend on are applied first: the id names the
// entry or scenario, the level creates the entry, a media link comes before
// its MIME type.
int attributeRank(const CVXLString& name)
{
    if (name == "id")
        return 0;
    if (name == "lev")
        return 1;
    if (name == "medialinkmenu" || name == "medialinkbutton")
        return 2;
    return 3;
}

} // namespace

CScenarioFileParser::CScenarioFileParser() = default;

CScenarioFileParser::~CScenarioFileParser()
{
    deleteEntries();
    dropWork();
}

void CScenarioFileParser::begin(std::int32_t pass)
{
    dropWork();
    pass_ = pass;
    failed_ = false;
    stopWanted_ = false;
    depth_ = 0;
    parseState_ = kStateNone;
    tagPending_ = false;
    tagAttributeNames_.clear();
    tagAttributeValues_.clear();
    currentId_.clear();
    attributeName_.clear();
    matched_ = false;
    definition_ = nullptr;
}

void CScenarioFileParser::beginConfiguration()
{
    begin(kPassConfiguration);
    // A file without a release must not inherit the one read before.
    releaseText_.clear();
}

void CScenarioFileParser::beginDestinations(const CVXLString& categoryId)
{
    begin(kPassDestinations);
    deleteEntries();
    categoryId_ = categoryId;
    collectState_ = kCollectSearching;
    level_ = 0;
}

void CScenarioFileParser::beginScenario(const CVXLString& scenarioId, CScenarioLayout* definition)
{
    begin(kPassScenario);
    scenarioId_ = scenarioId;
    definition_ = definition;
    // A full reset: a definition used before must not keep the destination
    // or configuration of another scenario.
    if (definition_)
        definition_->clear();
    else
        fail();
}

void CScenarioFileParser::end()
{
    dropWork();
    pass_ = kPassNone;
    definition_ = nullptr;
    collectState_ = kCollectSearching;
}

void CScenarioFileParser::dropWork()
{
    delete currentEntry_;
    currentEntry_ = nullptr;
    delete currentLink_;
    currentLink_ = nullptr;
    for (std::uint32_t i = 0; i < links_.count(); ++i)
        delete static_cast<CVXLTextPair*>(links_.at(static_cast<int>(i)));
    links_.clear();
    droppedLinks_ = 0;
    configEnded_ = false;
    hasLanguage_ = false;
    for (bool& has : hasLimit_)
        has = false;
}

bool CScenarioFileParser::applyConfiguration()
{
    if (pass_ != kPassConfiguration || failed_ || !configEnded_) {
        VXL_LOG_FAILURE("vxlcfg.xml: configuration cut short or malformed; nothing applied");
        return false;
    }
    if (!client_)
        return true;
    if (hasLanguage_)
        client_->setPersistentString(kPersVraxDataLang, language_);
    for (std::uint32_t i = 0; i < kConfigItems; ++i) {
        if (hasLimit_[i])
            client_->setPersistentString(kUploadLimits[i].setting, limits_[i]);
    }
    client_->setPersistentString(kPersVraxVerId, releaseText_);
    client_->clearMenuLinks();
    for (std::uint32_t i = 0; i < links_.count(); ++i)
        client_->addMenuLink(static_cast<CVXLTextPair*>(links_.at(static_cast<int>(i))));
    links_.clear();
    if (droppedLinks_ > 0)
        VXL_LOG_INFO("vxlcfg.xml: %u menu links beyond %u dropped", droppedLinks_, kMaxMenuLinks);
    return true;
}

void CScenarioFileParser::deleteEntries()
{
    for (std::uint32_t i = 0; i < entries_.count(); ++i)
        delete static_cast<CVXLMenuItemElement*>(entries_.at(static_cast<int>(i)));
    entries_.clear();
}

void CScenarioFileParser::element(const CVXLString& name, bool start)
{
    if (!takesInput())
        return;
    flushTag();
    if (!takesInput())
        return;
    if (start) {
        tagPending_ = true;
        tagName_ = name;
        return;
    }
    if (depth_ == 0)
        return;
    switch (pass_) {
    case kPassConfiguration:
        configurationEnd(name);
        break;
    case kPassDestinations:
        destinationEnd(name);
        break;
    case kPassScenario:
        scenarioEnd(name);
        break;
    default:
        break;
    }
    --depth_;
    parseState_ = stateStack_[depth_];
}

void CScenarioFileParser::attribute(const CVXLString& name, const CVXLString& value)
{
    if (!takesInput() || !tagPending_)
        return;
    tagAttributeNames_.insertAt(name, -1);
    tagAttributeValues_.insertAt(value, -1);
}

void CScenarioFileParser::text(const CVXLString& text)
{
    if (!takesInput())
        return;
    flushTag();
    if (!takesInput() || depth_ == 0 || !ownState_[depth_])
        return;
    switch (pass_) {
    case kPassConfiguration:
        configurationText(text);
        break;
    case kPassDestinations:
        destinationText(text);
        break;
    case kPassScenario:
        scenarioText(text);
        break;
    default:
        break;
    }
}

// Handles the start tag read last, now that all its attributes are known.
void CScenarioFileParser::flushTag()
{
    if (!tagPending_)
        return;
    tagPending_ = false;
    if (depth_ >= kMaxDepth) {
        fail();
        return;
    }
    ++depth_;
    parseState_ = stateStack_[depth_ - 1];
    ownState_[depth_] = false;
    tagIgnored_ = false;
    entryFromThisTag_ = false;
    switch (pass_) {
    case kPassConfiguration:
        configurationStart(tagName_);
        break;
    case kPassDestinations:
        destinationStart(tagName_);
        break;
    case kPassScenario:
        scenarioStart(tagName_);
        break;
    default:
        break;
    }
    stateStack_[depth_] = parseState_;
    for (int rank = 0; rank < kAttributeRanks; ++rank) {
        for (std::uint32_t i = 0; i < tagAttributeNames_.count(); ++i) {
            if (!takesInput() || !ownState_[depth_] || tagIgnored_)
                break;
            const CVXLString name = tagAttributeNames_.at(static_cast<int>(i));
            if (attributeRank(name) == rank)
                applyAttribute(name, tagAttributeValues_.at(static_cast<int>(i)));
        }
    }
    tagAttributeNames_.clear();
    tagAttributeValues_.clear();
}

void CScenarioFileParser::applyAttribute(const CVXLString& name, const CVXLString& value)
{
    switch (pass_) {
    case kPassConfiguration:
        configurationAttribute(name, value);
        break;
    case kPassDestinations:
        destinationAttribute(name, value);
        break;
    case kPassScenario:
        scenarioAttribute(name, value);
        break;
    default:
        break;
    }
}

void CScenarioFileParser::setState(std::int32_t state)
{
    parseState_ = state;
    ownState_[depth_] = true;
}

std::int32_t CScenarioFileParser::parentState() const
{
    return depth_ > 0 ? stateStack_[depth_ - 1] : kStateNone;
}

// Configuration pass.

void CScenarioFileParser::configurationStart(const CVXLString& name)
{
    if (name == "config") {
        setState(kStateConfig);
    } else if (name == "menuUrls") {
        setState(kStateMenuUrls);
    } else if (name == "url") {
        delete currentLink_;
        currentLink_ = new CVXLTextPair();
        setState(kStateUrl);
    } else if (name == "attributes") {
        setState(kStateAttributes);
    } else if (name == "attr" && parentState() == kStateAttributes) {
        attributeName_.clear();
        setState(kStateAttribute);
    }
}

void CScenarioFileParser::configurationAttribute(const CVXLString& name, const CVXLString& value)
{
    switch (parseState_) {
    case kStateConfig:
        if (name == "lang") {
            language_ = value;
            hasLanguage_ = true;
        } else if (name == "rel")
            releaseText_ = value;
        break;
    case kStateUrl:
        if (name == "href" && currentLink_)
            currentLink_->setFirst(value);
        break;
    case kStateAttribute:
        if (name == "name")
            attributeName_ = value;
        break;
    default:
        break;
    }
}

void CScenarioFileParser::configurationText(const CVXLString& text)
{
    if (parseState_ == kStateUrl && currentLink_) {
        currentLink_->setSecond(text);
    } else if (parseState_ == kStateAttribute) {
        for (std::uint32_t i = 0; i < kConfigItems; ++i) {
            if (attributeName_ == kUploadLimits[i].attribute) {
                limits_[i] = text;
                hasLimit_[i] = true;
            }
        }
    }
}

void CScenarioFileParser::configurationEnd(const CVXLString& name)
{
    if (!ownState_[depth_])
        return;
    if (name == "config") {
        configEnded_ = true;
        stopWanted_ = true;
    } else if (name == "url" && currentLink_) {
        CVXLTextPair* link = currentLink_;
        currentLink_ = nullptr;
        if (links_.count() >= kMaxMenuLinks || !links_.insertAt(link, -1)) {
            delete link;
            ++droppedLinks_;
        }
    }
}
