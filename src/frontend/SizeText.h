#pragma once
#include <cstdint>
#include <string>

namespace tabrix {

/// A size as people read it, everywhere but the summary line (which keeps its own form):
/// "1 byte", "999 bytes", "1 KB", "1.8 MB", "6.2 GB", "620 GB", "1.5 TB", in powers of ten
/// like the summary. Two significant digits below ten units, whole units above; rounded to
/// nearest.
std::string sizeForPeople(std::uint64_t byteCount);

} // namespace tabrix
