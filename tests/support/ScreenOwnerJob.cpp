#include "tests/support/ScreenOwnerJob.h"

#include "engine/client/VXLClient.h"
#include "engine/screens/VXLLayout.h"

void ScreenOwnerJob::wireTo(CVXLClient* client)
{
    setPool(client ? client->getUiJobPool() : nullptr);
}

void ScreenOwnerJob::own(CVXLLayout& layout)
{
    layout.setOwner(this);
}
