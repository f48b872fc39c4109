#include "cli/CommandLine.h"

#include "cli/CliText.h"
#include "cli/ExitStatus.h"
#include "cli/PlanCommand.h"
#include "cli/SummaryCommand.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <ostream>
#include <vector>

#ifndef TABRIX_VERSION
#define TABRIX_VERSION "unknown"
#endif

namespace tabrix::cli {

namespace {

constexpr const char* description =
    "Conforms a recording project: lays the Broadcast WAV takes of PROJECT/Audio Files (or of\n"
    "PROJECT itself when it has no such folder, as on a recorder's card) on one timeline by\n"
    "their time references (the most recent recording wins every overlap), fills\n"
    "gaps with silence, fades at the splices between recordings and writes one continuous\n"
    "Broadcast WAV file, or a pair of mono files, whose time reference lines up with the\n"
    "project's timeline.";

constexpr const char* footer = R"(Exit status:
  0    success
  1    the conform failed (the reason is on standard error)
  2    usage error, or the outputs were refused before anything was written
  3    the project can't be conformed (no usable takes, mixed sample rates, a folder that
       can't be read to the end)
  130  cancelled by SIGINT (Ctrl-C), SIGTERM or SIGHUP (a closed terminal), also
       while the project is read; a conform's shorter file is finalised
  In batch mode, the highest status of any project.

Examples:
  tabrix summary "Day 1"
  tabrix summary "Day 1" --channels dual --width 16 --json
  tabrix plan "Day 1" --csv > day1-plan.csv
  tabrix conform "Day 1" -o day1.wav
  tabrix conform "Day 1" --channels dual -o day1L.wav -o day1R.wav
  tabrix conform "Day 1" --channels split --width float -o day1.wav
  tabrix conform cards/* --out-dir delivered --progress)";

// In ChannelMode order, so a name's index is its mode.
const std::vector<std::string> channelNames{"stereo", "left", "right", "sum",
                                            "dual",   "all",  "split"};
// In SampleWidth order.
const std::vector<std::string> widthNames{"16", "24", "float"};

struct Choices {
    std::vector<std::string> projects;
    std::vector<std::string> outputs;
    std::string outputFolder;
    std::string width = "24";
    std::string channels = "stereo";
    bool json = false;
    bool csv = false;
    bool force = false;
    bool progress = false;

    OutputOptions options() const
    {
        const auto named = std::find(channelNames.begin(), channelNames.end(), channels);
        const auto wide = std::find(widthNames.begin(), widthNames.end(), width);
        return {static_cast<std::int32_t>(wide == widthNames.end() ? 1 : wide - widthNames.begin()),
                static_cast<std::int32_t>(
                    named == channelNames.end() ? 0 : named - channelNames.begin())};
    }
};

// The project folder(s) a command works on; summary and plan take exactly one.
void addProjectOption(CLI::App& command, Choices& choices, const std::string& description,
                      bool single)
{
    CLI::Option* option =
        command.add_option("PROJECT", choices.projects, description)->required()->type_name("");
    if (single)
        option->expected(1);
}

void addOutputOptions(CLI::App& command, Choices& choices)
{
    command
        .add_option("--width", choices.width,
                    "sample width of the output: 16, 24 (default) or float (32-bit float, which "
                    "keeps a float recorder's headroom above full scale)")
        ->transform(CLI::IsMember(widthNames, CLI::ignore_case))
        ->type_name("BITS");
    command
        .add_option("--channels", choices.channels,
                    "stereo (default), left, right, sum (left + right, not halved), dual (two "
                    "mono files), all (one file with every track) or split (a mono file per "
                    "track, named BASE_<track>.wav after -o BASE.wav)")
        ->transform(CLI::IsMember(channelNames, CLI::ignore_case))
        ->type_name("LAYOUT");
}

// The checks CLI11 can't express: how many outputs go with which layout and mode.
std::optional<std::string> conformUsageError(const Choices& choices)
{
    const bool dual = choices.options().dualMono();
    if (!choices.outputFolder.empty())
        return std::nullopt;
    if (choices.outputs.empty())
        return "conform needs -o OUT.wav, or --out-dir DIR for a batch.";
    if (choices.projects.size() > 1)
        return "several projects need --out-dir DIR instead of -o.";
    if (dual && choices.outputs.size() != 2)
        return "--channels dual needs two outputs: -o LEFT.wav -o RIGHT.wav.";
    if (!dual && choices.outputs.size() != 1)
        return "a second -o is only for --channels dual.";
    return std::nullopt;
}

int conformCommand(const Choices& choices, ConformEnvironment environment, bool errIsTerminal,
                   std::ostream& out, std::ostream& err)
{
    if (const auto usage = conformUsageError(choices)) {
        err << "tabrix: " << *usage << "\n";
        return Refused;
    }
    environment.progress = errIsTerminal      ? ProgressStyle::Bar
                           : choices.progress ? ProgressStyle::Lines
                                              : ProgressStyle::None;
    environment.progressStream = &err;
    environment.noteStream = &err;
    environment.namePrefix = !choices.outputFolder.empty();
    ConformRunner runner(std::move(environment));
    if (!choices.outputFolder.empty())
        return conformBatch(choices.projects, choices.outputFolder, choices.options(),
                            choices.force, runner, out);
    const JobResult result = runner.conform(
        {choices.projects.front(), choices.outputs, choices.options(), choices.force});
    if (result.status != Success)
        err << "tabrix: " << validUtf8(result.message) << "\n";
    return result.status;
}

} // namespace

int runCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err,
                   ConformEnvironment environment, bool errIsTerminal)
{
    CLI::App app(description, "tabrix");
    app.footer(footer);
    app.set_version_flag("--version", "tabrix " TABRIX_VERSION);
    app.require_subcommand(1, 1);
    Choices choices;

    CLI::App* summary = app.add_subcommand(
        "summary", "Print the project's summary line as the window shows it, then one line per "
                   "skipped file: \"skipped: NAME: REASON\".");
    addProjectOption(*summary, choices,
                     "the project folder (holding \"Audio Files\", or the takes themselves)", true);
    addOutputOptions(*summary, choices);
    summary->add_flag("--json", choices.json, "print one JSON object instead");

    CLI::App* plan = app.add_subcommand(
        "plan", "Print the timeline's segments in timeline order: which take plays where, from "
                "which of its frames.");
    addProjectOption(*plan, choices, "the project folder", true);
    plan->add_flag("--csv", choices.csv,
                   "CSV with the header take,start,end,source_offset,start_time,end_time (frames; "
                   "end is one past the last frame)");

    CLI::App* conform = app.add_subcommand(
        "conform", "Conform PROJECT into OUT.wav; with --out-dir, conform each PROJECT into "
                   "DIR/<project folder name>.wav and print one result line per project.");
    addProjectOption(*conform, choices, "project folder(s)", false);
    CLI::Option* outputs =
        conform
            ->add_option("-o,--output", choices.outputs,
                         "output file; give it twice (left, then right) for --channels dual")
            ->expected(1)
            ->type_name("OUT.wav")
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    conform
        ->add_option("--out-dir", choices.outputFolder,
                     "batch mode: the folder the outputs go to (Dual Mono: <name>L.wav and "
                     "<name>R.wav; Split Tracks: <name>_<track>.wav)")
        ->type_name("DIR")
        ->excludes(outputs);
    addOutputOptions(*conform, choices);
    conform->add_flag("--force", choices.force, "replace outputs that already exist");
    conform->add_flag("--progress", choices.progress,
                      "when standard error is not a terminal, print a line per 10 %");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? Success : Refused;
    }
    if (summary->parsed())
        return summaryCommand(choices.projects.front(), choices.options(), choices.json, out, err,
                              environment.cancelled);
    if (plan->parsed())
        return planCommand(choices.projects.front(), choices.csv, out, err, environment.cancelled);
    return conformCommand(choices, std::move(environment), errIsTerminal, out, err);
}

} // namespace tabrix::cli
