#pragma once

#include "engine/client/scenario/ScenarioFileParser.h"
#include "engine/client/scenario/ScenarioFileReader.h"
#include "engine/core/base/VXLPtrArray.h"
#include "engine/core/base/VXLString.h"
#include "engine/core/jobs/VXLEventHandler.h"
#include "engine/core/jobs/VXLSimpleEvent.h"

#include <cstdint>

class CScenarioClientFace;

// Reads the scenario configuration file "vxlcfg.xml" on request and turns
// the part a request asks for into engine data. Each request reads the whole
// file again, one request at a time (a request that arrives during a pass
// waits in the queue, since the running one stays in progress):
// - 0 (CScenarioRequestEvent): one level of the destination tree under a
//   category; the reply carries the entries, which stay the manager's.
// - 1 (CScenarioResultEvent): the definition of one scenario, filled into
//   the CScenarioLayout that the request carries; 95 with the text "792"
//   when the file holds no such scenario.
// - 2: the configuration part: server release, data language, menu links
//   and upload limits, into the Client's settings and menu links; then the
//   manager asks the Client to refresh the menu (request 3). Skipped, with
//   success, while "vrax.mdn_changed" is "true".
// - 3: pushes the menu-changed request to the Client's user-interface
//   requests.
// A file that cannot be read, is cut short or is not well-formed fails the
// request with 1000. A requester that cancels its running request ends the
// pass; stopping the manager answers the running request with 24.
class CScenarioManager : public CVXLEventHandler, public CScenarioFileReader::Listener {
public:
    static constexpr const char* kFileName = "vxlcfg.xml";

    enum Request : std::int32_t {
        kRequestDestinations = 0,
        kRequestScenario = 1,
        kRequestConfiguration = 2,
        kRequestRefreshMenu = 3,
    };

    // The result text for a scenario the file does not hold
    // (kResultScenarioUnavailable): the text id of "This third party service
    // is unavailable.".
    static constexpr const char* kScenarioUnavailableText = "792";

    // Takes ownership of the reader, which must come from new (null: every
    // reading request fails until one is set with setReader).
    explicit CScenarioManager(CScenarioFileReader* reader = nullptr);
    ~CScenarioManager() override;

    void setReader(CScenarioFileReader* reader);
    void setClient(CScenarioClientFace* client);

    void init() override;
    void onEvent(CVXLEvent* event) override;
    const char* name() const override { return "Scenario Manager"; }

    // The reader's listener.
    void element(const CVXLString& name, bool start) override;
    void text(const CVXLString& text) override;
    void attribute(const CVXLString& name, const CVXLString& value) override;
    void finished(std::int32_t result) override;

    // The entries of the last destinations pass (CVXLMenuItemElement).
    const CVXLPtrArray& destinationEntries() const { return parser_.entries(); }
    // The running pass (CScenarioFileParser::Pass).
    std::int32_t pass() const { return parser_.pass(); }

private:
    void beginDestinations(CVXLEvent* event);
    void beginScenario(CVXLEvent* event);
    void beginConfiguration(CVXLEvent* event);
    void onCancelNotice(CVXLEvent* event);
    bool takesInput() const { return parser_.pass() != CScenarioFileParser::kPassNone && !readingStopped_; }
    void afterCallback();
    void startReading();
    void stopReadingNow();
    void completeRequest();
    void failPass(std::int32_t result = kResultFailed);

    CScenarioFileReader* reader_ = nullptr;
    CScenarioClientFace* client_ = nullptr;
    CScenarioFileParser parser_;
    CVXLSimpleEvent notice_ {kRequestRefreshMenu};
    // The request of the running pass, in progress until the pass ends.
    CVXLEvent* request_ = nullptr;

    bool readerRunning_ = false;
    // The reader has not yet reported the end of an abandoned pass; the new
    // pass begins reading when it has.
    bool startPending_ = false;
    bool readingStopped_ = false;
};
