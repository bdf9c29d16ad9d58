#include "engine/client/scenario/ScenarioFileParser.h"

#include "engine/screens/VXLMenuItemElement.h"

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
