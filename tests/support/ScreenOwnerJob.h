#pragma once

#include "engine/screens/VXLUiJob.h"

#include <cstdint>
#include <vector>

class CVXLClient;
class CVXLLayout;

// The UI job that layouts a test makes by hand belong to, wired to a Client's
// UI-job pool as a job taken from it is: through it the layouts read the
// Client's texts, settings and global contacts. It keeps the actions they
// submit.
class ScreenOwnerJob : public CVXLUiJob {
public:
    explicit ScreenOwnerJob(int typeId = 0)
        : typeId_(typeId)
    {
    }

    // The Client's pool, and so its services.
    void wireTo(CVXLClient* client);
    // Makes the job the layout's owner.
    void own(CVXLLayout& layout);

    int typeId() const override { return typeId_; }
    void onLayoutAction(std::uint32_t eventId) override { actions.push_back(eventId); }

    std::vector<std::uint32_t> actions;

private:
    int typeId_;
};
