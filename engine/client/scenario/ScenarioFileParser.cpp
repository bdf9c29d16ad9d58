#include "engine/client/scenario/ScenarioFileParser.h"

#include "engine/client/scenario/ScenarioClientFace.h"
#include "engine/core/scenario/ScenarioField.h"
#include "engine/core/scenario/ScenarioLayout.h"
#include "engine/core/scenario/VXLTextPair.h"
#include "engine/core/base/VXLLog.h"
#include "engine/core/settings/VXLPersKeys.h"
#include "engine/screens/VXLMenuItemElement.h"

namespace {

struct UploadLimit {
    const char* attribute;
    const char* setting;
};

constexpr UploadLimit kUploadLimits[] = {
    { "MAX_PHOTO_UPLOAD_SIZE", "vrax.max_image_upload_size" },
    { "MAX_VIDEO_UPLOAD_SIZE", "vrax.max_video_upload_size" },
    { "MAX_AUDIO_UPLOAD_SIZE", "vrax.max_audio_upload_size" },
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

bool isYes(const CVXLString& value)
{
    return value == "Y" || value == "y";
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
        }
        else if (name == "rel")
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

// Destinations pass.

void CScenarioFileParser::destinationStart(const CVXLString& name)
{
    const bool category = name == "cat";
    if (category || name == "dest") {
        // A category or destination inside the entry being collected is
        // misplaced: it must neither replace nor rewrite that entry.
        if (currentEntry_) {
            tagIgnored_ = true;
            return;
        }
        // An element without an id must not take the id of the one before.
        currentId_.clear();
        currentIsCategory_ = category;
        setState(category ? kStateCategory : kStateDestination);
    } else if (name == "name") {
        setState(kStateEntryName);
    } else if (name == "descr") {
        setState(kStateEntryDescription);
    } else if (name == "destList") {
        setState(kStateNone);
        if (!currentEntry_)
            collectState_ = kCollectSearching;
    }
}

void CScenarioFileParser::destinationAttribute(const CVXLString& name, const CVXLString& value)
{
    if (parseState_ != kStateCategory && parseState_ != kStateDestination)
        return;
    if (name == "id") {
        currentId_ = value;
        return;
    }
    if (name == "lev") {
        destinationLevel(value.toInt());
        return;
    }
    // Media links belong to the destination entry this very tag created.
    if (parseState_ != kStateDestination || !currentEntry_ || !entryFromThisTag_)
        return;
    if (name == "medialinkmenu") {
        currentEntry_->setMenuMediaLink(value);
        currentEntry_->setMenuMimeType(CVXLMenuItemElement::kDefaultImageMimeType);
    } else if (name == "mimetypemenu") {
        if (currentEntry_->getMenuMediaLink().length() > 0)
            currentEntry_->setMenuMimeType(value);
    } else if (name == "medialinkbutton") {
        currentEntry_->setButtonMediaLink(value);
        currentEntry_->setButtonMimeType(CVXLMenuItemElement::kDefaultImageMimeType);
    } else if (name == "mimetypebutton") {
        if (currentEntry_->getButtonMediaLink().length() > 0)
            currentEntry_->setButtonMimeType(value);
    }
}

void CScenarioFileParser::destinationLevel(std::int32_t level)
{
    const bool topLevel = categoryId_.length() == 0;
    switch (collectState_) {
    case kCollectSearching:
        if (currentIsCategory_) {
            if (level == 0 && topLevel) {
                level_ = 0;
                collectState_ = kCollectCategory;
                createEntry();
            } else if (!topLevel && currentId_ == categoryId_) {
                // Only a named category can be the one asked for; an entry
                // without an id must not open a level under the top level.
                level_ = static_cast<std::int64_t>(level) + 1;
                collectState_ = kCollectInside;
            }
        } else if (level == 0 && topLevel) {
            level_ = 0;
            collectState_ = kCollectDestination;
            createEntry();
        }
        break;
    case kCollectInside:
    case kCollectCategory:
    case kCollectDestination:
        if (level == level_) {
            collectState_ = currentIsCategory_ ? kCollectCategory : kCollectDestination;
            createEntry();
        } else {
            // Any entry above the collected level ends the wanted category,
            // a destination as well as a category.
            collectState_ = level < level_ ? kCollectPast : kCollectInside;
        }
        break;
    default:
        break;
    }
}

void CScenarioFileParser::createEntry()
{
    delete currentEntry_;
    currentEntry_ = new CVXLMenuItemElement();
    if (!currentEntry_) {
        fail();
        return;
    }
    currentEntry_->setId(currentId_);
    currentEntry_->setCategory(currentIsCategory_);
    entryDepth_ = depth_;
    entryFromThisTag_ = true;
}

void CScenarioFileParser::destinationText(const CVXLString& text)
{
    if (!currentEntry_ || depth_ != entryDepth_ + 1)
        return;
    if (collectState_ != kCollectCategory && collectState_ != kCollectDestination)
        return;
    if (parseState_ == kStateEntryName)
        currentEntry_->setText(text);
    else if (parseState_ == kStateEntryDescription)
        currentEntry_->setDescription(text);
}

void CScenarioFileParser::destinationEnd(const CVXLString& name)
{
    if (currentEntry_ && depth_ == entryDepth_) {
        CVXLMenuItemElement* entry = currentEntry_;
        currentEntry_ = nullptr;
        if (!entry->isCategory())
            entry->loadIcons();
        if (!entries_.insertAt(entry, -1))
            delete entry;
        return;
    }
    if (name == "destList" && ownState_[depth_])
        stopWanted_ = true;
}

// Scenario pass.

void CScenarioFileParser::scenarioStart(const CVXLString& name)
{
    if (name == "scenario") {
        setState(kStateScenario);
        return;
    }
    if (!matched_)
        return;
    if (name == "err") {
        setState(kStateError);
    } else if (name == "field") {
        if (!definition_->addField(new CScenarioField())) {
            fail();
            return;
        }
        setState(kStateField);
    } else if (name == "ferr") {
        setState(kStateFieldError);
    } else if (name == "layout") {
        setState(kStateLayout);
    } else if (name == "scenCfg") {
        setState(kStateScenarioConfig);
    } else if (name == "wait") {
        setState(kStateWait);
    } else if (name == "name") {
        if (parseState_ == kStateLayout)
            setState(kStateFieldName);
    } else if (name == "lsk") {
        setState(kStateLeftKey);
    } else if (name == "rsk") {
        setState(kStateRightKey);
    } else if (name == "li") {
        setState(kStateValue);
    } else if (name == "data") {
        setState(kStateData);
    } else if (name == "helpUrl") {
        setState(kStateHelpUrl);
    } else if (!softKeyTransition(name)) {
        fail();
    }
}

// "label", "t", "f", "action" and "rule" by the enclosing state; false when
// one of them stands where none is allowed.
std::int32_t CScenarioFileParser::softKeyState(const CVXLString& name, std::int32_t from)
{
    if (name == "t") {
        switch (from) {
        case kStateRightLabel:
        case kStateRightCaptionFalse:
            return kStateRightCaptionTrue;
        case kStateLeftLabel:
        case kStateLeftCaptionFalse:
            return kStateLeftCaptionTrue;
        case kStateRightAction:
        case kStateRightActionFalse:
            return kStateRightActionTrue;
        case kStateLeftAction:
        case kStateLeftActionFalse:
            return kStateLeftActionTrue;
        default:
            return kStateNone;
        }
    }
    if (name == "f") {
        switch (from) {
        case kStateRightLabel:
        case kStateRightCaptionTrue:
            return kStateRightCaptionFalse;
        case kStateLeftLabel:
        case kStateLeftCaptionTrue:
            return kStateLeftCaptionFalse;
        case kStateRightAction:
        case kStateRightActionTrue:
            return kStateRightActionFalse;
        case kStateLeftAction:
        case kStateLeftActionTrue:
            return kStateLeftActionFalse;
        default:
            return kStateNone;
        }
    }
    if (name == "action") {
        switch (from) {
        case kStateLeftKey:
        case kStateLeftLabel:
        case kStateLeftCaptionTrue:
        case kStateLeftCaptionFalse:
            return kStateLeftAction;
        case kStateRightKey:
        case kStateRightLabel:
        case kStateRightCaptionTrue:
        case kStateRightCaptionFalse:
            return kStateRightAction;
        default:
            return kStateNone;
        }
    }
    // "rule"
    switch (from) {
    case kStateLeftKey:
    case kStateLeftAction:
    case kStateLeftActionTrue:
    case kStateLeftActionFalse:
        return kStateLeftRule;
    case kStateRightKey:
    case kStateRightAction:
    case kStateRightActionTrue:
    case kStateRightActionFalse:
        return kStateRightRule;
    default:
        return kStateNone;
    }
}

bool CScenarioFileParser::softKeyTransition(const CVXLString& name)
{
    if (name == "label") {
        switch (parseState_) {
        case kStateLayout:
            setState(kStateCaption);
            return true;
        case kStateRightKey:
            setState(kStateRightLabel);
            return true;
        case kStateLeftKey:
            setState(kStateLeftLabel);
            return true;
        default:
            return false;
        }
    }
    if (name == "t" || name == "f" || name == "action" || name == "rule") {
        const std::int32_t next = softKeyState(name, parseState_);
        if (next == kStateNone)
            return false;
        setState(next);
    }
    return true;
}

void CScenarioFileParser::scenarioAttribute(const CVXLString& name, const CVXLString& value)
{
    if (parseState_ == kStateScenario) {
        if (name == "id") {
            if (value == scenarioId_ && !matched_) {
                matched_ = true;
                definition_->setId(value);
                scenarioDepth_ = depth_;
            }
            return;
        }
        if (!matched_ || depth_ != scenarioDepth_)
            return;
        if (name == "cookie")
            definition_->setCookie(value);
        else if (name == "destinationurl")
            definition_->setDestinationUrl(value);
        else if (name == "initFocus")
            definition_->setInitialFocus(value.toInt());
        else if (name == "haspri")
            definition_->setHasPriority(value == "Y");
        else if (name == "type" && value == "config")
            definition_->setIsConfiguration(true);
        return;
    }
    if (!matched_)
        return;
    CScenarioField* field = definition_->lastField();
    switch (parseState_) {
    case kStateField:
        if (!field)
            break;
        if (name == "fid")
            field->setFieldId(value);
        else if (name == "outgoing")
            field->setOutgoing(isYes(value));
        break;
    case kStateLayout: {
        if (!field)
            break;
        CScenarioFieldDescription& fieldDescription = field->fieldDescription();
        if (name == "edit")
            fieldDescription.setEditable(isYes(value));
        else if (name == "vis")
            fieldDescription.setVisible(isYes(value));
        else if (name == "min")
            fieldDescription.setMinList(value);
        else if (name == "max")
            fieldDescription.setMaxList(value);
        else if (name == "type")
            fieldDescription.setType(value);
        else if (name == "con")
            fieldDescription.setInputFormats(scenarioInputFormatsOf(value.c_str()));
        else if (name == "mod")
            fieldDescription.setModifiers(scenarioModifiersOf(value.c_str()));
        else if (name == "fnt")
            fieldDescription.setFonts(scenarioFontsOf(value.c_str()));
        break;
    }
    case kStateScenarioConfig: {
        CScenarioConfigLink& link = definition_->configLink();
        definition_->setHasConfiguration(true);
        if (name == "cfg") {
            link.setConfigured(isYes(value));
        } else if (name == "lt") {
            if (value == "http")
                link.setKind(kLinkHttp);
            else if (value == "scen")
                link.setKind(kLinkScenario);
        } else if (name == "link") {
            link.setLink(value);
        }
        break;
    }
    case kStateWait:
        if (name == "action" && value == "send")
            definition_->setWaitAction(kWaitActionSend);
        break;
    default:
        break;
    }
}

void CScenarioFileParser::scenarioText(const CVXLString& text)
{
    if (!matched_)
        return;
    CScenarioField* field = definition_->lastField();
    CScenarioLabel* right = field ? &field->fieldDescription().rightSoftKey() : nullptr;
    CScenarioLabel* left = field ? &field->fieldDescription().leftSoftKey() : nullptr;
    switch (parseState_) {
    case kStateNone:
    case kStateConfig:
    case kStateScenario:
    case kStateField:
    case kStateLayout:
    case kStateData:
    case kStateLeftKey:
    case kStateRightKey:
    case kStateRightLabel:
    case kStateLeftLabel:
    case kStateRightAction:
    case kStateLeftAction:
        break;
    case kStateError:
        definition_->setErrorText(text);
        break;
    case kStateScenarioConfig:
        definition_->configLink().setText(text);
        break;
    case kStateWait:
        definition_->setWaitText(text);
        break;
    case kStateFieldError:
        if (field)
            field->setErrorText(text);
        break;
    case kStateCaption:
        if (field)
            field->fieldDescription().setCaption(text);
        break;
    case kStateFieldName:
        if (field)
            field->fieldDescription().setName(text);
        break;
    case kStateValue:
        if (field)
            field->values().append(text);
        break;
    case kStateHelpUrl:
        if (field)
            field->setHelpUrl(text);
        break;
    case kStateRightCaptionTrue:
        if (right)
            right->captions().setFirst(text);
        break;
    case kStateRightCaptionFalse:
        if (right)
            right->captions().setSecond(text);
        break;
    case kStateLeftCaptionTrue:
        if (left)
            left->captions().setFirst(text);
        break;
    case kStateLeftCaptionFalse:
        if (left)
            left->captions().setSecond(text);
        break;
    case kStateRightActionTrue:
    case kStateRightActionFalse:
        if (right)
            right->setActionFromKeyword(parseState_ == kStateRightActionTrue, text.c_str());
        break;
    case kStateLeftActionTrue:
    case kStateLeftActionFalse:
        if (left)
            left->setActionFromKeyword(parseState_ == kStateLeftActionTrue, text.c_str());
        break;
    case kStateRightRule:
        if (right)
            right->setRule(text);
        break;
    case kStateLeftRule:
        if (left)
            left->setRule(text);
        break;
    default:
        fail();
        break;
    }
}

void CScenarioFileParser::scenarioEnd(const CVXLString& name)
{
    if (name == "scenario" && matched_ && depth_ == scenarioDepth_)
        stopWanted_ = true;
    else if (name == "scenarios" && !matched_)
        stopWanted_ = true;
}
