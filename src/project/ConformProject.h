#pragma once
#include "audio/BwfFile.h"
#include "audio/TakeList.h"
#include "audio/Types.h"
#include "project/TakeSource.h"
#include "project/TakeTimeline.h"
#include "project/Timecode.h"
#include "project/TimelineSegment.h"
#include "render/OutputConverter.h"
#include "render/RenderState.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tabrix {

/// A "*.wav" file of the take folder that is not in the conform, and why.
struct SkippedFile {
    std::string fileName; ///< UTF-8, as listed
    TakeRejection rejection;
};

/// What stopped the last conform (or the output preparation or load before it).
enum class FailureKind : std::uint8_t {
    None,
    ListFolder,   ///< the take folder could not be listed to its end (`fileName`: its path)
    CreateOutput, ///< an output file could not be created
    WriteOutput,  ///< writing, flushing or closing an output failed
    ReadTake,     ///< a take could not be opened or read during the run
    TakeChanged,  ///< a take holds fewer frames than when it was loaded
};

struct RunFailure {
    FailureKind kind = FailureKind::None;
    std::string fileName;  ///< UTF-8 name (no folder) of the file concerned; a folder's path
    int systemError = 0;   ///< the system's error number, 0 when it gave none
};

/// A track of the project: one channel of the All Tracks output, or one Split Tracks file.
struct ProjectTrack {
    std::uint32_t key = 0; ///< the recorders' track number (iXML CHANNEL_INDEX), or position
    std::string name;      ///< the newest recording's name for it; empty when none names it
    bool operator==(const ProjectTrack&) const = default;
};

/// A timeline position as a clock time; `fraction` is hundredths of a second.
struct ClockTime {
    std::int8_t hours = 0;
    std::int8_t minutes = 0;
    std::int8_t seconds = 0;
    std::int8_t fraction = 0;
};

/// The one model object: the takes of the loaded folder, their timeline, the output options,
/// and during a conform the output file(s).
class ConformProject {
public:
    ConformProject();
    ~ConformProject();
    ConformProject(const ConformProject&) = delete;
    ConformProject& operator=(const ConformProject&) = delete;

    /// Scans `projectFolder` (UTF-8) / "Audio Files" for takes, or `projectFolder` itself when
    /// it has no such subfolder, and builds the timeline. True when at least one take was
    /// found and all share one sample rate; with mixed rates the timeline is still built but
    /// the result is false. A listing the system breaks off loads nothing (`lastFailure` says
    /// ListFolder). `stopRequested`, when given, is asked before each listed entry and each
    /// take read; true ends the load with nothing loaded and the result false.
    bool load(const std::string& projectFolder, const std::function<bool()>& stopRequested = {});
    /// The folder `load` lists for takes: `projectFolder` / "Audio Files" when that is a
    /// folder, else `projectFolder` itself.
    static std::filesystem::path takeFolderOf(const std::filesystem::path& projectFolder);
    /// Output width (true: 24 bit, else 16) and channel mode (0-6; any other value: Stereo).
    void setOutputOptions(bool bits24, int channelMode);
    /// Output width (16 bit, 24 bit or 32-bit float) and channel mode (0-6; any other value:
    /// Stereo).
    void setOutputOptions(SampleWidth width, int channelMode);
    SampleWidth outputWidth() const noexcept { return width; }
    /// Files the chosen mode writes: 2 for Dual Mono, one per track for Split Tracks, else 1.
    std::size_t outputFileCount() const noexcept;
    /// Channels of each of them: 2 for Stereo, one per track for All Tracks, else 1.
    std::size_t outputChannelsPerFile() const noexcept;
    /// Clock times of the first segment's start and the last segment's end; false (zeros)
    /// without a timeline.
    bool getStartEndTimes(ClockTime& start, ClockTime& end) const;
    /// Audio data bytes the conform will write (both files for Dual Mono), no headers; false
    /// (and 0) without a timeline.
    bool getOutputSize(std::uint64_t& bytes) const;
    /// Splits a position into hours, minutes, seconds, hundredths; all zero at a rate of 0.
    void timeOfDay(SamplePos pos, ClockTime& out) const;
    std::uint32_t sampleRate() const noexcept { return projectRate; }
    bool rateMismatch() const noexcept { return mismatchedRates; }
    std::uint8_t fadeRate() const noexcept { return fadeRateCode; }
    std::int32_t channelMode() const noexcept { return outputMode; }

    const TakeList& takes() const noexcept { return takeList; }
    /// What plays: the takes in take-list order, each family of files as one.
    const TakeSources& sources() const noexcept { return takeSources; }
    /// Every track key of every take, in ascending order, with its name.
    const std::vector<ProjectTrack>& tracks() const noexcept { return projectTracks; }
    /// The project's timecode rate: that of the first take in timeline order whose iXML gives
    /// a readable one; none when no take does (times are then clock times).
    const std::optional<TimecodeRate>& timecodeRate() const noexcept { return projectTimecode; }
    /// The chunks output file `fileIndex` of the prepared or finished conform gets after its
    /// audio: iXML (project, tape, speed, time reference, its tracks), and a cue point with
    /// its label and note for every segment that starts inside the `frameCount` frames it
    /// holds.
    std::vector<std::uint8_t> trailingChunks(std::size_t fileIndex, std::uint64_t frameCount) const;
    /// The "*.wav" files of the last load that are not takes, in listing order.
    const std::vector<SkippedFile>& skippedFiles() const noexcept { return skipped; }
    /// The folder the last load listed for takes ("Audio Files" or the chosen folder itself);
    /// empty before any load.
    const std::filesystem::path& takeFolder() const noexcept { return takeFolderPath; }
    /// Why the last `load`, `prepareOutput`, `prepareDualMonoOutput` or `run` failed; kind
    /// None after a success.
    const RunFailure& lastFailure() const noexcept { return failure; }
    /// The timeline; none before a load that found takes.
    const TakeTimeline* timeline() const noexcept { return takeTimeline.get(); }

    /// Creates the single output file (Stereo, Mono Left/Right/Sum, All Tracks). False when no
    /// path is given, nothing is loaded, or the file could not be created.
    bool prepareOutput(const std::string& path);
    /// Creates the left and right files of a Dual Mono conform. When the right file cannot be
    /// created, the left one just created is removed again.
    bool prepareDualMonoOutput(const std::string& leftPath, const std::string& rightPath);
    /// Creates the files the chosen mode writes (outputFileCount() of them, in order: left and
    /// right, or one per track). When one can't be created, those created before are removed.
    bool prepareOutputs(const std::vector<std::string>& paths);
    /// Renders the timeline into the prepared output(s), adding to `progressPercent` for
    /// each block written (blocks go out a few at a time; their steps follow the write). True when it reached the end or was cancelled; false when nothing was
    /// prepared or there was nothing to render, or when a take could not be read or an output
    /// could not be written or closed (`lastFailure` says which). A failed run leaves each
    /// output finalised for exactly the frames on disk: every block before an unreadable take,
    /// the whole frames that reached the disk before a failed write. During the run the
    /// headers are brought up to date every `headerUpdateBlocks` blocks. Runs on the worker
    /// thread.
    bool run(std::atomic<double>& progressPercent);
    /// Asks a running conform to stop at the next block boundary. Any thread.
    void requestCancel() noexcept { cancelRequested.store(true); }
    /// True while a cancel request waits for the run to take it up. Any thread.
    bool cancelPending() const noexcept { return cancelRequested.load(); }
    /// Called on the run's thread after each block is on disk and counted, with the count so
    /// far; none by default. Lets a test stop, cancel or cut off a run at an exact block.
    void setBlockObserver(std::function<void(std::uint64_t blocksWritten)> observer)
    {
        blockObserver = std::move(observer);
    }

    /// Blocks between two header updates during a run: a file left by a crash declares all
    /// but at most this many of the blocks it holds.
    static constexpr std::uint64_t headerUpdateBlocks = 32;

private:
    [[nodiscard]] bool writeStagedBlocks(std::atomic<double>& progressPercent, double step,
                                          std::uint64_t& blocksWritten);
    void noteReadFailure();
    void noteWriteFailure(const BwfFile& failed, int systemError);
    [[nodiscard]] bool updateOutputHeaders();
    void closeOutputFiles();
    [[nodiscard]] bool scanAudioFiles(const std::filesystem::path& audioFolder,
                                      const std::function<bool()>& stopRequested);
    void forgetTakes();
    void collectTracks();
    void releaseOutputs();
    std::unique_ptr<BwfFile> createOutputFile(const std::string& path, std::size_t fileIndex);
    bool layOut();
    SamplePos timelineStart() const noexcept;
    /// Frames from the first segment's start to the last one's end; 0 without a timeline.
    std::uint64_t timelineFrames() const noexcept;

    RenderState renderState;
    OutputConverter outputConverter;
    TakeList takeList;
    TakeSources takeSources;
    std::vector<ProjectTrack> projectTracks;
    std::optional<TimecodeRate> projectTimecode;
    std::vector<SkippedFile> skipped;
    std::filesystem::path takeFolderPath;
    RunFailure failure;
    std::unique_ptr<TakeTimeline> takeTimeline;
    std::vector<std::unique_ptr<BwfFile>> outputFiles;
    std::int32_t outputMode = 0;
    SampleWidth width = SampleWidth::Bits16;
    std::uint32_t projectRate = 0;
    std::uint8_t fadeRateCode = 0;
    std::function<void(std::uint64_t)> blockObserver;
    std::atomic<bool> cancelRequested{false};
    bool mismatchedRates = false;
};

} // namespace tabrix
