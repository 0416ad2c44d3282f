#pragma once

// Installs the crash hooks: fatal signals and std::terminate write
// "CRASH_DUMP_<seconds>.dmp" into the data folder, then the process ends with the
// original signal. Call once, early in main.
void installCrashDumpHandlers();

// Writes a dump for the given signal number and fault address now (used by the hooks;
// async-signal-safe). Returns true when the file was written.
bool writeCrashDump(int signalNumber, const void *faultAddress, const char *reason);

// Gives the calling thread its own alternate signal stack, so a stack overflow in it
// still writes a dump. Worker threads call it when they start.
void installThreadCrashStack();
