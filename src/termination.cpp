// Holding termination signals back until the frame loop can act on them.
//
// They are never handled, only blocked and then seen with sigpending(): no
// code of the viewer's or the library's runs inside a signal, and the
// viewer needs no state of its own for them.
#include "termination.h"

#include <sys/signalfd.h>

#include <csignal>

namespace {

constexpr int TERMINATION[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

sigset_t termination_set()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : TERMINATION)
        sigaddset(&set, signal);
    return set;
}

} // namespace

termination_signals hold_termination_signals()
{
    termination_signals held = {};
    sigemptyset(&held.ignored);
    for (const int signal : TERMINATION) {
        struct sigaction action = {};
        if (sigaction(signal, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
            sigaddset(&held.ignored, signal);
    }
    std::signal(SIGCHLD, SIG_DFL);
    const sigset_t termination = termination_set();
    pthread_sigmask(SIG_BLOCK, &termination, nullptr);
    return held;
}

void keep_ignored(termination_signals held)
{
    // Ignoring a signal drops it if it came meanwhile; unblocked, it is
    // dropped as it comes (a blocked signal is kept even when ignored).
    for (const int signal : TERMINATION)
        if (sigismember(&held.ignored, signal))
            std::signal(signal, SIG_IGN);
    pthread_sigmask(SIG_UNBLOCK, &held.ignored, nullptr);
}

int pending_termination()
{
    sigset_t pending;
    if (sigpending(&pending) == 0)
        for (const int signal : TERMINATION)
            if (sigismember(&pending, signal))
                return signal;
    return 0;
}

int termination_fd()
{
    const sigset_t termination = termination_set();
    return signalfd(-1, &termination, SFD_NONBLOCK | SFD_CLOEXEC);
}

void release_termination_signals(termination_signals held)
{
    for (const int signal : TERMINATION)
        if (!sigismember(&held.ignored, signal))
            std::signal(signal, SIG_DFL);
    // A pending signal is delivered as it is unblocked.
    const sigset_t termination = termination_set();
    pthread_sigmask(SIG_UNBLOCK, &termination, nullptr);
}
