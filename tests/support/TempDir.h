#pragma once
#include <filesystem>
#include <string>

#include "RiffBuilder.h"

namespace tabrix::testing {

/// A fresh folder under the system's temporary directory, removed with everything in it when
/// the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return root; }
    /// Writes `bytes` to `name` (subfolders are created); returns the full path.
    std::filesystem::path write(const std::string& name, const Bytes& bytes) const;

private:
    std::filesystem::path root;
};

} // namespace tabrix::testing
