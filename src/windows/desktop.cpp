// What Windows tells of the desktop: the user's keyboard delay, and the
// primary monitor with its work area (the desktop less the task bar).
#include "desktop.h"

#include <windows.h>

namespace {

// The keyboard delay's steps: 0 ... 3 for 250 ... 1000 ms.
constexpr std::chrono::milliseconds DELAY_STEP{250};

// The style of the library's window, whose frame takes room from the work
// area.
constexpr DWORD WINDOW_STYLE = WS_SYSMENU | WS_CAPTION | WS_MINIMIZEBOX;
constexpr DWORD WINDOW_EX_STYLE = WS_EX_APPWINDOW;

screen_size size_of(RECT rect) { return {rect.right - rect.left, rect.bottom - rect.top}; }

} // namespace

desktop_facts read_desktop()
{
    desktop_facts facts = {DEFAULT_REPEAT_DELAY, {}, {}, {}, {}};
    int delay = 0;
    if (SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0))
        facts.repeat_delay = DELAY_STEP * (delay + 1);
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    if (!GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary))
        return facts;
    facts.primary = {size_of(primary.rcMonitor), primary.rcMonitor.left, primary.rcMonitor.top};
    RECT frame = {0, 0, 0, 0};
    if (AdjustWindowRectEx(&frame, WINDOW_STYLE, FALSE, WINDOW_EX_STYLE)) {
        const screen_size work = size_of(primary.rcWork), border = size_of(frame);
        facts.window_room = {work.width - border.width, work.height - border.height};
    }
    return facts;
}
