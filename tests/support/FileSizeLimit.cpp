#include "FileSizeLimit.h"

#if defined(__unix__) || defined(__APPLE__)
#include <csignal>
#include <sys/resource.h>

namespace tabrix::testing {

FileSizeLimit::FileSizeLimit(std::uint64_t maxBytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0 ||
        (limit.rlim_max != RLIM_INFINITY && maxBytes > limit.rlim_max))
        return;
    oldHandler = std::signal(SIGXFSZ, SIG_IGN); // the write returns EFBIG instead
    if (oldHandler == SIG_ERR)
        return;
    oldSoftLimit = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(maxBytes);
    applied = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!applied)
        (void)std::signal(SIGXFSZ, oldHandler);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    if (!applied || getrlimit(RLIMIT_FSIZE, &limit) != 0)
        return;
    limit.rlim_cur = static_cast<rlim_t>(oldSoftLimit);
    (void)setrlimit(RLIMIT_FSIZE, &limit);
    (void)std::signal(SIGXFSZ, oldHandler);
}

} // namespace tabrix::testing

#else

namespace tabrix::testing {
FileSizeLimit::FileSizeLimit(std::uint64_t) {}
FileSizeLimit::~FileSizeLimit() = default;
} // namespace tabrix::testing

#endif
