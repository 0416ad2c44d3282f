#pragma once

#include <functional>

// SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C, a closed terminal) close the program
// as "Quit" does; a second one ends it at once, as FORCE CLOSE does. The handlers only write
// the signal's number into a pipe; a thread of its own reads it, so a busy GUI thread does
// not hold the second one up. The fatal signals stay with the crash dump.
namespace StopSignals {

// requestClose runs on the reading thread and hands the close to the GUI thread. False when
// the pipe or the thread could not be had (the signals then keep their default).
bool install(std::function<void()> requestClose);
// Back to the default handling; the reading thread has ended when it returns.
void uninstall();

} // namespace StopSignals
