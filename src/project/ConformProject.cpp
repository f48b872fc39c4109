#include "project/ConformProject.h"

#include "audio/MarkerChunks.h"
#include "audio/PlatformFs.h"

#include <algorithm>
#include <limits>
#include <map>
#include <cctype>
#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

namespace tabrix {

namespace {

std::string foldAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool isWavName(const std::string& name)
{
    return name.size() >= 4 && foldAscii(name.substr(name.size() - 4)) == ".wav";
}

struct ListedName {
    std::string folded;
    std::string name;
    bool regular = false;
    bool operator<(const ListedName& other) const { return folded < other.folded; }
};

// The non-directory "*.wav" entries, in a repeatable order: byte order with ASCII letters
// folded (the order only decides among takes recorded at the same second). Only regular files
// (or links to them) may be opened: opening a pipe or a device blocks or reads endlessly.
std::vector<ListedName> takeNamesOf(std::vector<platform::FolderEntry>& entries)
{
    std::vector<ListedName> names;
    for (platform::FolderEntry& entry : entries)
        if (!entry.isFolder && isWavName(entry.name))
            names.push_back({foldAscii(entry.name), std::move(entry.name), entry.isRegularFile});
    std::stable_sort(names.begin(), names.end());
    return names;
}

} // namespace

// A project keeps its takes in "Audio Files"; a recorder's card or a copied day folder holds
// them directly.
std::filesystem::path ConformProject::takeFolderOf(const std::filesystem::path& projectFolder)
{
    const std::filesystem::path audioFiles = projectFolder / "Audio Files";
    return platform::isFolder(audioFiles) ? audioFiles : projectFolder;
}

ConformProject::ConformProject()
{
    renderState.setDirectOutput(&outputConverter); // used only while an output is bound
}

ConformProject::~ConformProject()
{
    takeTimeline.reset();
    releaseOutputs(); // finalises an output left open by a failed run
    takeSources.clear();
    takeList.clear();
}

bool ConformProject::load(const std::string& projectFolder,
                          const std::function<bool()>& stopRequested)
{
    takeTimeline.reset();
    takeSources.clear();
    projectTracks.clear();
    projectTimecode.reset();
    takeList.clear();
    renderState.resetRender(); // it may point into the released timeline
    failure = {};
    takeFolderPath = takeFolderOf(pathFromUtf8(projectFolder));
    if (!scanAudioFiles(takeFolderPath, stopRequested)) {
        forgetTakes(); // part of a folder is not the project: nothing is conformed from it
        return false;
    }
    if (takeList.count() == 0)
        return false;
    takeSources = groupTakes(takeList);
    collectTracks();
    auto timeline = std::make_unique<TakeTimeline>();
    timeline->build(takeSources);
    if (timeline->first() == nullptr)
        return false; // every take was left off: nothing to conform
    takeTimeline = std::move(timeline);
    for (const TimelineSegment* s = takeTimeline->first(); s != nullptr && !projectTimecode; s = s->next) {
        const TakeIxml& ixml = s->take->lead().ixml();
        projectTimecode = readTimecodeRate(ixml.timecodeRate, ixml.timecodeFlag);
    }
    fadeRateCode = projectRate < 88000 ? 16 : (projectRate < 176000 ? 8 : 4);
    return !mismatchedRates;
}

void ConformProject::forgetTakes()
{
    takeList.clear();
    skipped.clear();
    mismatchedRates = false;
    projectRate = 0; // a folder without takes has no rate, not the previous folder's
}

// False when the listing failed (noted) or a stop was asked for.
bool ConformProject::scanAudioFiles(const std::filesystem::path& audioFolder,
                                    const std::function<bool()>& stopRequested)
{
    forgetTakes();
    platform::FolderListing listing = platform::listFolder(audioFolder, stopRequested);
    if (listing.end == platform::ListingEnd::Failed)
        failure = {FailureKind::ListFolder, utf8FromPath(audioFolder), listing.systemError};
    if (listing.end != platform::ListingEnd::Complete)
        return false;
    bool first = true;
    for (const ListedName& listed : takeNamesOf(listing.entries)) {
        if (stopRequested && stopRequested())
            return false;
        if (!listed.regular) {
            skipped.push_back({listed.name, {TakeProblem::NotRegularFile, 0}});
            continue;
        }
        auto take = std::make_unique<Take>(audioFolder, listed.name);
        if (!take->parse()) {
            skipped.push_back({listed.name, take->rejection()});
            continue;
        }
        const std::uint32_t rate = take->format().sampleRate;
        if (first)
            projectRate = rate;
        else if (rate != projectRate)
            mismatchedRates = true;
        first = false;
        takeList.insertSorted(std::move(take));
    }
    return true;
}

// A track's name is the last one given to its key in take-list order, oldest recording
// first: the newest recording's name wins.
void ConformProject::collectTracks()
{
    std::map<std::uint32_t, std::string> names;
    for (const std::unique_ptr<TakeSource>& source : takeSources)
        for (const SourceTrack& track : source->tracks()) {
            std::string& name = names[track.key];
            if (!track.name.empty())
                name = track.name;
        }
    for (auto& [key, name] : names)
        projectTracks.push_back({key, std::move(name)});
}

void ConformProject::setOutputOptions(bool bits24, int channelMode)
{
    setOutputOptions(bits24 ? SampleWidth::Bits24 : SampleWidth::Bits16, channelMode);
}

void ConformProject::setOutputOptions(SampleWidth outputWidth, int channelMode)
{
    width = outputWidth;
    const bool known = channelMode >= 0 && channelMode <= 6;
    outputMode = known ? channelMode : 0;
}

std::size_t ConformProject::outputFileCount() const noexcept
{
    switch (static_cast<ChannelMode>(outputMode)) {
    case ChannelMode::DualMono: return 2;
    case ChannelMode::SplitTracks: return projectTracks.size();
    default: return 1;
    }
}

std::size_t ConformProject::outputChannelsPerFile() const noexcept
{
    switch (static_cast<ChannelMode>(outputMode)) {
    case ChannelMode::Stereo: return 2;
    case ChannelMode::AllTracks: return projectTracks.size();
    default: return 1;
    }
}

void ConformProject::timeOfDay(SamplePos pos, ClockTime& out) const
{
    const std::uint64_t r = projectRate;
    if (r == 0) {
        out = ClockTime{};
        return;
    }
    const std::uint64_t hours = pos / (r * 3600);
    std::uint64_t rest = pos - hours * r * 3600;
    const std::uint64_t minutes = rest / (r * 60);
    rest -= minutes * r * 60;
    const std::uint64_t seconds = rest / r;
    rest -= seconds * r;
    out.hours = static_cast<std::int8_t>(hours);
    out.minutes = static_cast<std::int8_t>(minutes);
    out.seconds = static_cast<std::int8_t>(seconds);
    out.fraction = static_cast<std::int8_t>(rest * 100 / r); // hundredths
}

bool ConformProject::getStartEndTimes(ClockTime& start, ClockTime& end) const
{
    start = ClockTime{};
    end = ClockTime{};
    if (!takeTimeline)
        return false;
    const TimelineSegment* first = takeTimeline->first();
    const TimelineSegment* last = takeTimeline->last();
    if (first != nullptr && last != nullptr) {
        timeOfDay(first->start, start);
        timeOfDay(last->end, end);
    }
    return true;
}

bool ConformProject::getOutputSize(std::uint64_t& bytes) const
{
    bytes = timelineFrames() * sampleBytesOf(outputFormatOf(width)) * outputChannelsPerFile() *
            outputFileCount();
    return takeTimeline != nullptr;
}

SamplePos ConformProject::timelineStart() const noexcept
{
    const TimelineSegment* first = takeTimeline ? takeTimeline->first() : nullptr;
    return first != nullptr ? first->start : 0;
}

std::uint64_t ConformProject::timelineFrames() const noexcept
{
    const TimelineSegment* first = takeTimeline ? takeTimeline->first() : nullptr;
    const TimelineSegment* last = takeTimeline ? takeTimeline->last() : nullptr;
    return first != nullptr && last != nullptr ? last->end - first->start : 0;
}

void ConformProject::releaseOutputs()
{
    outputFiles.clear(); // closes (and so finalises) files still open
}

std::unique_ptr<BwfFile> ConformProject::createOutputFile(const std::string& path,
                                                          std::size_t fileIndex)
{
    const auto channels = static_cast<std::uint16_t>(outputChannelsPerFile());
    // What the file will hold once the whole timeline is written decides its header form.
    const OutputFormat format = outputFormatOf(width);
    const std::uint64_t plannedBytes = timelineFrames() * sampleBytesOf(format) * channels;
    auto file = std::make_unique<BwfFile>(
        pathFromUtf8(path), channels, projectRate,
        static_cast<std::uint8_t>(8 * sampleBytesOf(format)), timelineStart(), plannedBytes,
        format == OutputFormat::Float32);
    // With every marker: a cancelled run's file holds fewer, never more.
    file->setTrailingChunks(trailingChunks(fileIndex, timelineFrames()));
    errno = 0;
    if (!file->create()) {
        failure = {FailureKind::CreateOutput, utf8FromPath(pathFromUtf8(path).filename()), errno};
        return nullptr;
    }
    return file;
}

bool ConformProject::prepareOutput(const std::string& path)
{
    return prepareOutputs({path});
}

bool ConformProject::prepareDualMonoOutput(const std::string& leftPath,
                                           const std::string& rightPath)
{
    return prepareOutputs({leftPath, rightPath});
}

bool ConformProject::prepareOutputs(const std::vector<std::string>& paths)
{
    releaseOutputs();
    failure = {};
    if (!takeTimeline || paths.size() != outputFileCount() || paths.empty() ||
        std::any_of(paths.begin(), paths.end(), [](const std::string& p) { return p.empty(); }))
        return false;
    for (const std::string& path : paths) {
        std::unique_ptr<BwfFile> file = createOutputFile(path, outputFiles.size());
        if (!file) {
            // Part of a set is of no use: take away the files just created.
            outputFiles.clear();
            for (const std::string& created : paths) {
                if (created == path)
                    break;
                (void)platform::removeFile(pathFromUtf8(created));
            }
            return false;
        }
        outputFiles.push_back(std::move(file));
    }
    return true;
}

// The run's working lanes and output layout: two lanes for the two-channel modes, one per
// track for All and Split Tracks; pairs of integer words unless tracks or floats are written.
bool ConformProject::layOut()
{
    const bool everyTrack = outputMode == int(ChannelMode::AllTracks) ||
                            outputMode == int(ChannelMode::SplitTracks);
    const OutputFormat format = outputFormatOf(width);
    const std::size_t laneCount = everyTrack ? projectTracks.size() : 2;
    const BlockLayout layout = format == OutputFormat::Float32 ? BlockLayout::Floats
                               : everyTrack                    ? BlockLayout::Words
                                                               : BlockLayout::Frames;
    std::vector<std::uint32_t> keys;
    for (const ProjectTrack& track : projectTracks)
        keys.push_back(track.key);
    for (const std::unique_ptr<TakeSource>& source : takeSources)
        source->bindLanes(everyTrack ? &keys : nullptr);
    OutputLayout output{{}, outputMode, format, laneCount};
    for (const std::unique_ptr<BwfFile>& file : outputFiles)
        output.files.push_back(file.get());
    return renderState.setLayout(layout, laneCount) && outputConverter.bindOutput(output);
}

bool ConformProject::run(std::atomic<double>& progressPercent)
{
    cancelRequested.store(false);
    failure = {};
    if (!takeTimeline || outputFiles.empty())
        return false;
    const TimelineSegment* first = takeTimeline->first();
    const TimelineSegment* last = takeTimeline->last();
    const SamplePos from = first != nullptr ? first->start : 0;
    const SamplePos to = last != nullptr ? last->end : 0;
    if (from >= to)
        return false;
    const std::uint64_t blocks = (to - from) / blockFrames;
    const double step = blocks == 0 ? 100.0 : 100.0 / double(blocks);
    renderState.resetRender();
    if (!layOut()) {
        failure = {FailureKind::WriteOutput, utf8FromPath(outputFiles.front()->path().filename()),
                   ENOMEM};
        return false; // its buffers could not be had
    }

    std::uint64_t blocksWritten = 0;
    SamplePos position = from;
    bool failed = false;
    while (!failed && position < to && !cancelRequested.load()) {
        const SamplePos previous = position;
        if (!renderState.renderBlock(takeTimeline.get(), position,
                                     static_cast<std::int8_t>(fadeRateCode))) {
            // The staged blocks before it still go out; this one is not written.
            if (writeStagedBlocks(progressPercent, step, blocksWritten))
                noteReadFailure();
            failed = true;
            break;
        }
        const std::uint64_t frameCount = std::min(position, to) - previous;
        errno = 0;
        if (!outputConverter.stageBlock(renderState.view(), frameCount)) {
            noteWriteFailure(*outputFiles.front(), errno);
            failed = true;
        } else if (outputConverter.stagedBlocks() == outputConverter.stageLimit()) {
            failed = !writeStagedBlocks(progressPercent, step, blocksWritten);
        }
    }
    if (!failed) // the last block, or the one rendered before a cancel
        (void)writeStagedBlocks(progressPercent, step, blocksWritten);
    closeOutputFiles();
    outputConverter.closeOutputs();
    for (TimelineSegment* s = takeTimeline->first(); s != nullptr; s = s->next) {
        s->cache.releaseBuffer();
        s->take->close();
    }
    renderState.resetRender();
    return failure.kind == FailureKind::None;
}

namespace {

// A value every take that has one agrees on; empty when none has one or they differ.
template <typename Field>
std::string agreedValue(const TakeList& takes, Field field)
{
    std::string agreed;
    for (const Take* take = takes.head(); take != nullptr; take = TakeList::nextOf(take)) {
        const std::string& value = field(take->ixml());
        if (value.empty())
            continue;
        if (!agreed.empty() && agreed != value)
            return std::string();
        agreed = value;
    }
    return agreed;
}

// "12A T3" from the take's scene and take numbers, else its file name without extension.
std::string markerLabel(const Take& take)
{
    if (!take.ixml().scene.empty() && !take.ixml().take.empty())
        return take.ixml().scene + " T" + take.ixml().take;
    return utf8FromPath(take.path().stem());
}

} // namespace

std::vector<std::uint8_t> ConformProject::trailingChunks(std::size_t fileIndex,
                                                         std::uint64_t frameCount) const
{
    if (fileIndex >= outputFileCount() || !takeTimeline)
        return {};
    OutputIxml ixml;
    ixml.project = agreedValue(takeList, [](const TakeIxml& i) -> const std::string& { return i.project; });
    ixml.tape = agreedValue(takeList, [](const TakeIxml& i) -> const std::string& { return i.tape; });
    if (projectTimecode) {
        ixml.timecodeRate = projectTimecode->rateText;
        ixml.timecodeFlag = projectTimecode->flagText;
    }
    ixml.sampleRate = projectRate;
    ixml.timeReference = timelineStart();
    switch (static_cast<ChannelMode>(outputMode)) {
    case ChannelMode::AllTracks:
        for (const ProjectTrack& track : projectTracks)
            ixml.tracks.push_back({track.key, track.name});
        break;
    case ChannelMode::SplitTracks:
        if (fileIndex < projectTracks.size())
            ixml.tracks.push_back({projectTracks[fileIndex].key, projectTracks[fileIndex].name});
        break;
    case ChannelMode::Stereo: ixml.tracks = {{1, "L"}, {2, "R"}}; break;
    case ChannelMode::MonoLeft: ixml.tracks = {{1, "L"}}; break;
    case ChannelMode::MonoRight: ixml.tracks = {{1, "R"}}; break;
    case ChannelMode::MonoSum: ixml.tracks = {{1, "Sum"}}; break;
    case ChannelMode::DualMono: ixml.tracks = {{1, fileIndex == 0 ? "L" : "R"}}; break;
    }
    const std::string document = writeIxml(ixml);
    std::vector<CuePoint> points;
    const SamplePos from = timelineStart();
    for (const TimelineSegment* s = takeTimeline->first(); s != nullptr; s = s->next) {
        const SamplePos at = s->start - from;
        if (at >= frameCount || at > std::numeric_limits<std::uint32_t>::max())
            break;
        const Take& take = s->take->lead();
        points.push_back({static_cast<std::uint32_t>(points.size() + 1),
                          static_cast<std::uint32_t>(at), markerLabel(take),
                          utf8FromPath(take.path().filename())});
    }
    std::vector<std::uint8_t> chunks =
        chunkBytes("iXML", std::span(reinterpret_cast<const std::uint8_t*>(document.data()),
                                     document.size()));
    for (const auto& chunk : {cueChunk(points), adtlChunk(points)})
        chunks.insert(chunks.end(), chunk.begin(), chunk.end());
    return chunks;
}

// Header updates fall between two write calls, at the same block counts as if every block
// went out on its own.
static_assert(ConformProject::headerUpdateBlocks % OutputConverter::maxStagedBlocks == 0);

// Writes the staged blocks, then counts them: one progress step each, a header update after
// every headerUpdateBlocks-th, and the observer. False once a failure is noted.
bool ConformProject::writeStagedBlocks(std::atomic<double>& progressPercent, double step,
                                       std::uint64_t& blocksWritten)
{
    const std::size_t staged = outputConverter.stagedBlocks();
    errno = 0;
    if (!outputConverter.writeStaged()) {
        const BwfFile* failedFile = outputConverter.failedFile();
        noteWriteFailure(failedFile != nullptr ? *failedFile : *outputFiles.front(), errno);
        return false;
    }
    for (std::size_t i = 0; i < staged; ++i) {
        if (++blocksWritten % headerUpdateBlocks == 0 && !updateOutputHeaders())
            return false;
        progressPercent.store(progressPercent.load() + step);
        if (blockObserver)
            blockObserver(blocksWritten);
    }
    return true;
}

void ConformProject::noteReadFailure()
{
    const TimelineSegment* segment = renderState.failedSegment;
    if (segment == nullptr || segment->take == nullptr) {
        failure = {FailureKind::ReadTake, std::string(), 0};
        return;
    }
    const SampleReadFailure& why = segment->cache.lastFailure;
    const Take* file = segment->cache.failedFile != nullptr ? segment->cache.failedFile
                                                            : &segment->take->lead();
    failure = {why.endReached ? FailureKind::TakeChanged : FailureKind::ReadTake,
               utf8FromPath(file->path().filename()), why.systemError};
}

// Keeps exactly the whole frames that reached the disk (the same number in every file of a
// set), so the header `close` writes declares nothing that isn't there.
void ConformProject::noteWriteFailure(const BwfFile& failed, int systemError)
{
    failure = {FailureKind::WriteOutput, utf8FromPath(failed.path().filename()), systemError};
    std::uint64_t frames = std::numeric_limits<std::uint64_t>::max();
    for (const std::unique_ptr<BwfFile>& file : outputFiles) {
        std::uint64_t onDisk = 0;
        if (!file->framesOnDisk(onDisk))
            return;
        frames = std::min(frames, onDisk);
    }
    // The later files first, as before: the first file is cut last.
    for (auto file = outputFiles.rbegin(); file != outputFiles.rend(); ++file)
        (void)(*file)->cutBackTo(frames);
}

bool ConformProject::updateOutputHeaders()
{
    for (const std::unique_ptr<BwfFile>& file : outputFiles) {
        errno = 0;
        if (!file->updateHeader()) {
            noteWriteFailure(*file, errno);
            return false;
        }
    }
    return true;
}

// A close that fails after the last block (its chunks after the audio, its header rewrite or
// the system's close) fails the run. A file without samples (a cancel before the first
// block) keeps its placeholder. A cancelled or failed file keeps the markers of the frames
// it holds.
void ConformProject::closeOutputFiles()
{
    for (std::size_t i = 0; i < outputFiles.size(); ++i) {
        const std::unique_ptr<BwfFile>& file = outputFiles[i];
        file->setTrailingChunks(trailingChunks(i, file->dataSize() / file->frameBytes()));
        errno = 0;
        const bool closed = file->close();
        if (!closed && file->dataSize() != 0 && failure.kind == FailureKind::None)
            failure = {FailureKind::WriteOutput, utf8FromPath(file->path().filename()), errno};
    }
}

} // namespace tabrix
