#pragma once

// What the command line needs from the operating system beyond the standard library: the
// interrupt signals and whether the error stream is a terminal. One POSIX and one Windows branch.
namespace tabrix::cli {

/// From now on SIGINT and SIGTERM (Windows: Ctrl-C, Ctrl-Break and closing the console) only
/// raise the flag that `cancelSignalled` reads; the running conform then stops at its next block.
void installCancelHandlers();

/// True once one of those signals has arrived. Safe from any thread.
bool cancelSignalled() noexcept;

/// True when the standard error stream is a terminal, where a redrawn progress bar makes sense.
bool stderrIsTerminal() noexcept;

/// Local calendar time of `secondsSince1970`; false when the system can't convert it.
bool localCalendarTime(long long secondsSince1970, int& year, int& month, int& day, int& hour,
                       int& minute, int& second) noexcept;

} // namespace tabrix::cli
