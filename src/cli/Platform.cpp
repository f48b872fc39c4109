#include "cli/Platform.h"

#include <atomic>
#include <cstdio>
#include <ctime>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <csignal>
#include <unistd.h>
#endif

namespace tabrix::cli {

namespace {

// A lock-free atomic is the one thing a signal handler may touch.
std::atomic<bool> signalled{false};
static_assert(std::atomic<bool>::is_always_lock_free);

#ifdef _WIN32
// About what the system allows a console process after a close, logoff or shutdown event
// before it ends the process itself.
constexpr DWORD holdMilliseconds = 5000;

// Runs on a thread of its own. While it holds, the main thread cancels, finalises the output
// and exits with status 130, which ends this thread too.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    switch (consoleEventAction(event)) {
    case ConsoleEventAction::PassOn:
        return FALSE;
    case ConsoleEventAction::Cancel:
        signalled.store(true);
        return TRUE;
    case ConsoleEventAction::CancelAndHold:
        signalled.store(true);
        Sleep(holdMilliseconds);
        return TRUE;
    }
    return FALSE;
}
#else
extern "C" void onSignal(int)
{
    signalled.store(true);
}
#endif

} // namespace

void installCancelHandlers()
{
#ifdef _WIN32
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // the run's reads and writes carry on to the next block
    // A closed terminal sends SIGHUP: stopping as for Ctrl-C keeps the output's final header.
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signalNumber, &action, nullptr);
#endif
}

#ifdef _WIN32
ConsoleEventAction consoleEventAction(unsigned long event) noexcept
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        return ConsoleEventAction::Cancel;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        return ConsoleEventAction::CancelAndHold;
    default:
        return ConsoleEventAction::PassOn;
    }
}
#endif

bool cancelSignalled() noexcept
{
    return signalled.load();
}

bool stderrIsTerminal() noexcept
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

bool localCalendarTime(long long secondsSince1970, int& year, int& month, int& day, int& hour,
                       int& minute, int& second) noexcept
{
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &time) != 0)
        return false;
#else
    if (localtime_r(&time, &local) == nullptr)
        return false;
#endif
    year = local.tm_year + 1900;
    month = local.tm_mon + 1;
    day = local.tm_mday;
    hour = local.tm_hour;
    minute = local.tm_min;
    second = local.tm_sec;
    return true;
}

} // namespace tabrix::cli
