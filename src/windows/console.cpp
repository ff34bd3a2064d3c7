// The viewer's words on Windows. vexilo is a windowed program, so that no
// console window opens with it from a shortcut or Explorer; typed in a
// console, it writes to that one.
#include "console.h"

#include <windows.h>

#include <cstdio>
#include <io.h>

namespace {

// Whether `stream` leads somewhere: a console, a file or a pipe.
bool leads_somewhere(FILE *stream)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

void find_the_console()
{
    // Attached, the viewer also gets the console's Ctrl+C and Ctrl+Break.
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    // Output sent to a file or a pipe stays there.
    if (!leads_somewhere(stdout))
        std::freopen("CONOUT$", "w", stdout);
    if (!leads_somewhere(stderr))
        std::freopen("CONOUT$", "w", stderr);
}

void tell_the_user(const std::string &line)
{
    if (leads_somewhere(stderr))
        std::fprintf(stderr, "%s\n", line.c_str());
    else
        MessageBoxA(nullptr, line.c_str(), "vexilo", MB_OK | MB_ICONERROR);
}
