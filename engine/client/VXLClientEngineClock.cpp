#include "engine/client/VXLClientEngineClock.h"

#include "engine/client/VXLClient.h"

void CVXLClientEngineClock::postedOutsideTick()
{
    client_->clearLastTickResult();
}
