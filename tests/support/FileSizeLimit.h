#pragma once
#include <cstdint>

namespace tabrix::testing {

/// Limits the size of every file this process writes to `maxBytes` while the object lives, so
/// a test can make a write fail part-way through (as a full disk would). The write past the
/// limit fails with an error instead of raising a signal. The old limit and signal handling
/// come back on destruction. Not for tests that run threads writing other files meanwhile.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t maxBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    /// False where the platform can't limit file sizes (or the limit could not be set); the
    /// caller then skips its test.
    bool active() const noexcept { return applied; }

private:
    bool applied = false;
    std::uint64_t oldSoftLimit = 0;
    bool handlerSaved = false;
    void (*oldHandler)(int) = nullptr; ///< the previous SIGXFSZ disposition
};

} // namespace tabrix::testing
