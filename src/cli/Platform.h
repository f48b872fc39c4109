#pragma once

// What the command line needs from the operating system beyond the standard library: the
// interrupt signals and whether the error stream is a terminal. One POSIX and one Windows branch.
namespace tabrix::cli {

/// From now on SIGINT, SIGTERM and SIGHUP (Windows: Ctrl-C, Ctrl-Break, closing the console,
/// logoff and shutdown) only raise the flag that `cancelSignalled` reads; a running command then
/// stops at its next file or block, finalises its output and ends with status 130.
void installCancelHandlers();

#ifdef _WIN32
/// What the console control handler does with a Windows console event.
enum class ConsoleEventAction {
    PassOn, ///< not a stop request: the next handler or the system decides
    Cancel, ///< Ctrl-C, Ctrl-Break: raise the flag; the process goes on to its end
    /// Closing the console, logoff, shutdown: the system ends the process once the handler
    /// returns, so the handler raises the flag and then holds on, for the few seconds the
    /// system grants, while the command finalises its output and exits.
    CancelAndHold,
};

/// The action for a console control event (CTRL_C_EVENT and its kin).
ConsoleEventAction consoleEventAction(unsigned long event) noexcept;
#endif

/// True once one of those signals has arrived. Safe from any thread.
bool cancelSignalled() noexcept;

/// True when the standard error stream is a terminal, where a redrawn progress bar makes sense.
bool stderrIsTerminal() noexcept;

/// Local calendar time of `secondsSince1970`; false when the system can't convert it.
bool localCalendarTime(long long secondsSince1970, int& year, int& month, int& day, int& hour,
                       int& minute, int& second) noexcept;

} // namespace tabrix::cli
