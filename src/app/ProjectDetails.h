#pragma once
#include "frontend/ConformPlan.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tabrix {

class ConformProject;

/// A "*.wav" file that is not in the conform, as the Details window lists it.
struct SkippedRow {
    std::string fileName;
    std::string reason; ///< plain words, e.g. "no audio data"
    bool operator==(const SkippedRow&) const = default;
};

/// One titled table of the Details window. Every row has one cell per column, shown in full.
struct DetailsSection {
    std::string heading;               ///< "Skipped files: 2", "Takes not used: 1"
    std::vector<std::string> columns;  ///< the column titles
    std::vector<std::vector<std::string>> rows;
    std::string emptyText;             ///< said instead of the table when there are no rows
};

/// What the Details window shows: the folder the takes were read from, then its sections.
struct DetailsContent {
    std::string title = "Details";
    std::string intro;                     ///< what `folder` is
    std::string folder;                    ///< the take folder, UTF-8
    /// Skipped files, the takes not used, and the takes made of several files when there are.
    std::vector<DetailsSection> sections;
    std::size_t focusSection = 0;          ///< the section to bring into view first
};

/// Builds the Details window's content from a loaded project and its plan.
class ProjectDetails {
public:
    /// The sections, in this order.
    static constexpr std::size_t skippedSection = 0;
    static constexpr std::size_t unusedSection = 1;

    /// The files the last load skipped, with their reasons in words; with mixed sample rates
    /// also the takes not at the rate most takes share (see oddRateTakes).
    static std::vector<SkippedRow> skippedRows(const ConformProject& project);
    /// Every take that plays nowhere: its name, where it would play and the takes that play
    /// there instead, each in full.
    static std::vector<std::vector<std::string>> unusedRows(const ConformPlan& plan);
    /// Both sections, with `focusSection` to show first.
    static DetailsContent of(const ConformProject& project, const ConformPlan& plan,
                             std::size_t focusSection);
};

} // namespace tabrix
