#pragma once
#include "app/DialogServices.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace tabrix {

class ConformProject;

/// What the main window hands the conform command.
struct ConformRequest {
    std::int32_t channelChoice = 0;  ///< ChannelMode index the project already carries
    std::string projectName;         ///< default output name
    std::uint64_t outputDataSize = 0; ///< audio data bytes, both files for Dual Mono
};

/// The output name(s) the user chose; empty when the first dialog was cancelled.
struct ConformOutcome {
    std::string outputPath;     ///< full path (the left file for Dual Mono)
    std::string outputFileName; ///< its last component
};

/// Largest data chunk a WAV file can describe: the RIFF size (1016 header bytes after the
/// size field, plus the data) must fit in 32 bits.
constexpr std::uint64_t maxWavDataBytes = 0xFFFF'FFFFull - 1016;
/// Header bytes every output file starts with.
constexpr std::uint64_t outputHeaderBytes = 1024;

/// "Conform Project": asks for the output name(s), refuses names and sizes that cannot work
/// (with an "Error" message each), has the project create the file(s) and runs the progress
/// window. Nothing is created before every check has passed.
class ConformCommand {
public:
    ConformCommand(ConformProject& project, DialogServices& services);

    ConformOutcome run(const ConformRequest& request);

    /// True when `a` and `b` name the same file, however spelt; a missing file is compared by
    /// its normalised absolute path.
    static bool samePath(const std::filesystem::path& a, const std::filesystem::path& b);
    /// The proposed right-channel name for a left file called `leftFileName`.
    static std::string rightDefaultName(const std::string& leftFileName,
                                        const std::string& projectName);

private:
    bool isOneOfTheTakes(const std::string& path) const;
    bool hasFreeSpace(const std::string& leftPath, const std::string& rightPath,
                      std::uint64_t bytesPerFile, bool dualMono);
    void refuse(const char* text);

    ConformProject& project;
    DialogServices& services;
};

} // namespace tabrix
