#pragma once

#include "engine/core/base/VXLObject.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/scenario/ScenarioCodes.h"
#include "engine/core/scenario/ScenarioConfigLink.h"

#include <cstdint>

class CScenarioField;

// The definition of one scenario (one screen flow of the service): its
// fields, texts, destination and configuration. Read from "vxlcfg.xml" by the
// Scenario Manager or built in code; owns its fields; copies are deep.
//
// The scenario program asks four questions of a definition that the file
// only answers indirectly; they read it as follows.
// - Configured: a scenario needs configuring only when its "scenCfg" names a
//   configuration and the service has not yet marked it done ("cfg" not
//   "Y"); a scenario without "scenCfg" is configured.
// - Configuration scenario: the "link" of "scenCfg"; a scenario has one when
//   "scenCfg" is present and the link is not empty.
// - Configuration by URL: true unless the configuration is a scenario to run
//   ("lt" "scen" with a link), so the program opens an "http" link in the
//   browser and runs a "scen" link as a scenario; with no link it opens
//   nothing.
// - Media support: a field carrying the media type (its own type, or a member
//   of its type list) supports that medium unless its upper limit for that
//   type is written as 0 (a missing or empty limit does not restrict); the medium is
//   required when its lower limit is above 0.
class CScenarioLayout : public CVXLObject {
public:
    CScenarioLayout();
    CScenarioLayout(const CScenarioLayout& other);
    CScenarioLayout& operator=(const CScenarioLayout& other);
    ~CScenarioLayout() override;

    std::uint32_t fieldCount() const { return fields_.count(); }
    // Null when i is not below the count.
    CScenarioField* fieldAt(std::uint32_t i) const;
    // The last field, or null when there is none.
    CScenarioField* lastField() const;
    // Takes ownership; false (and the field deleted) when it cannot be held.
    bool addField(CScenarioField* field);
    // The first field of the type, directly or through its type list.
    CScenarioField* findField(std::int32_t typeCode) const;
    // True when every visible field is a help or title field.
    bool onlyHelpOrTitleVisible() const;

    // Clears the is-configuration flag and deletes every field.
    void reset();
    // reset, then empties the destination URL, the id and the link.
    void resetForLoad();
    // Everything back to a fresh definition's values.
    void clear();

    const CVXLString& id() const { return id_; }
    void setId(const CVXLString& id) { id_ = id; }
    const CVXLString& cookie() const { return cookie_; }
    void setCookie(const CVXLString& cookie) { cookie_ = cookie; }
    const CVXLString& errorText() const { return errorText_; }
    void setErrorText(const CVXLString& text) { errorText_ = text; }
    std::int32_t initialFocus() const { return initialFocus_; }
    void setInitialFocus(std::int32_t focus) { initialFocus_ = focus; }
    bool hasPriority() const { return hasPriority_ != 0; }
    void setHasPriority(bool priority) { hasPriority_ = priority ? 1 : 0; }
    const CVXLString& destinationUrl() const { return destinationUrl_; }
    void setDestinationUrl(const CVXLString& url) { destinationUrl_ = url; }
    bool hasDestinationUrl() const { return destinationUrl_.length() > 0; }

    const CScenarioConfigLink& configLink() const { return configLink_; }
    CScenarioConfigLink& configLink() { return configLink_; }
    void setConfigLink(const CScenarioConfigLink& link) { configLink_ = link; }
    bool hasConfiguration() const { return hasConfiguration_ != 0; }
    void setHasConfiguration(bool has) { hasConfiguration_ = has ? 1 : 0; }
    bool isConfiguration() const { return isConfiguration_ != 0; }
    void setIsConfiguration(bool is) { isConfiguration_ = is ? 1 : 0; }

    std::int32_t waitAction() const { return waitAction_; }
    void setWaitAction(std::int32_t action) { waitAction_ = action; }
    const CVXLString& waitText() const { return waitText_; }
    void setWaitText(const CVXLString& text) { waitText_ = text; }

    // The readings described above the class.
    bool isConfigured() const;
    bool hasConfigScenario() const;
    // The configuration scenario's name (or link), "" when there is none.
    CVXLString configScenario() const;
    bool configScenarioUrlCheck() const;
    bool supportsMedia(std::int32_t typeCode) const;
    bool requiresMedia(std::int32_t typeCode) const;
    bool supportsImage() const { return supportsMedia(kFieldImages); }
    bool supportsVideo() const { return supportsMedia(kFieldVideos); }
    // Text alone can be sent: a short-message field is supported and neither
    // images nor videos are required.
    bool supportsTextOnly() const;

private:
    void deleteFields();
    void copyFrom(const CScenarioLayout& other);

    CVXLString id_;
    CVXLString cookie_;
    CVXLString errorText_;
    std::int32_t initialFocus_ = 0;
    std::uint8_t hasPriority_ = 1;
    CVXLString destinationUrl_;
    CScenarioConfigLink configLink_;
    std::uint8_t hasConfiguration_ = 0;
    std::uint8_t isConfiguration_ = 0;
    std::int32_t waitAction_ = kWaitActionSend;
    CVXLString waitText_;
    CVXLPtrArray fields_;
};
