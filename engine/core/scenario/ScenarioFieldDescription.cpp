#include "engine/core/scenario/ScenarioFieldDescription.h"

void CScenarioFieldDescription::splitInto(CVXLStringArray& list, const CVXLString& commaList)
{
    list.clear();
    if (commaList.length() == 0)
        return;
    int start = 0;
    for (;;) {
        const CVXLString member = commaList.substrUntil(',', start);
        list.insertAt(member, -1);
        const int comma = commaList.findChar(',', start);
        if (comma < 0)
            break;
        start = comma + 1;
    }
}

void CScenarioFieldDescription::setType(const CVXLString& name)
{
    typeCode_ = scenarioFieldTypeOf(name.c_str());
    typeNames_.clear();
    if (typeCode_ == kFieldTypeList)
        splitInto(typeNames_, name);
}

int CScenarioFieldDescription::typeIndex(std::int32_t code) const
{
    if (typeCode_ == code && code != kFieldTypeList)
        return 0;
    if (typeCode_ != kFieldTypeList)
        return -1;
    for (std::uint32_t i = 0; i < typeNames_.count(); ++i) {
        if (scenarioFieldTypeOf(typeNames_.at(static_cast<int>(i)).c_str()) == code)
            return static_cast<int>(i);
    }
    return -1;
}

std::int32_t CScenarioFieldDescription::minAt(std::uint32_t i) const
{
    return min_.at(static_cast<int>(i)).toInt();
}

std::int32_t CScenarioFieldDescription::maxAt(std::uint32_t i) const
{
    return max_.at(static_cast<int>(i)).toInt();
}

void CScenarioFieldDescription::appendMin(std::int32_t value)
{
    min_.insertAt(CVXLString(value), -1);
}

void CScenarioFieldDescription::appendMax(std::int32_t value)
{
    max_.insertAt(CVXLString(value), -1);
}

void CScenarioFieldDescription::setMinList(const CVXLString& commaList)
{
    splitInto(min_, commaList);
}

void CScenarioFieldDescription::setMaxList(const CVXLString& commaList)
{
    splitInto(max_, commaList);
}

void CScenarioFieldDescription::setBitSets(
    std::uint32_t inputFormats, std::uint32_t modifiers, std::uint32_t fonts)
{
    inputFormats_ = inputFormats;
    modifiers_ = modifiers;
    fonts_ = fonts;
}
