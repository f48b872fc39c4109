#include "app/MainDialog.h"

#include "app/ConformCommand.h"
#include "audio/PlatformFs.h"
#include "frontend/ProblemText.h"
#include "frontend/ProjectSummary.h"


namespace tabrix {

MainDialog::MainDialog(MainDialogControls& controls, DialogServices& services)
    : controls(controls), services(services)
{
}

void MainDialog::onInitDialog()
{
    controls.show(fields);
    rebuildSummary();
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

bool MainDialog::onDrop(const std::string& path)
{
    const std::filesystem::path folder = pathFromUtf8(path);
    if (path.empty() || !platform::isFolder(folder))
        return false;
    const std::filesystem::path named = folder.has_filename() ? folder : folder.parent_path();
    const std::string displayName = utf8FromPath(named.filename());
    openProject(path, displayName.empty() ? path : displayName);
    return true;
}

void MainDialog::onDetails()
{
    const std::vector<SkippedRow> rows = skippedRows();
    if (!rows.empty())
        services.showSkippedFiles(rows);
}

std::vector<SkippedRow> MainDialog::skippedRows() const
{
    std::vector<SkippedRow> rows;
    for (const SkippedFile& file : conformProject.skippedFiles())
        rows.push_back({file.fileName, rejectionText(file.rejection)});
    // Mixed rates keep the whole folder out; the list shows which takes are the odd ones.
    const std::string prevailing = std::to_string(prevailingRate(conformProject));
    for (const Take* take : oddRateTakes(conformProject))
        rows.push_back({utf8FromPath(take->path().filename()),
                        "sample rate " + std::to_string(take->format().sampleRate) +
                            " Hz differs from the other takes' " + prevailing + " Hz"});
    return rows;
}

void MainDialog::describeLoad()
{
    // The count names exactly what Details lists: an odd-rate take is counted as skipped.
    const std::size_t skippedCount = skippedRows().size();
    const std::size_t oddCount = oddRateTakes(conformProject).size();
    fields.takesText = takeCountText(conformProject.takes().count() - oddCount, skippedCount);
    fields.detailsEnabled = skippedCount > 0;
    fields.plan = ConformPlan::of(conformProject);
    fields.unusedText = unusedTakesText(fields.plan.unusedTakes());
    fields.tracksText = tracksText(conformProject);
}

std::string MainDialog::takeCountText(std::size_t takeCount, std::size_t skippedCount)
{
    return std::to_string(takeCount) + (takeCount == 1 ? " take, " : " takes, ") +
           std::to_string(skippedCount) + " skipped";
}

std::string MainDialog::unusedTakesText(const std::vector<std::string>& names, std::size_t maxNames)
{
    if (names.empty())
        return std::string();
    std::string text = "Not used, covered by newer takes: ";
    for (std::size_t i = 0; i < names.size() && i < maxNames; ++i)
        text += (i > 0 ? ", " : "") + names[i];
    if (names.size() > maxNames)
        text += " and " + std::to_string(names.size() - maxNames) + " more";
    return text;
}

void MainDialog::onChannelChoice()
{
    // Only the selections are read back; the two texts are this window's own output.
    const MainDialogFields shown = controls.read();
    fields.channelChoice = shown.channelChoice;
    fields.widthChoice = shown.widthChoice;
    rebuildSummary();
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
