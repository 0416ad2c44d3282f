#include "StopSignals.h"

#include <KivThread.h>
#include <ORQLogging.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace {

const int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Written by uninstall: the reading thread ends.
constexpr unsigned char kEndReading = 0;

std::atomic<int> gWriteEnd{-1};
int gReadEnd = -1;
std::thread gReader;

const char *signalName(int signalNumber)
{
    switch (signalNumber) {
    case SIGTERM:
        return "SIGTERM";
    case SIGINT:
        return "SIGINT";
    case SIGHUP:
        return "SIGHUP";
    default:
        return "signal";
    }
}

extern "C" void onStopSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    const int fd = gWriteEnd.load(std::memory_order_relaxed);
    if (fd >= 0)
        (void)!::write(fd, &byte, 1);
    errno = savedErrno;
}

void readSignals(std::function<void()> requestClose)
{
    int received = 0;
    for (;;) {
        unsigned char byte = 0;
        const ssize_t n = ::read(gReadEnd, &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || byte == kEndReading)
            return;
        const int signalNumber = byte;
        if (++received == 1) {
            KIV_LOG(4, "%s received; closing\n", signalName(signalNumber));
            if (requestClose)
                requestClose();
        } else {
            KIV_LOG(4, "%s received again; ending at once\n", signalName(signalNumber));
            terminateProcess(0);
        }
    }
}

} // namespace

namespace StopSignals {

bool install(std::function<void()> requestClose)
{
    if (gReader.joinable())
        return true;
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return false;
    // The handler never waits, whatever happens to the reader.
    ::fcntl(ends[1], F_SETFL, O_NONBLOCK);
    gReadEnd = ends[0];
    gWriteEnd = ends[1];
    try {
        gReader = std::thread(readSignals, std::move(requestClose));
    } catch (...) {
        ::close(ends[0]);
        ::close(ends[1]);
        gReadEnd = -1;
        gWriteEnd = -1;
        return false;
    }
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kStopSignals)
        sigaction(signalNumber, &action, nullptr);
    return true;
}

void uninstall()
{
    if (!gReader.joinable())
        return;
    for (int signalNumber : kStopSignals)
        std::signal(signalNumber, SIG_DFL);
    const unsigned char end = kEndReading;
    while (::write(gWriteEnd, &end, 1) < 0 && errno == EINTR) {
    }
    gReader.join();
    const int writeEnd = gWriteEnd.exchange(-1);
    ::close(writeEnd);
    ::close(gReadEnd);
    gReadEnd = -1;
}

} // namespace StopSignals
