#pragma once
#include "project/ConformProject.h"

#include <cstdint>
#include <optional>
#include <string>

// Small text forms the command line prints and scripts read back.
namespace tabrix::cli {

/// "HH:MM:SS.hh": two-digit hours, so the text sorts and parses the same at every hour.
std::string clockText(const ClockTime& time);

/// The clock time of a timeline position at the project's rate.
std::string clockTextAt(const ConformProject& project, SamplePos position);

/// `text` as valid UTF-8: each maximal run of bytes that can't begin or continue a character
/// (a Latin-1 name from an old card, a cut sequence) becomes U+FFFD. Everything the command
/// line prints passes through here, so a file name can't make JSON, CSV or text invalid.
std::string validUtf8(const std::string& text);

/// One CSV field: quoted when it holds a comma, a quote or a line break, quotes doubled.
std::string csvField(const std::string& text);

/// A take's recording moment as "YYYY-MM-DD HH:MM:SS" local time; none when it is undated.
std::optional<std::string> recordedText(const BwfFile& take);

/// A duration for people: "0:07", "12:34", "1:02:03"; whole seconds, rounded down.
std::string durationText(double seconds);

/// Why a loaded project can't be conformed, never empty.
std::string notConformableText(const ConformProject& project);

/// The project's name as the window proposes it for output files: the folder's own name, also
/// when the path ends in a separator or is relative ("." gives the current folder's name).
std::string projectName(const std::string& projectFolder);

} // namespace tabrix::cli
