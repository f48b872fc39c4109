#pragma once
#include "TempDir.h"
#include "app/MainDialog.h"
#include "audio/Types.h"

#include <map>

namespace tabrix::testing {

// Writes a take named after its time reference into <project>/Audio Files/, returns the project
// folder. Default: 0.1 s of stereo 24-bit 48 kHz at 10:00:00 (19200 bytes as 16-bit stereo).
inline std::string writeTake(const TempDir& dir, const std::string& project,
                             std::uint32_t rate = 48000, std::uint64_t frames = 4800,
                             std::uint64_t timeReference = 10ull * 3600 * 48000,
                             std::uint16_t channels = 2, std::uint16_t bits = 24)
{
    dir.write(project + "/Audio Files/" + std::to_string(timeReference) + ".wav",
              takeBytes({.timeReference = timeReference, .channels = channels, .rate = rate,
                         .bits = bits, .data = constantFrames(channels, bits, frames, 1000)}));
    return utf8FromPath(dir.path() / project);
}

inline SaveChoice savedAs(const std::filesystem::path& path)
{
    return {true, utf8FromPath(path), utf8FromPath(path.filename())};
}

// Scripted dialog answers and a record of what was asked. Unlisted folders have plenty of space.
struct FakeServices : DialogServices {
    FolderChoice chooseFolder(const std::string&, const std::string&,
                              const std::string& startFolder) override
    {
        folderStarts.push_back(startFolder);
        return folder;
    }
    SaveChoice chooseSaveFile(const std::string& title, const std::string& defaultName,
                              const std::string& startFolder) override
    {
        asked.push_back(title + ": " + defaultName);
        saveStarts.push_back(startFolder);
        return asked.size() <= saves.size() ? saves[asked.size() - 1] : SaveChoice{};
    }
    bool confirm(const std::string& text, const std::string&) override
    {
        questions.push_back(text);
        return replace;
    }
    void showDetails(const DetailsContent& content) override
    {
        details = content;
        ++detailsShown;
    }
    // The Details window's first section as rows of the old skipped-files list.
    std::vector<SkippedRow> listed() const
    {
        std::vector<SkippedRow> rows;
        if (detailsShown > 0)
            for (const auto& row : details.sections.at(ProjectDetails::skippedSection).rows)
                rows.push_back({row.at(0), row.at(1)});
        return rows;
    }
    std::string recall(const std::string& key) override
    {
        return settings.contains(key) ? settings[key] : std::string();
    }
    void remember(const std::string& key, const std::string& value) override
    {
        settings[key] = value;
    }
    void showMessage(const std::string& text, const std::string& title) override
    {
        messages.push_back(title + ": " + text);
    }
    std::optional<VolumeSpace> volumeSpace(const std::string& folder) override
    {
        return volumes.contains(folder) ? volumes[folder] : VolumeSpace{1ull << 50, 1ull << 50};
    }
    void runProgress(ConformProject&, const ProgressJob& job) override
    {
        ++progressRuns;
        lastJob = job;
    }

    FolderChoice folder;
    std::vector<SaveChoice> saves;
    std::vector<std::string> asked, messages, questions, folderStarts, saveStarts;
    DetailsContent details;
    int detailsShown = 0;
    std::map<std::string, std::string> settings;
    ProgressJob lastJob;
    bool replace = true;
    std::map<std::string, std::optional<VolumeSpace>> volumes;
    int progressRuns = 0;
};

// The window logic over fake dialogs; `read` gives back whatever a test clicked into `shown`.
struct Window : MainDialogControls {
    void show(const MainDialogFields& fields) override { shown = fields; }
    MainDialogFields read() const override { return shown; }
    void clickChannel(int index) { shown.channelChoice = index; dialog.onChannelChoice(); }
    MainDialogFields shown;
    FakeServices services;
    MainDialog dialog{*this, services};
    Window() { dialog.onInitDialog(); }
};

} // namespace tabrix::testing
