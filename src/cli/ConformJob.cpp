#include "cli/ConformJob.h"

#include "audio/PlatformFs.h"
#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "frontend/OutputNames.h"
#include "frontend/ProblemText.h"
#include "frontend/ProjectSummary.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <ostream>
#include <system_error>
#include <thread>

namespace tabrix::cli {

namespace {

// A missing folder would otherwise surface as a failed free-space query.
std::optional<std::string> missingFolder(const std::string& outputPath)
{
    std::filesystem::path folder = pathFromUtf8(outputPath).parent_path();
    if (folder.empty())
        folder = ".";
    if (platform::isFolder(folder))
        return std::nullopt;
    return "no folder " + utf8FromPath(folder) + " to write " + outputPath + " into.";
}

// A dangling link counts as existing: writing through it would create a file elsewhere.
bool pathExists(const std::string& path)
{
    return platform::exists(pathFromUtf8(path));
}

std::string joinedOutputs(const std::vector<std::string>& outputs)
{
    if (outputs.size() <= 2)
        return outputs.size() == 2 ? outputs[0] + " and " + outputs[1] : outputs[0];
    return outputs[0] + " and " + std::to_string(outputs.size() - 1) + " more files";
}

} // namespace

ConformRunner::ConformRunner(ConformEnvironment environment) : environment(std::move(environment))
{
}

bool ConformRunner::cancelled() const
{
    return environment.cancelled && environment.cancelled();
}

std::optional<std::string> ConformRunner::refuseTargets(const ConformProject& project,
                                                        const ConformJob& job,
                                                        const std::vector<std::string>& outputs,
                                                        std::uint64_t dataBytes) const
{
    for (const std::string& output : outputs)
        if (const auto missing = missingFolder(output))
            return missing;
    const OutputTargets targets{outputs, job.options.dualMono(), dataBytes};
    if (auto reason = refuseOutputs(project, targets, environment.volumeSpace))
        return reason;
    if (!job.force)
        for (const std::string& output : outputs)
            if (pathExists(output))
                return output + " already exists (--force replaces it).";
    return std::nullopt;
}

JobResult ConformRunner::conform(const ConformJob& job)
{
    if (job.outputs.size() != (job.options.dualMono() ? 2u : 1u))
        return {Refused, job.options.dualMono() ? "dual needs two outputs, left and right."
                                                : "one output unless the channels are dual."};
    if (cancelled())
        return {Cancelled, "cancelled before it started."};
    // The project holds the render buffers; they don't belong on the stack.
    const auto project = std::make_unique<ConformProject>();
    const bool loaded = project->load(job.projectFolder);
    if (environment.noteStream != nullptr)
        for (const SkippedFile& skipped : project->skippedFiles())
            *environment.noteStream
                << "tabrix: " << (environment.namePrefix ? job.projectFolder + ": " : "")
                << "skipped: " << skipped.fileName << ": " << rejectionText(skipped.rejection)
                << "\n";
    if (!loaded) {
        return {NotConformable, notConformableText(*project)};
    }
    const ProjectSummary summary =
        summariseProject(*project, job.options.widthChoice, job.options.channelChoice);
    // Split Tracks: the one name given stands for a file per track.
    const std::vector<std::string> outputs = job.options.splitTracks()
                                                 ? splitTrackPaths(job.outputs[0], project->tracks())
                                                 : job.outputs;
    if (const auto reason = refuseTargets(*project, job, outputs, summary.dataBytes))
        return {Refused, *reason};
    if (cancelled())
        return {Cancelled, "cancelled before it started."};

    if (!project->prepareOutputs(outputs)) {
        const std::string reason = failureText(project->lastFailure());
        return {RunFailed, reason.empty() ? "Unable to create file(s)." : reason};
    }
    return runPrepared(*project, job, outputs);
}

JobResult ConformRunner::runPrepared(ConformProject& project, const ConformJob& job,
                                     const std::vector<std::string>& outputs)
{
    using Clock = std::chrono::steady_clock;
    std::atomic<double> percent{0.0};
    std::atomic<bool> finished{false};
    std::atomic<bool> runResult{false};
    std::thread worker([&] {
        runResult.store(project.run(percent));
        finished.store(true);
    });

    ProgressMeter meter(environment.progress, projectName(job.projectFolder));
    const Clock::time_point started = Clock::now();
    const auto elapsedSeconds = [&] {
        return std::chrono::duration<double>(Clock::now() - started).count();
    };
    const auto show = [&](const std::string& text) {
        if (!text.empty() && environment.progressStream != nullptr)
            environment.progressStream->write(text.data(), std::streamsize(text.size())).flush();
    };
    bool cancelAsked = false;
    // Short runs end within a few milliseconds; long ones are looked at ten times a second.
    std::chrono::milliseconds pause{1};
    while (!finished.load()) {
        // Asked again on every turn: a request that came before `run` began listening is
        // cleared by it.
        if (cancelled()) {
            project.requestCancel();
            cancelAsked = true;
        }
        show(meter.update(percent.load(), elapsedSeconds()));
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(100));
    }
    worker.join();

    const int shownPercent = wholePercent(percent.load());
    if (!runResult.load()) {
        show(meter.finish());
        const std::string reason = failureText(project.lastFailure());
        return {RunFailed, reason.empty() ? "the conform failed." : reason};
    }
    if (cancelAsked) {
        show(meter.update(percent.load(), elapsedSeconds()));
        show(meter.finish());
        return {Cancelled, "cancelled at " + std::to_string(shownPercent) + "%; " +
                               joinedOutputs(outputs) +
                               (outputs.size() == 1 ? " holds" : " hold") +
                               " what was written until then."};
    }
    show(meter.update(100.0, elapsedSeconds()));
    show(meter.finish());
    return {Success, "wrote " + joinedOutputs(outputs)};
}

std::vector<std::string> batchOutputPaths(const std::string& projectFolder,
                                          const std::string& outputFolder, bool dualMono)
{
    const std::filesystem::path folder = pathFromUtf8(outputFolder);
    const std::string name = projectName(projectFolder);
    if (!dualMono)
        return {utf8FromPath(folder / pathFromUtf8(name + ".wav"))};
    return {utf8FromPath(folder / pathFromUtf8(name + "L.wav")),
            utf8FromPath(folder / pathFromUtf8(name + "R.wav"))};
}

int conformBatch(const std::vector<std::string>& projectFolders, const std::string& outputFolder,
                 const OutputOptions& options, bool force, ConformRunner& runner, std::ostream& out)
{
    std::vector<std::pair<std::string, JobResult>> results;
    std::vector<std::pair<std::string, std::string>> claimed; // output, project that writes it
    int worst = Success;
    for (const std::string& folder : projectFolders) {
        const ConformJob job{folder, batchOutputPaths(folder, outputFolder, options.dualMono()),
                             options, force};
        JobResult result;
        // Two projects of one name would write one file; with --force the second would
        // silently replace the first one's result.
        for (const std::string& output : job.outputs)
            for (const auto& [claimedOutput, owner] : claimed)
                if (result.message.empty() &&
                    samePath(pathFromUtf8(output), pathFromUtf8(claimedOutput)))
                    result = {Refused, output + " is already the output of " + owner + "."};
        if (result.message.empty()) {
            result = runner.conform(job);
            if (result.status != Refused && result.status != NotConformable)
                for (const std::string& output : job.outputs)
                    claimed.emplace_back(output, folder);
        }
        worst = std::max(worst, result.status);
        results.emplace_back(folder, std::move(result));
    }
    for (const auto& [folder, result] : results)
        out << result.status << " " << folder << ": " << result.message << "\n";
    return worst;
}

} // namespace tabrix::cli
