// The signals that ask the viewer to end, as one set.
#pragma once

#include <signal.h>

// SIGINT, SIGTERM, SIGHUP and SIGQUIT, in that order.
constexpr int TERMINATION[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

sigset_t termination_set();
