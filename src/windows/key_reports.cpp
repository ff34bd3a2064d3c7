// The keyboard's reports on Windows: the library's callback, on its input
// thread, queues each press and release as it comes and sets an event, on
// which the wait sleeps; the close button and the termination requests
// set it too, the console's from a thread of Windows' own at any moment.
#include "key_reports.h"

#include <allegro.h>
#include <winalleg.h>

#include <algorithm>
#include <array>
#include <timeapi.h>

namespace {

// The finest pace Windows' waits keep, in ms.
constexpr UINT WAIT_PRECISION = 1;

} // namespace

struct key_listener {
    HANDLE wake;
    std::array<key_report, 4096> queue; // were the loop ever this far behind, the newest would be lost
    size_t first, count;
};

namespace {

// The listener, and the lock under which every thread uses it: a report
// that has found it finishes before stop_listening() takes it away. The
// keyboard's callback takes no argument of its own, so both can live
// nowhere else.
SRWLOCK lock = SRWLOCK_INIT;
key_listener *listening = nullptr;

void report(int scancode)
{
    const key_report reported = report_of(pass_clock::now(), scancode);
    AcquireSRWLockExclusive(&lock);
    if (listening && listening->count < listening->queue.size())
        listening->queue[(listening->first + listening->count++) % listening->queue.size()] = reported;
    if (listening)
        SetEvent(listening->wake);
    ReleaseSRWLockExclusive(&lock);
}

} // namespace

key_listener *start_listening(std::string *why)
{
    HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!wake) {
        *why = "cannot make an event (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    auto *listener = new key_listener{wake, {}, 0, 0};
    // Repeats fall due to the millisecond, not to Windows' tick of 15.6 ms.
    timeBeginPeriod(WAIT_PRECISION);
    AcquireSRWLockExclusive(&lock);
    listening = listener;
    ReleaseSRWLockExclusive(&lock);
    keyboard_lowlevel_callback = report;
    return listener;
}

void stop_listening(key_listener *listener)
{
    keyboard_lowlevel_callback = nullptr;
    AcquireSRWLockExclusive(&lock);
    listening = nullptr;
    ReleaseSRWLockExclusive(&lock);
    timeEndPeriod(WAIT_PRECISION);
    CloseHandle(listener->wake);
    delete listener;
}

void wake_the_wait()
{
    // A report of no key: it wakes the wait and changes nothing.
    report(0);
}

size_t take_reports(key_listener *listener, key_report *reports, size_t most)
{
    AcquireSRWLockExclusive(&lock);
    const size_t count = std::min(most, listener->count);
    for (size_t i = 0; i < count; ++i)
        reports[i] = listener->queue[(listener->first + i) % listener->queue.size()];
    listener->first = (listener->first + count) % listener->queue.size();
    listener->count -= count;
    ReleaseSRWLockExclusive(&lock);
    return count;
}

void sleep_until_report(key_listener *listener, pass_clock::time_point until)
{
    DWORD wait = INFINITE;
    if (until != pass_clock::time_point::max()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - pass_clock::now()).count();
        wait = DWORD(std::clamp<long long>(left, 0, INFINITE - 1));
    }
    WaitForSingleObject(listener->wake, wait);
}
