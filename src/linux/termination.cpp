// Termination requests on Linux: SIGINT, SIGTERM, SIGHUP and SIGQUIT, held
// back until the frame loop can act on them; a pending one is the signal's
// number. SIGCHLD gets its default action as they are held, so that the
// screenshot's child can be waited for even where SIGCHLD was ignored.
//
// They are never handled, only blocked and then seen with sigpending(): no
// code of the viewer's or the library's runs inside a signal, and the
// viewer needs no state of its own for them.
#include "termination.h"

#include <csignal>
#include <iterator>

#include "termination_set.h"

namespace {

// The signals whose bits are set in `mask`.
sigset_t set_of(unsigned mask)
{
    sigset_t set;
    sigemptyset(&set);
    for (unsigned i = 0; i < std::size(TERMINATION); ++i)
        if (mask >> i & 1)
            sigaddset(&set, TERMINATION[i]);
    return set;
}

} // namespace

sigset_t termination_set() { return set_of(~0U); }

termination_signals hold_termination_signals()
{
    termination_signals held = {};
    for (unsigned i = 0; i < std::size(TERMINATION); ++i) {
        struct sigaction action = {};
        if (sigaction(TERMINATION[i], nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
            held.ignored |= 1U << i;
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
    for (unsigned i = 0; i < std::size(TERMINATION); ++i)
        if (held.ignored >> i & 1)
            std::signal(TERMINATION[i], SIG_IGN);
    const sigset_t ignored = set_of(held.ignored);
    pthread_sigmask(SIG_UNBLOCK, &ignored, nullptr);
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

void release_termination_signals(termination_signals held)
{
    for (unsigned i = 0; i < std::size(TERMINATION); ++i)
        if (!(held.ignored >> i & 1))
            std::signal(TERMINATION[i], SIG_DFL);
    // A pending signal is delivered as it is unblocked.
    const sigset_t termination = termination_set();
    pthread_sigmask(SIG_UNBLOCK, &termination, nullptr);
}
