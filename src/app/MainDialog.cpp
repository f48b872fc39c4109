#include "app/MainDialog.h"

#include "app/ConformCommand.h"
#include "app/ProjectLocation.h"
#include "audio/PlatformFs.h"
#include "frontend/ProjectSummary.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace tabrix {

MainDialog::MainDialog(MainDialogControls& controls, DialogServices& services)
    : controls(controls), services(services)
{
}

void MainDialog::onInitDialog()
{
    fields.planPlaceholder = planPlaceholderText(conformProject, false);
    controls.show(fields);
    rebuildSummary();
}

void MainDialog::onStartArguments(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return;
    const ProjectLocation location = ProjectLocation::of(arguments.front());
    if (location.found())
        openProject(location.folder, location.displayName);
    else
        services.showMessage(location.refusal, notOpenedTitle);
}

void MainDialog::onChooseProject()
{
    // The current project stays as it is until a folder is really chosen: a cancel must not
    // leave an empty path or default file name behind.
    // The chooser opens beside the last project, where the next one most likely is.
    std::filesystem::path last = pathFromUtf8(services.recall(lastProjectFolderKey));
    if (!last.has_filename())
        last = last.parent_path(); // "Day 1/" is the folder "Day 1"
    const std::string startFolder = last.empty() ? std::string() : utf8FromPath(last.parent_path());
    const FolderChoice choice = services.chooseFolder("Choose Folder", std::string(), startFolder);
    if (choice.result != 1)
        return;
    openProject(choice.selectedPath, choice.displayName);
}

bool MainDialog::openProject(const std::string& folder, const std::string& displayName)
{
    fields.projectPath = folder;
    name = displayName;
    services.remember(lastProjectFolderKey, folder);
    const bool loaded = conformProject.load(folder);
    // A failed load (no takes, mixed rates) may not be conformed: mixed rates would be written
    // at the wrong speed. The summary line then says why.
    fields.conformEnabled = loaded;
    describeLoad();
    rebuildSummary();
    return loaded;
}

bool MainDialog::onDrop(const std::vector<std::string>& paths)
{
    const ProjectLocation location = ProjectLocation::ofDrop(paths);
    if (!location.found()) {
        services.showMessage(location.refusal, notOpenedTitle);
        return false;
    }
    openProject(location.folder, location.displayName);
    return true;
}

void MainDialog::onDetails()
{
    showDetails(ProjectDetails::skippedSection);
}

void MainDialog::onShowUnused()
{
    showDetails(ProjectDetails::unusedSection);
}

void MainDialog::showDetails(std::size_t focusSection)
{
    if (fields.detailsEnabled)
        services.showDetails(ProjectDetails::of(conformProject, fields.plan, focusSection));
}

bool MainDialog::onEnterKey(FocusedControl focused)
{
    switch (focused) {
    case FocusedControl::ChooseProject: onChooseProject(); return true;
    case FocusedControl::Details: onDetails(); return true;
    case FocusedControl::UnusedTakes: onShowUnused(); return true;
    case FocusedControl::PlanButton: return false;
    case FocusedControl::Conform:
    case FocusedControl::Other: break;
    }
    // Like a greyed-out button, Enter does nothing until there is something to conform.
    if (fields.conformEnabled)
        onConformProject();
    return true;
}

std::optional<WindowSize> MainDialog::initialSize(WindowSize minimum, WindowSize available)
{
    // "900x700"; a settings file may hold anything, so nothing else is taken for a size.
    const std::string stored = services.recall(windowSizeKey);
    const char* end = stored.data() + stored.size();
    int width = 0;
    int height = 0;
    const auto [afterWidth, widthError] = std::from_chars(stored.data(), end, width);
    if (widthError != std::errc() || afterWidth == end || *afterWidth != 'x')
        return std::nullopt;
    const auto [afterHeight, heightError] = std::from_chars(afterWidth + 1, end, height);
    if (heightError != std::errc() || afterHeight != end || width <= 0 || height <= 0)
        return std::nullopt;
    // A size from a larger screen, or a smaller version of the window, is brought within reach.
    const auto within = [](int value, int low, int high) {
        return std::max(low, high > 0 ? std::min(value, high) : value);
    };
    return WindowSize{within(width, minimum.width, available.width),
                      within(height, minimum.height, available.height)};
}

void MainDialog::onClose(WindowSize size)
{
    if (size.width > 0 && size.height > 0)
        services.remember(windowSizeKey,
                          std::to_string(size.width) + "x" + std::to_string(size.height));
}

void MainDialog::describeLoad()
{
    // The count names exactly what Details lists: an odd-rate take is counted as skipped.
    const std::size_t skippedCount = ProjectDetails::skippedRows(conformProject).size();
    // A take of several files counts once; an odd-rate one is among the skipped files.
    const std::vector<const Take*> odd = oddRateTakes(conformProject);
    const auto playable = std::count_if(
        conformProject.sources().begin(), conformProject.sources().end(),
        [&](const auto& source) { return std::find(odd.begin(), odd.end(), &source->lead()) == odd.end(); });
    fields.takesText = takeCountText(std::size_t(playable), skippedCount);
    fields.plan = ConformPlan::of(conformProject);
    ++fields.planRevision;
    fields.unusedText = unusedTakesText(fields.plan.unusedTakes());
    fields.detailsEnabled = skippedCount > 0 || !fields.plan.unusedTakes().empty();
    fields.planPlaceholder = planPlaceholderText(conformProject, true);
    fields.tracksText = tracksText(conformProject);
    fields.timecodeText.clear();
    const TimeFormat times = TimeFormat::of(conformProject);
    if (times.isTimecode() && !fields.plan.empty())
        fields.timecodeText = "Timecode " + times.range(fields.plan.start(), fields.plan.end()) +
                              " (" + times.rateLabel() + ")";
}

std::string MainDialog::takeCountText(std::size_t takeCount, std::size_t skippedCount)
{
    return std::to_string(takeCount) + (takeCount == 1 ? " take, " : " takes, ") +
           std::to_string(skippedCount) + " skipped";
}

std::string MainDialog::unusedTakesText(const std::vector<PlanUnusedTake>& takes,
                                        std::size_t maxNames)
{
    if (takes.empty())
        return std::string();
    std::string text = std::to_string(takes.size()) +
                       (takes.size() == 1 ? " take not used" : " takes not used") +
                       ", covered by newer takes: ";
    for (std::size_t i = 0; i < takes.size() && i < maxNames; ++i)
        text += (i > 0 ? ", " : "") + takes[i].takeName;
    if (takes.size() > maxNames)
        text += " and " + std::to_string(takes.size() - maxNames) + " more";
    return text;
}

std::string MainDialog::planPlaceholderText(const ConformProject& project, bool opened)
{
    if (!opened)
        return "Choose a project folder, or drop one (or one of its takes) here, to see what "
               "plays where.";
    if (project.takes().count() == 0) {
        if (!project.takeFolder().empty() && !platform::isFolder(project.takeFolder()))
            return "This folder can't be read. Check that it is still there and that you may "
                   "open it.";
        if (project.skippedFiles().empty())
            return "There are no takes here. Choose the project folder that holds \"Audio "
                   "Files\", or a folder of Broadcast WAV takes.";
        return "None of the WAV files here is a take that can be conformed; Details... says "
               "why for each.";
    }
    if (project.rateMismatch()) {
        // The rate most takes share is the one to keep; Details lists the takes at any other.
        std::set<std::uint32_t> others;
        for (const Take* take : oddRateTakes(project))
            others.insert(take->format().sampleRate);
        std::string rates;
        std::size_t index = 0;
        for (const std::uint32_t rate : others)
            rates += (index++ == 0 ? "" : index == others.size() ? " and " : ", ") +
                     rateText(rate);
        const std::string rate = rateText(prevailingRate(project));
        return "Takes of different sample rates can't be conformed together. Move the takes at " +
               rates + " (listed in Details...) out of the folder, or convert them to " + rate +
               ", to conform the " + rate + " takes.";
    }
    if (project.timeline() == nullptr)
        return "None of the takes can be placed on the timeline.";
    return std::string();
}

void MainDialog::onChannelChoice()
{
    // Only the selections are read back; the two texts are this window's own output.
    const MainDialogFields shown = controls.read();
    fields.channelChoice = shown.channelChoice;
    fields.widthChoice = shown.widthChoice;
    rebuildSummary();
}

void MainDialog::onWidthChoice()
{
    onChannelChoice(); // both selections are read back alike
}

void MainDialog::onWidth16()
{
    fields.widthChoice = static_cast<std::int32_t>(SampleWidth::Bits16);
    rebuildSummary();
}

void MainDialog::onWidth24()
{
    fields.widthChoice = static_cast<std::int32_t>(SampleWidth::Bits24);
    rebuildSummary();
}

void MainDialog::onConformProject()
{
    ConformCommand command{conformProject, services};
    const ConformOutcome outcome =
        command.run({fields.channelChoice, name, dataByteCount});
    outPath = outcome.outputPath;
    outFileName = outcome.outputFileName;
}

void MainDialog::rebuildSummary()
{
    const ProjectSummary summary =
        summariseProject(conformProject, fields.widthChoice, fields.channelChoice);
    dataByteCount = summary.dataBytes;
    if (summary.sized)
        size = summary.size;
    timeRange = summary.timeRange; // cleared, so no earlier project's times stand beside new ones
    // Once a folder is open, a refusal replaces the summary: its numbers would mislead.
    const std::string refusal =
        fields.projectPath.empty() ? std::string() : projectRefusalText(conformProject);
    fields.refused = !refusal.empty();
    fields.summaryText = fields.refused ? refusal : summary.line;
    controls.show(fields);
}

} // namespace tabrix
