#pragma once
#include "app/DialogServices.h"
#include "frontend/OutputChecks.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tabrix {

class ConformProject;

/// What the main window hands the conform command.
struct ConformRequest {
    std::int32_t channelChoice = 0;  ///< ChannelMode index the project already carries
    std::string projectName;         ///< default output name
    std::uint64_t outputDataSize = 0; ///< audio data bytes, both files for Dual Mono
};

/// The output the conform wrote to; empty when nothing was created.
struct ConformOutcome {
    std::string outputPath;     ///< full path (the left file for Dual Mono)
    std::string outputFileName; ///< its last component
};

/// "Conform Project": asks for the output name(s), refuses names and sizes that cannot work
/// (with an "Error" message each, after which the save dialog of the file concerned opens
/// again with the name chosen), has the project create the file(s) and runs the progress
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
    /// The save dialogs' titles: they say what is saved.
    static constexpr const char* singleSaveTitle = "Save the conformed file";
    static constexpr const char* leftSaveTitle = "Save the left file";
    static constexpr const char* rightSaveTitle = "Save the right file";
    static constexpr const char* splitSaveTitle = "Save the track files";

private:
    struct SaveQuestion {
        std::string title;
        std::string defaultName;
        std::string startFolder;
    };

    /// One save dialog; the WAV filter's extension rule applied, a replaced existing file
    /// confirmed (declining asks again). Unconfirmed when the user backs out.
    SaveChoice chooseOutput(SaveQuestion question);
    /// Runs every check and creates the output(s); why not, and for which file, otherwise.
    std::optional<OutputRefusal> checkAndCreate(const ConformRequest& request,
                                                const std::vector<std::string>& paths,
                                                bool dual);
    /// Split Tracks: asks once before replacing the track files that already exist.
    bool confirmReplacing(const std::vector<std::string>& paths);
    std::string firstSaveFolder() const;
    std::string besideProject() const;
    /// Where the dialog for a refused `refusedPath` opens again.
    std::string againFolder(const std::string& refusedPath) const;
    OutputRefusal creationFailure(const std::vector<std::string>& paths) const;
    ProgressJob progressJob(const std::vector<std::string>& paths) const;
    void refuse(const std::string& text);

    ConformProject& project;
    DialogServices& services;
};

} // namespace tabrix
