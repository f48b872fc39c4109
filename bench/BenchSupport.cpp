#include "BenchSupport.h"

#include <fstream>
#include <sstream>

namespace tabrix::bench {

std::uint64_t peakResidentBytes()
{
#ifdef __linux__
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            std::istringstream fields(line.substr(6));
            std::uint64_t kib = 0;
            fields >> kib;
            return kib * 1024;
        }
    }
#endif
    return 0;
}

void resetPeakResident()
{
#ifdef __linux__
    // Writing 5 to clear_refs resets VmHWM to the current resident size.
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
#endif
}

} // namespace tabrix::bench
