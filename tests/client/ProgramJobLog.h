#pragma once

#include "engine/client/machine/KORVFunctionHelper.h"
#include "engine/client/machine/VXLUiJobStack.h"
#include "engine/client/program/KORVBuiltins.h"
#include "engine/client/program/Producer.h"
#include "engine/screens/VXLUiJob.h"
#include "tests/support/ScriptedUiJobs.h"

#include <map>
#include <string>
#include <vector>

// The UI jobs the program starts on the Producer's stack, whatever pool they
// come from: the built-ins are the given ones, with "@uijob_go" wrapped to
// note the type of the job it starts and the watched properties the program
// handed it before the start ("<ref>" for an object, as ScriptedUiJobPool
// renders them).
class ProgramJobLog {
public:
    struct Started {
        int type;
        std::map<std::string, std::string> properties;
    };

    explicit ProgramJobLog(CKORVBuiltins& builtins)
        : builtins_(builtins)
    {
    }

    // Every machine the Producer pushes from now on gets the wrapped table.
    void attach(CProducer& producer) { producer.setBuiltinInstaller(&install, this); }

    std::vector<int> types() const
    {
        std::vector<int> out;
        for (const Started& s : started)
            out.push_back(s.type);
        return out;
    }

    std::vector<Started> started;
    std::vector<std::string> watched;

private:
    static void install(CKORVFunctionHelper& helper, void* context)
    {
        auto* self = static_cast<ProgramJobLog*>(context);
        self->builtins_.install(helper);
        helper.setBuiltin(CKORVBuiltins::kGoUiJob, &go, self);
    }

    // As the built-in: the current job starts under the machine unless it
    // runs already.
    static int go(CKORVFunctionHelper& helper, void* context)
    {
        auto* self = static_cast<ProgramJobLog*>(context);
        CVXLUiJobStack* stack = helper.uiJobs();
        if (!stack)
            return 1;
        CVXLUiJob* job = stack->current();
        if (job && !job->parent()) {
            Started s {job->typeId(), {}};
            for (const std::string& name : self->watched) {
                if (job->hasProperty(name.c_str()))
                    s.properties[name] = ScriptedUiJobPool::render(job->property(name.c_str()));
            }
            self->started.push_back(s);
        }
        stack->startCurrent(helper.machine());
        return 1;
    }

    CKORVBuiltins& builtins_;
};
