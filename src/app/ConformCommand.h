#pragma once
#include "app/DialogServices.h"
#include "frontend/OutputChecks.h"

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

/// "Conform Project": asks for the output name(s), refuses names and sizes that cannot work
/// (with an "Error" message each), has the project create the file(s) and runs the progress
/// window. Nothing is created before every check has passed.
class ConformCommand {
public:
    ConformCommand(ConformProject& project, DialogServices& services);

    ConformOutcome run(const ConformRequest& request);

    /// The proposed right-channel name for a left file called `leftFileName`.
    static std::string rightDefaultName(const std::string& leftFileName,
                                        const std::string& projectName);
    /// `name` with ".wav" added unless it already ends in ".wav" in any letter case; dots
    /// elsewhere in the name ("Day17 v1.2") don't count as an extension.
    static std::string withWavExtension(const std::string& name);

    /// The settings key of the folder the last output went to.
    static constexpr const char* lastOutputFolderKey = "lastOutputFolder";

private:
    /// One save dialog; the WAV filter's extension rule applied, a replaced existing file
    /// confirmed. Unconfirmed when the user backs out.
    SaveChoice chooseOutput(const std::string& title, const std::string& defaultName,
                            const std::string& startFolder);
    std::string firstSaveFolder() const;
    /// Split Tracks: asks once before replacing the track files that already exist.
    bool confirmReplacing(const std::vector<std::string>& paths);
    std::string creationFailureText(const std::vector<std::string>& paths) const;
    ProgressJob progressJob(const ConformRequest& request,
                            const std::vector<std::string>& paths) const;
    void refuse(const std::string& text);

    ConformProject& project;
    DialogServices& services;
};

} // namespace tabrix
