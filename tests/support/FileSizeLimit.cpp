#include "FileSizeLimit.h"

#if defined(__unix__) || defined(__APPLE__)
#include <csignal>
#include <sys/resource.h>
#define TABRIX_HAS_RLIMIT_FSIZE 1
#endif

namespace tabrix::testing {

#ifdef TABRIX_HAS_RLIMIT_FSIZE

FileSizeLimit::FileSizeLimit(std::uint64_t maxBytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    if (limit.rlim_max != RLIM_INFINITY && maxBytes > limit.rlim_max)
        return;
    // Without this the kernel ends the process at the limit; ignored, the write returns EFBIG.
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    if (previous == SIG_ERR)
        return;
    oldHandler = previous;
    handlerSaved = true;
    oldSoftLimit = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(maxBytes);
    applied = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (applied) {
        rlimit limit{};
        if (getrlimit(RLIMIT_FSIZE, &limit) == 0) {
            limit.rlim_cur = static_cast<rlim_t>(oldSoftLimit);
            (void)setrlimit(RLIMIT_FSIZE, &limit);
        }
    }
    if (handlerSaved)
        (void)std::signal(SIGXFSZ, oldHandler);
}

#else

FileSizeLimit::FileSizeLimit(std::uint64_t) {}
FileSizeLimit::~FileSizeLimit() = default;

#endif

} // namespace tabrix::testing
