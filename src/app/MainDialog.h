#pragma once
#include "app/DialogServices.h"
#include "frontend/ConformPlan.h"
#include "project/ConformProject.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tabrix {

/// What the main window's controls show: the path line, the summary line, the selected radio
/// button of each group, whether "Conform Project" can be pressed, and below the options the
/// conform plan with the count of takes read and skipped and the line of takes not used.
struct MainDialogFields {
    std::string projectPath;
    std::string summaryText;        ///< the summary, or why the folder can't be conformed
    std::int32_t channelChoice = 0; ///< ChannelMode index
    std::int32_t widthChoice = 0;   ///< SampleWidth index
    bool conformEnabled = false;
    bool refused = false;           ///< `summaryText` says why the folder can't be conformed
    std::string takesText;          ///< "38 takes, 2 skipped"; empty before a folder is opened
    bool detailsEnabled = false;    ///< "Details..." has skipped files or unused takes to list
    std::string unusedText;         ///< how many takes play nowhere, naming the first; or empty
    std::string tracksText;         ///< "5 tracks: 1 Mix L, ..."; empty before a folder loads
    std::string timecodeText;       ///< "Timecode 10:00:00:00–10:34:00:00 (25)"; empty without
    std::string planPlaceholder;    ///< what the strip says while the plan is empty
    ConformPlan plan;               ///< what plays where; empty when nothing can be conformed
    std::uint32_t planRevision = 0; ///< changes with each folder opened, so views keep their zoom

    /// What the line under the summary shows: the tracks, then the timecode; empty for none.
    std::string projectFacts() const
    {
        if (tracksText.empty() || timecodeText.empty())
            return tracksText + timecodeText;
        return tracksText + "\n" + timecodeText;
    }
};

/// The main window's one two-way transfer; the Qt view implements it, tests fake it.
class MainDialogControls {
public:
    virtual ~MainDialogControls() = default;
    virtual void show(const MainDialogFields& fields) = 0; ///< fields -> controls
    virtual MainDialogFields read() const = 0;             ///< controls -> fields
};

/// The control that has the focus when Enter is pressed.
enum class FocusedControl {
    Other,         ///< an option button, the plan or nothing: Enter conforms
    ChooseProject,
    Details,
    UnusedTakes,   ///< "Show All..." beside the line of unused takes
    Conform,
    PlanButton,    ///< a zoom button of the plan: the view presses it
};

/// A window size in device-independent pixels (1/96 inch).
struct WindowSize {
    int width = 0;
    int height = 0;
    bool operator==(const WindowSize&) const = default;
};

/// The main window's state and decisions, free of any toolkit. Owns the one ConformProject.
class MainDialog {
public:
    MainDialog(MainDialogControls& controls, DialogServices& services);

    /// Window opened: shows the start-up state and its summary.
    void onInitDialog();
    /// The program's arguments after its name: the first one, a project folder or one of its
    /// takes, is opened as if dropped (a reason is shown when it can't be). None: nothing.
    void onStartArguments(const std::vector<std::string>& arguments);
    /// "Choose Project...": a chosen folder is loaded and shown; a cancel changes nothing.
    void onChooseProject();
    /// Loads `folder` (UTF-8) and shows it, whatever `load` answers. True when it loaded;
    /// "Conform Project" is enabled exactly then.
    bool openProject(const std::string& folder, const std::string& displayName);
    /// Items were dropped on the window (UTF-8 paths): a folder opens as if chosen, a WAV file
    /// opens its project (see ProjectLocation); anything else opens nothing and a message
    /// says why. True when a project was opened.
    bool onDrop(const std::vector<std::string>& paths);
    /// "Details...": the skipped files and the takes not used, the skipped first.
    void onDetails();
    /// "Show All..." beside the unused line: the same window, at the takes not used.
    void onShowUnused();
    /// Enter with `focused` having the focus: a focused button is pressed; elsewhere Enter
    /// presses "Conform Project" when it can be pressed. False for a plan button, which the
    /// view presses itself.
    bool onEnterKey(FocusedControl focused);
    /// A channel radio button was clicked: reads the selection back, then rebuilds.
    void onChannelChoice();
    /// A width radio button was clicked: reads the selection back, then rebuilds.
    void onWidthChoice();
    void onWidth16();
    void onWidth24();
    /// "Conform Project": output names, checks, file creation, progress window.
    void onConformProject();
    /// The size the window opens at: the one it had when last closed, within `minimum` and
    /// `available`; none when no usable size was stored.
    std::optional<WindowSize> initialSize(WindowSize minimum, WindowSize available);
    /// The window closes at `size`: remembered for the next start.
    void onClose(WindowSize size);

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

    /// The settings keys of the last project folder opened and of the window's size.
    static constexpr const char* lastProjectFolderKey = "lastProjectFolder";
    static constexpr const char* windowSizeKey = "windowSize";
    /// The title of the message saying why a dropped item or an argument opened nothing.
    static constexpr const char* notOpenedTitle = "Nothing Opened";
    /// Option buttons in a row; more wrap onto the next (seven channel choices take two rows).
    static constexpr int optionColumns = 4;
    /// "12 takes, 1 skipped" ("1 take" in the singular).
    static std::string takeCountText(std::size_t takeCount, std::size_t skippedCount);
    /// "3 takes not used, covered by newer takes: A.wav, B.wav and 1 more", naming at most
    /// `maxNames`; empty when every take plays.
    static std::string unusedTakesText(const std::vector<PlanUnusedTake>& takes,
                                       std::size_t maxNames = 2);
    /// What the strip says while it has no plan: how to open a project, or for a folder that
    /// can't be conformed what has to change.
    static std::string planPlaceholderText(const ConformProject& project, bool opened);

private:
    void describeLoad();
    void showDetails(std::size_t focusSection);

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
