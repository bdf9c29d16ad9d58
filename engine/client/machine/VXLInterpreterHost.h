#pragma once

#include <cstdint>

// What the interpreter asks of the job that runs it: built-ins, and the UI-job
// work of screen returns and halts.
class CVXLInterpreterHost {
public:
    virtual ~CVXLInterpreterHost() = default;

    // Runs built-in `index`; 1 lets the program go on, 0 suspends it.
    virtual int callBuiltin(std::uint32_t index) = 0;
    // A screen function is returning: release its UI job and have the
    // machine resumed once that is done.
    virtual void releaseScreenJob() = 0;
    // A screen function returned into another screen function.
    virtual void returnedIntoScreenFunction() = 0;
    // The run stopped by a halt or an error: release every UI job this
    // machine started.
    virtual void unwindScreenJobs() = 0;
};
