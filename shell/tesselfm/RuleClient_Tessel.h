#pragma once

#include "shell/tesselfm/RuleClientBase.h"

#include <string>

// The SMS rule client: a text message of the service carries the marker
// "_frsthgl"; the client rewrites it into a message of class
// "IPM.SMSText.Tessel" whose body is the text before the marker and whose
// subject is that text cut at "Click Go" and at the first line feed where
// they lie before the marker. Every other message is left untouched (not
// even saved). The device model "Palm Treo 800" handles these itself.
namespace tessel::fm {

inline constexpr const char* kServiceMarker = "_frsthgl";
inline constexpr const char* kClickGo = "Click Go";
inline constexpr const char* kSkippedModel = "Palm Treo 800";
inline constexpr const char* kUnknownSender = "Unknown";
inline constexpr std::int32_t kNoticeFromService = 2;
inline constexpr std::int32_t kNoticeFromUnknown = 3;
inline constexpr std::int32_t kImportanceNormal = 1;

class CRuleClient_Tessel : public CRuleClientBase {
public:
    // A new client with one reference.
    static com::HResult create(com::IUnknown** object);

    com::HResult initialize(mapi::MessageStore* store, std::int32_t* access) override;
    com::HResult processMessage(mapi::MessageStore* store, std::uint32_t entryIdSize,
        const std::uint8_t* entryId, std::uint32_t folderIdSize, const std::uint8_t* folderId,
        std::uint32_t* eventType, std::int32_t* handled) override;

    // The body and subject of a text, or false when it carries no marker.
    static bool splitNotice(const std::string& text, std::string* body, std::string* subject);

private:
    CRuleClient_Tessel() = default;
    ~CRuleClient_Tessel() override;
};

} // namespace tessel::fm
