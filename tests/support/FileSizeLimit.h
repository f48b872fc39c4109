#pragma once
#include <cstdint>

namespace tabrix::testing {

/// While it lives, files this process writes can't grow past `maxBytes`: a write beyond fails
/// as on a full disk (the signal such a write raises is ignored). Unix only; elsewhere, and when
/// the limit can't be set, `active()` is false and the caller skips its test.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t maxBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const noexcept { return applied; }

private:
    bool applied = false;
    std::uint64_t oldSoftLimit = 0;
    void (*oldHandler)(int) = nullptr;
};

} // namespace tabrix::testing
