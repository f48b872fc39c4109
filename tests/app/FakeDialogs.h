#pragma once
#include "app/DialogServices.h"
#include "app/MainDialog.h"
#include "audio/Types.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tabrix::testing {

// Records what the logic shows; `read` gives back whatever a test clicked into `shown`.
class FakeControls : public MainDialogControls {
public:
    void show(const MainDialogFields& fields) override { shown = fields; }
    MainDialogFields read() const override { return shown; }

    MainDialogFields shown;
};

struct SaveRequest {
    std::string title;
    std::string defaultName;
};

struct Message {
    std::string text;
    std::string title;
};

inline SaveChoice savedAs(const std::filesystem::path& path)
{
    return {true, utf8FromPath(path), utf8FromPath(path.filename())};
}

// Scripted answers for every dialog, and a record of what was asked.
class FakeServices : public DialogServices {
public:
    FolderChoice chooseFolder(const std::string& title, const std::string& initialPath) override
    {
        folderRequests.push_back({title, initialPath});
        return folder;
    }
    SaveChoice chooseSaveFile(const std::string& title, const std::string& defaultName) override
    {
        saveRequests.push_back({title, defaultName});
        if (saves.empty())
            return {};
        SaveChoice next = saves.front();
        saves.pop_front();
        return next;
    }
    void showMessage(const std::string& text, const std::string& title) override
    {
        messages.push_back({text, title});
    }
    std::optional<VolumeSpace> volumeSpace(const std::string& folderPath) override
    {
        spaceQueries.push_back(folderPath);
        const auto found = volumes.find(folderPath);
        return found != volumes.end() ? std::optional<VolumeSpace>(found->second) : defaultVolume;
    }
    void runProgress(ConformProject& project) override
    {
        ++progressRuns;
        if (onProgress)
            onProgress(project);
    }

    FolderChoice folder;
    std::vector<std::pair<std::string, std::string>> folderRequests;
    std::deque<SaveChoice> saves;
    std::vector<SaveRequest> saveRequests;
    std::vector<Message> messages;
    std::map<std::string, VolumeSpace> volumes;
    std::optional<VolumeSpace> defaultVolume = VolumeSpace{1ull << 50, 1ull << 50};
    std::vector<std::string> spaceQueries;
    int progressRuns = 0;
    std::function<void(ConformProject&)> onProgress;
};

} // namespace tabrix::testing
