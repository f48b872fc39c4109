#pragma once
#include "app/DialogServices.h"
#include "project/ConformProject.h"

#include <cstdint>
#include <string>

namespace tabrix {

/// What the main window's controls show: the path line, the summary line, the selected radio
/// button of each group and whether "Conform Project" can be pressed.
struct MainDialogFields {
    std::string projectPath;
    std::string summaryText;
    std::int32_t channelChoice = 0; ///< ChannelMode index
    std::int32_t widthChoice = 0;   ///< SampleWidth index
    bool conformEnabled = false;
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
    /// A channel radio button was clicked: reads the selection back, then rebuilds.
    void onChannelChoice();
    void onWidth16();
    void onWidth24();
    /// "Conform Project": output names, checks, file creation, progress window.
    void onConformProject();

    /// Recomputes the summary line from the project's answers and shows it.
    void rebuildSummary();

    /// "%2d:%02d:%02d.%02d" of hours, minutes, seconds, hundredths.
    static std::string formatClockTime(const ClockTime& time);
    /// Bytes as "999 B", "1.00 KB", "10 KB", "1.00 MB", "10 MB" (powers of ten).
    static std::string formatByteSize(std::int64_t byteCount);
    /// Rate in Hz as "%0.1fKhz" ("48.0Khz"; 0 gives "0.0Khz").
    static std::string formatRate(std::uint32_t rateHz);
    static std::string widthText(std::int32_t widthChoice);
    static std::string channelText(std::int32_t channelChoice);

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

private:
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
