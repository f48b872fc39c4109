#pragma once

// A folder listing that the system breaks off partway, as a failing card reader does. POSIX
// only: a test program that uses it reads folders through a readdir of its own, which passes
// every call on to the C library's until armed.
namespace tabrix::testing {

/// The next listing gives `entriesBeforeFault` entries (counting "." and "..") and then fails
/// with `systemError`, once; later listings are whole again.
void failNextListing(int entriesBeforeFault, int systemError);

} // namespace tabrix::testing
