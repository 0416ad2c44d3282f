#pragma once

#include <functional>

class System;

// Points where a caller may look at the running program (the integration tests do).
struct ProgramHooks
{
    // After the system has started, before the event loop runs.
    std::function<void(System &system)> started;
    // After the event loop, before the system is destroyed.
    std::function<void(System &system)> finished;
};

// Status of a start refused because another program holds the data folder.
constexpr int kAlreadyRunningExitCode = 2;

// The whole program: the system and the view factory before the application object, the
// start-up, the event loop, then the system's end while the application still exists.
// 0, or non-zero when the control thread's start-up failed or another program holds the
// data folder.
int runProgram(int argc, char **argv, const ProgramHooks &hooks = {});
