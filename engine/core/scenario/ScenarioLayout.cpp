#include "engine/core/scenario/ScenarioLayout.h"

#include "engine/core/scenario/ScenarioField.h"

CScenarioLayout::CScenarioLayout() = default;

CScenarioLayout::CScenarioLayout(const CScenarioLayout& other)
    : CVXLObject()
{
    copyFrom(other);
}

CScenarioLayout& CScenarioLayout::operator=(const CScenarioLayout& other)
{
    if (this != &other) {
        deleteFields();
        copyFrom(other);
    }
    return *this;
}

CScenarioLayout::~CScenarioLayout()
{
    deleteFields();
}

void CScenarioLayout::copyFrom(const CScenarioLayout& other)
{
    id_ = other.id_;
    cookie_ = other.cookie_;
    errorText_ = other.errorText_;
    initialFocus_ = other.initialFocus_;
    hasPriority_ = other.hasPriority_;
    destinationUrl_ = other.destinationUrl_;
    configLink_ = other.configLink_;
    hasConfiguration_ = other.hasConfiguration_;
    isConfiguration_ = other.isConfiguration_;
    waitAction_ = other.waitAction_;
    waitText_ = other.waitText_;
    for (std::uint32_t i = 0; i < other.fieldCount(); ++i) {
        auto* copy = new CScenarioField(*other.fieldAt(i));
        if (!copy || !addField(copy))
            break;
    }
}

void CScenarioLayout::deleteFields()
{
    for (std::uint32_t i = 0; i < fields_.count(); ++i)
        delete static_cast<CScenarioField*>(fields_.at(static_cast<int>(i)));
    fields_.clear();
}

CScenarioField* CScenarioLayout::fieldAt(std::uint32_t i) const
{
    if (i >= fields_.count())
        return nullptr;
    return static_cast<CScenarioField*>(fields_.at(static_cast<int>(i)));
}

CScenarioField* CScenarioLayout::lastField() const
{
    return fields_.count() ? fieldAt(fields_.count() - 1) : nullptr;
}

bool CScenarioLayout::addField(CScenarioField* field)
{
    if (!field)
        return false;
    if (!fields_.insertAt(field, -1)) {
        delete field;
        return false;
    }
    return true;
}

CScenarioField* CScenarioLayout::findField(std::int32_t typeCode) const
{
    for (std::uint32_t i = 0; i < fields_.count(); ++i) {
        CScenarioField* field = fieldAt(i);
        if (field->fieldDescription().typeCode() == typeCode
            || field->fieldDescription().typeIndex(typeCode) >= 0)
            return field;
    }
    return nullptr;
}

bool CScenarioLayout::onlyHelpOrTitleVisible() const
{
    for (std::uint32_t i = 0; i < fields_.count(); ++i) {
        const CScenarioFieldDescription& fieldDescription = fieldAt(i)->fieldDescription();
        if (fieldDescription.visible() && fieldDescription.typeCode() != kFieldHelp
            && fieldDescription.typeCode() != kFieldTitle)
            return false;
    }
    return true;
}

void CScenarioLayout::reset()
{
    isConfiguration_ = 0;
    deleteFields();
}

void CScenarioLayout::resetForLoad()
{
    reset();
    destinationUrl_.clear();
    id_.clear();
    configLink_.setConfigured(false);
    configLink_.setLink(CVXLString());
}

void CScenarioLayout::clear()
{
    deleteFields();
    id_.clear();
    cookie_.clear();
    errorText_.clear();
    initialFocus_ = 0;
    hasPriority_ = 1;
    destinationUrl_.clear();
    configLink_ = CScenarioConfigLink();
    hasConfiguration_ = 0;
    isConfiguration_ = 0;
    waitAction_ = kWaitActionSend;
    waitText_.clear();
}

bool CScenarioLayout::isConfigured() const
{
    return !hasConfiguration_ || configLink_.configured();
}

bool CScenarioLayout::hasConfigScenario() const
{
    return hasConfiguration_ && configLink_.link().length() > 0;
}

CVXLString CScenarioLayout::configScenario() const
{
    return hasConfigScenario() ? configLink_.link() : CVXLString();
}

bool CScenarioLayout::configScenarioUrlCheck() const
{
    return !(hasConfigScenario() && configLink_.kind() == kLinkScenario);
}

bool CScenarioLayout::supportsMedia(std::int32_t typeCode) const
{
    const CScenarioField* field = findField(typeCode);
    if (!field)
        return false;
    const CScenarioFieldDescription& fieldDescription = field->fieldDescription();
    const int index = fieldDescription.typeIndex(typeCode);
    if (index < 0 || !fieldDescription.hasMax(static_cast<std::uint32_t>(index)))
        return true;
    return fieldDescription.maxAt(static_cast<std::uint32_t>(index)) != 0;
}

bool CScenarioLayout::requiresMedia(std::int32_t typeCode) const
{
    const CScenarioField* field = findField(typeCode);
    if (!field)
        return false;
    const int index = field->fieldDescription().typeIndex(typeCode);
    return index >= 0 && field->fieldDescription().minAt(static_cast<std::uint32_t>(index)) > 0;
}

bool CScenarioLayout::supportsTextOnly() const
{
    return supportsMedia(kFieldShortMessage) && !requiresMedia(kFieldImages) && !requiresMedia(kFieldVideos);
}
