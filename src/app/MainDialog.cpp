#include "app/MainDialog.h"

#include "app/ConformCommand.h"
#include "app/ProjectSummary.h"

#include <cstdio>

namespace tabrix {

namespace {

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char text[128];
    const int length = std::snprintf(text, sizeof text, pattern, args...);
    return length < 0 ? std::string() : std::string(text);
}

} // namespace

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
    const FolderChoice choice = services.chooseFolder("Choose Folder", std::string());
    if (choice.result != 1)
        return;
    openProject(choice.selectedPath, choice.displayName);
}

bool MainDialog::openProject(const std::string& folder, const std::string& displayName)
{
    fields.projectPath = folder;
    name = displayName;
    const bool loaded = conformProject.load(folder);
    // A failed load (no takes, mixed rates) may not be conformed: mixed rates would be written
    // at the wrong speed. The summary shows what the project now answers, under its own path.
    fields.conformEnabled = loaded;
    rebuildSummary();
    return loaded;
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
    fields.summaryText = summary.line;
    controls.show(fields);
}

std::string MainDialog::formatClockTime(const ClockTime& time)
{
    return format("%2d:%02d:%02d.%02d", int{time.hours}, int{time.minutes}, int{time.seconds},
                  int{time.fraction});
}

std::string MainDialog::formatByteSize(std::int64_t byteCount)
{
    const double v = static_cast<double>(byteCount);
    if (v < 1000)
        return format("%d B", static_cast<int>(byteCount));
    if (v < 10000)
        return format("%1.2f KB", v * 0.001);
    if (v < 1000000)
        return format("%1.f KB", v * 0.001);
    if (v < 10000000)
        return format("%1.2f MB", v * 0.000001);
    return format("%1.f MB", v * 0.000001);
}

std::string MainDialog::formatRate(std::uint32_t rateHz)
{
    return format("%0.1fKhz", rateHz * 0.001);
}

std::string MainDialog::widthText(std::int32_t widthChoice)
{
    return widthChoice == 0 ? "16 Bit" : "24 Bit";
}

std::string MainDialog::channelText(std::int32_t channelChoice)
{
    switch (channelChoice) {
    case 0: return "Stereo";
    case 1: return "Mono Left";
    case 2: return "Mono Right";
    case 3: return "Mono Sum";
    case 4: return "Dual Mono";
    default: return "(chan type not implemented)";
    }
}

} // namespace tabrix
