// Where the viewer's own words go: its answers to --help and --version,
// and the one line that says why it cannot go on.
#pragma once

#include <string>

// Before anything is written. On Windows, a windowed program has no
// console of its own: where its output goes nowhere else, it writes to the
// console it was typed in (cmd.exe, PowerShell), if any. Elsewhere, nothing.
void find_the_console();

// Says `line` where the user sees it: on the standard error (on Windows,
// where that goes nowhere, as a message box, since the viewer was started
// from a shortcut or Explorer).
void tell_the_user(const std::string &line);
