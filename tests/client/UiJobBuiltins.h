#pragma once

#include "engine/client/machine/KORVFunctionHelper.h"
#include "engine/client/machine/VXLMachineCodes.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/core/base/VXLVariant.h"
#include "engine/screens/VXLUiJob.h"

// The UI-job built-ins that tests of the machine and the Producer install
// in their own tables, as the helper's table carries them.

inline int builtinUijSet(CKORVFunctionHelper& helper, void*)
{
    CVXLVariant value;
    CVXLVariant name;
    helper.values().pop(value);
    helper.values().pop(name);
    if (CVXLUiJob* job = helper.uiJobs()->current())
        job->setProperty(name.toString(), value);
    return 1;
}

inline int builtinSwitchToUiJob(CKORVFunctionHelper& helper, void*)
{
    CVXLVariant type;
    helper.values().pop(type);
    // As the shipped built-in: a type the pool cannot give fails the run.
    if (type.toInt() != 0 && !helper.uiJobs()->push(type.toInt(), helper.machine()))
        helper.machine()->fail(kResultMachineBadProgram);
    helper.setPendingResume(kNoResumeEvent);
    return 1;
}

inline int builtinUiJobGo(CKORVFunctionHelper& helper, void*)
{
    helper.uiJobs()->startCurrent(helper.machine());
    return 1;
}

inline int builtinWait(CKORVFunctionHelper& helper, void*)
{
    return helper.waitForNextEvent();
}
