#pragma once
#include "app/DialogServices.h"
#include "frontend/ConformPlan.h"
#include "project/ConformProject.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tabrix {

/// What the main window's controls show: the path line, the summary line, the selected radio
/// button of each group, whether "Conform Project" can be pressed, and below the options the
/// conform plan with the count of takes read and skipped.
struct MainDialogFields {
    std::string projectPath;
    std::string summaryText;        ///< the summary, or why the folder can't be conformed
    std::int32_t channelChoice = 0; ///< ChannelMode index
    std::int32_t widthChoice = 0;   ///< SampleWidth index
    bool conformEnabled = false;
    bool refused = false;           ///< `summaryText` says why the folder can't be conformed
    std::string takesText;          ///< "38 takes, 2 skipped"; empty before a folder is opened
    bool detailsEnabled = false;    ///< "Details..." has skipped files to list
    std::string unusedText;         ///< takes that play nowhere; empty when all play
    std::string tracksText;         ///< "5 tracks: 1 Mix L, ..."; empty before a folder loads
    ConformPlan plan;               ///< what plays where; empty when nothing can be conformed
};

/// The main window's one two-way transfer; the Qt view implements it, tests fake it.
class MainDialogControls {
public:
    virtual ~MainDialogControls() = default;
    virtual void show(const MainDialogFields& fields) = 0; ///< fields -> controls
    virtual MainDialogFields read() const = 0;             ///< controls -> fields
};

/// The main window's state and decisions, free of any toolkit. Owns the one ConformProject.
class MainDialog {
public:
    MainDialog(MainDialogControls& controls, DialogServices& services);

    /// Window opened: shows the start-up state and its summary.
    void onInitDialog();
    /// "Choose Project...": a chosen folder is loaded and shown; a cancel changes nothing.
    void onChooseProject();
    /// Loads `folder` (UTF-8) and shows it, whatever `load` answers. True when it loaded;
    /// "Conform Project" is enabled exactly then.
    bool openProject(const std::string& folder, const std::string& displayName);
    /// Something was dropped on the window: a folder (UTF-8 path) is opened as if chosen;
    /// anything else is ignored. True when a folder was opened.
    bool onDrop(const std::string& path);
    /// "Details...": lists the skipped files with their reasons.
    void onDetails();
    /// The files the last load skipped, with their reasons in words; with mixed sample rates
    /// also the takes not at the rate most takes share (see oddRateTakes).
    std::vector<SkippedRow> skippedRows() const;
    /// A channel radio button was clicked: reads the selection back, then rebuilds.
    void onChannelChoice();
    void onWidth16();
    void onWidth24();
    /// "Conform Project": output names, checks, file creation, progress window.
    void onConformProject();

    /// Recomputes the summary line from the project's answers and shows it.
    void rebuildSummary();

    const std::string& projectPath() const noexcept { return fields.projectPath; }
    const std::string& summaryText() const noexcept { return fields.summaryText; }
    std::int32_t channelChoice() const noexcept { return fields.channelChoice; }
    std::int32_t widthChoice() const noexcept { return fields.widthChoice; }
    bool conformEnabled() const noexcept { return fields.conformEnabled; }
    const std::string& projectName() const noexcept { return name; }
    const std::string& outputPath() const noexcept { return outPath; }
    const std::string& outputFileName() const noexcept { return outFileName; }
    const std::string& timeRangeText() const noexcept { return timeRange; }
    const std::string& sizeText() const noexcept { return size; }
    /// Audio data bytes of the last rebuild (both files for Dual Mono); 0 without a timeline.
    std::uint64_t outputDataSize() const noexcept { return dataByteCount; }
    ConformProject& project() noexcept { return conformProject; }
    const MainDialogFields& shownFields() const noexcept { return fields; }

    /// The settings key of the last project folder opened.
    static constexpr const char* lastProjectFolderKey = "lastProjectFolder";
    /// "12 takes, 1 skipped" ("1 take" in the singular).
    static std::string takeCountText(std::size_t takeCount, std::size_t skippedCount);
    /// "Not used, covered by newer takes: A.wav, B.wav" with at most `maxNames` names.
    static std::string unusedTakesText(const std::vector<std::string>& names,
                                       std::size_t maxNames = 4);
private:
    void describeLoad();

    MainDialogControls& controls;
    DialogServices& services;
    ConformProject conformProject;
    MainDialogFields fields;
    std::string name;
    std::string outPath;
    std::string outFileName;
    std::string timeRange;
    std::string size;
    std::uint64_t dataByteCount = 0;
};

} // namespace tabrix
