#pragma once
#include "project/ConformProject.h"

#include <string>
#include <vector>

// The names of the files a conform writes, where the user names only one of them.
namespace tabrix {

/// `name` made safe as part of a file name on every system: each of <>:"/\|?* and each control
/// character becomes "_", and trailing spaces and dots go.
std::string safeFileName(const std::string& name);

/// The files Split Tracks writes for the base name `basePath` (UTF-8, a path whose file name
/// may end in ".wav" in any letter case), one per track in track order: BASE_<safe track
/// name>.wav, or BASE_Track<key>.wav for a track without a (usable) name. Tracks whose safe
/// names are equal ignoring letter case get their key too: BASE_Lav_1_1.wav, BASE_lav_1_2.wav.
std::vector<std::string> splitTrackPaths(const std::string& basePath,
                                         const std::vector<ProjectTrack>& tracks);

} // namespace tabrix
