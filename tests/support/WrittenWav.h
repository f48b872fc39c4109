#pragma once
#include "RiffBuilder.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tabrix::testing {

/// An output file read back: its 1024-byte header's sizes, the sample bytes it declares and
/// the chunks that follow them.
struct WrittenWav {
    bool rf64 = false;
    std::uint64_t fileBytes = 0;
    std::uint64_t riffBytes = 0; ///< the 32-bit RIFF size, or RF64's 64-bit one
    std::uint64_t dataBytes = 0;
    Bytes data;
    std::vector<std::pair<std::string, Bytes>> trailing;
    /// The RIFF size is the file's size less 8 (0 for a placeholder), an odd data chunk has
    /// its zero pad byte and the chunks after it end exactly at the end of the file.
    bool wellFormed = false;

    /// The body of the first trailing chunk `id`; empty when there is none.
    Bytes chunk(const std::string& id) const;
    std::vector<std::string> trailingIds() const;
};

WrittenWav readWrittenWav(const std::filesystem::path& path);

} // namespace tabrix::testing
