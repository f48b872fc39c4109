#include "TempDir.h"

#include <atomic>
#include <chrono>
#include <system_error>

namespace tabrix::testing {

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        root = std::filesystem::temp_directory_path() /
               ("tabrix-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(root))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::filesystem::path TempDir::write(const std::string& name, const Bytes& bytes) const
{
    const auto full = root / std::filesystem::path(std::u8string(name.begin(), name.end()));
    std::filesystem::create_directories(full.parent_path());
    writeFile(full, bytes);
    return full;
}

} // namespace tabrix::testing
