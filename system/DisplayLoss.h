#pragma once

#include <functional>

// The display going away (a logout, a dropped remote session, the X server ending) closes
// the program as a stop signal does. The platform plugin reports a broken display
// connection by the warning "The X11 connection broke" and then calls exit(), whose
// clean-up would meet worker threads still running and abort. The warning is caught here on
// the GUI thread, which is then held (it runs nothing more, so nothing draws on the lost
// display) while the workers stop as they do for a signal; the process then ends without
// exit()'s clean-up, or at once when they do not finish in time.
namespace DisplayLoss {

struct Hooks
{
    // Starts the closing sequence; runs on the GUI thread.
    std::function<void()> close;
    // Waits up to timeoutMs for the closing sequence to have stopped every worker.
    std::function<bool(int timeoutMs)> waitClosed;
    // How long the workers get before the process ends regardless.
    int closeTimeoutMs = 30000;
};

void install(Hooks hooks);
// Back to the message handler that was there before.
void uninstall();

// Whether the text is the platform's report of a broken display connection.
bool isConnectionLossMessage(const char *text);

} // namespace DisplayLoss
