#pragma once

#include "engine/client/program/KORVServices.h"
#include "engine/core/base/VXLObject.h"
#include "engine/core/scenario/ScenarioLayout.h"

#include <cstdint>

class CKORVFunctionHelper;
class CScenarioLayout;
class CVXLVariant;

// The 46 built-in functions of the scenario language, installed into the
// table of each stack machine's helper. One object serves every machine of
// the Producer: what a call needs of its run lives in the machine and its
// helper, and the results a call makes for the program are kept by the helper
// until the run ends.
//
// References that built-ins push are engine objects (kind 1, full width): a
// scenario definition (CScenarioLayout) from "_load_scenario", an album
// summary request (CKORVAlbumSummaryRequest) from
// "_local_album_summary_for_storage_location". Built-ins that read a
// reference check its class; anything else reads as no object.
class CKORVBuiltins : public CVXLObject {
public:
    enum Index : std::uint32_t {
        kPrint = 0,
        kResetGlobalContacts = 1,
        kEnqueueReturnToIdle = 2,
        kGetMessageId = 3,
        kGetThreadAddress = 4,
        kSetResumeEvent = 5,
        kFwdToUiJob = 6,
        kSendToUiJob = 7,
        kSendSelf = 8,
        kAssert = 9,
        kGetCaptureAlbumLocation = 10,
        kGetStorageLocationFromAlbum = 11,
        kGetDefaultLocalAlbumLocation = 12,
        kCopyOemContacts = 13,
        kMamDeselectAll = 14,
        kReturnTo = 15,
        kIsScenarioConfigured = 16,
        kHasConfigScenario = 17,
        kGetThreadIdFromMessageSummary = 18,
        kLoadScenario = 19,
        kLaunchBrowserDestLocation = 20,
        kLaunchBrowserUriLocation = 21,
        kDestinationUrlCheck = 22,
        kConfigScenarioUrlCheck = 23,
        kGetConfigScenario = 24,
        kScenarioSupportsImage = 25,
        kScenarioSupportsVideo = 26,
        kScenarioSupportsTextOnly = 27,
        kIs3rdPartyUploadSupported = 28,
        kRefreshDestList = 29,
        kStorageLocationToLocus = 30,
        kLocalAlbumSummary = 31,
        kEvCracker = 32,
        kMediaStorageAreaToLocation = 33,
        kGetInternalConfig = 34,
        kEnqProcessUrlRequest = 35,
        kIsMsgNew = 36,
        kClearAllNewCounts = 37,
        kShowNonNewMessageSummaries = 38,
        kVxlGet = 39,
        kVxlSet = 40,
        kUijGet = 41,
        kUijSet = 42,
        kSwitchToUiJob = 43,
        kGoUiJob = 44,
        kWaitForNextEvent = 45,
        kCount = 46,
    };

    // The request the thread database takes to clear its new-message counts.
    static constexpr std::int32_t kRequestClearNewCounts = 5;

    // The services are not owned; null services answer as nothing there.
    explicit CKORVBuiltins(CKORVServices* services = nullptr);
    CKORVBuiltins(const CKORVBuiltins&) = delete;
    CKORVBuiltins& operator=(const CKORVBuiltins&) = delete;
    ~CKORVBuiltins() override;

    void setServices(CKORVServices* services) { services_ = services ? services : &none_; }
    CKORVServices& services() const { return *services_; }

    // Fills the helper's table with every built-in, this object as context.
    void install(CKORVFunctionHelper& helper);
    // The same as the Producer's installer; the context is a CKORVBuiltins.
    static void installInto(CKORVFunctionHelper& helper, void* context);

    // The definition a scenario reference names; an empty one for anything
    // that is not a definition.
    const CScenarioLayout& definitionOf(CKORVFunctionHelper& helper, const CVXLVariant& reference) const;

private:
    CKORVServices none_;
    CKORVServices* services_;
    CScenarioLayout emptyDefinition_;
};
