#include "app/ProjectDetails.h"

#include "frontend/ProblemText.h"
#include "frontend/ProjectSummary.h"
#include "project/ConformProject.h"

#include <algorithm>

namespace tabrix {

std::vector<SkippedRow> ProjectDetails::skippedRows(const ConformProject& project)
{
    std::vector<SkippedRow> rows;
    for (const SkippedFile& file : project.skippedFiles())
        rows.push_back({file.fileName, rejectionText(file.rejection)});
    // Mixed rates keep the whole folder out; the list shows which takes are the odd ones.
    const std::string prevailing = std::to_string(prevailingRate(project));
    for (const Take* take : oddRateTakes(project))
        rows.push_back({utf8FromPath(take->path().filename()),
                        "sample rate " + std::to_string(take->format().sampleRate) +
                            " Hz differs from the other takes' " + prevailing + " Hz"});
    return rows;
}

std::vector<std::vector<std::string>> ProjectDetails::unusedRows(const ConformPlan& plan)
{
    std::vector<std::vector<std::string>> rows;
    const std::vector<PlanSegment>& segments = plan.segments();
    for (const PlanUnusedTake& take : plan.unusedTakes()) {
        // The takes playing where this one would, each named once, in timeline order.
        std::vector<std::string> covering;
        for (std::size_t i = plan.firstEndingAfter(take.start);
             i < segments.size() && segments[i].start < take.end; ++i)
            if (std::find(covering.begin(), covering.end(), segments[i].takeName) ==
                covering.end())
                covering.push_back(segments[i].takeName);
        std::string names;
        for (const std::string& name : covering)
            names += (names.empty() ? "" : ", ") + name;
        rows.push_back({take.takeName, plan.times().range(take.start, take.end), names});
    }
    return rows;
}

DetailsContent ProjectDetails::of(const ConformProject& project, const ConformPlan& plan,
                                  std::size_t focusSection)
{
    DetailsContent content;
    content.intro = "Takes read from:";
    content.folder = utf8FromPath(project.takeFolder());
    DetailsSection skipped{"Skipped files: ", {"File", "Why it is not in the conform"}, {},
                           "Every WAV file in the folder is a take."};
    for (SkippedRow& row : skippedRows(project))
        skipped.rows.push_back({std::move(row.fileName), std::move(row.reason)});
    skipped.heading += std::to_string(skipped.rows.size());
    DetailsSection unused{"Takes not used, covered by newer takes: ",
                          {"Take", "Where it would play", "Played there instead"},
                          unusedRows(plan), "Every take plays somewhere."};
    unused.heading += std::to_string(unused.rows.size());
    content.sections = {std::move(skipped), std::move(unused)};
    // Takes written as a file per track are one take each: which files make up which.
    DetailsSection families{"Takes made of several files: ", {"Take", "Files"}, {}, ""};
    for (const std::unique_ptr<TakeSource>& source : project.sources()) {
        if (!source->isFamily())
            continue;
        std::string files;
        for (const Take* member : source->members())
            files += (files.empty() ? "" : ", ") + utf8FromPath(member->path().filename());
        families.rows.push_back({ConformPlan::sourceName(*source), files});
    }
    families.heading += std::to_string(families.rows.size());
    if (!families.rows.empty())
        content.sections.push_back(std::move(families));
    content.focusSection = std::min(focusSection, content.sections.size() - 1);
    return content;
}

} // namespace tabrix
