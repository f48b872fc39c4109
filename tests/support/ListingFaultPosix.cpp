#include "ListingFault.h"

#include <atomic>
#include <cerrno>

#include <dirent.h>
#include <dlfcn.h>

namespace tabrix::testing {

namespace {

std::atomic<int> entriesLeft{-1}; // -1: not armed
std::atomic<int> faultError{0};

} // namespace

void failNextListing(int entriesBeforeFault, int systemError)
{
    faultError.store(systemError);
    entriesLeft.store(entriesBeforeFault);
}

} // namespace tabrix::testing

// Defined in the program, this readdir stands before the C library's for every caller,
// the standard library's folder iterator included.
extern "C" dirent* readdir(DIR* folder)
{
    using namespace tabrix::testing;
    using Readdir = dirent* (*)(DIR*);
    static const auto next = reinterpret_cast<Readdir>(dlsym(RTLD_NEXT, "readdir"));
    const int left = entriesLeft.load();
    if (left == 0) {
        entriesLeft.store(-1);
        errno = faultError.load();
        return nullptr;
    }
    if (left > 0)
        entriesLeft.store(left - 1);
    return next(folder);
}
