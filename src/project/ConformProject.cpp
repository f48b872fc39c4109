#include "project/ConformProject.h"

#include "audio/PlatformFs.h"

#include <algorithm>
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
std::vector<ListedName> listTakeNames(const std::filesystem::path& audioFolder)
{
    std::vector<ListedName> names;
    for (platform::FolderEntry& entry : platform::listFolder(audioFolder))
        if (!entry.isFolder && isWavName(entry.name))
            names.push_back({foldAscii(entry.name), std::move(entry.name), entry.isRegularFile});
    std::stable_sort(names.begin(), names.end());
    return names;
}

// A project keeps its takes in "Audio Files"; a recorder's card or a copied day folder holds
// them directly.
std::filesystem::path takeFolderOf(const std::filesystem::path& projectFolder)
{
    const std::filesystem::path audioFiles = projectFolder / "Audio Files";
    return platform::isFolder(audioFiles) ? audioFiles : projectFolder;
}

} // namespace

ConformProject::ConformProject()
{
    renderState.setDirectOutput(&outputConverter); // used only while an output is bound
}

ConformProject::~ConformProject()
{
    takeTimeline.reset();
    outputSegment.reset(); // finalises an output left open by a failed run
    outputFile1.reset();
    outputFile2.reset();
    takeList.clear();
}

bool ConformProject::load(const std::string& projectFolder)
{
    takeTimeline.reset();
    takeList.clear();
    renderState.resetRender(); // it may point into the released timeline
    takeFolderPath = takeFolderOf(pathFromUtf8(projectFolder));
    scanAudioFiles(takeFolderPath);
    if (takeList.count() == 0)
        return false;
    auto timeline = std::make_unique<TakeTimeline>();
    timeline->build(takeList);
    if (timeline->first() == nullptr)
        return false; // every take was left off: nothing to conform
    takeTimeline = std::move(timeline);
    fadeRateCode = projectRate < 88000 ? 16 : (projectRate < 176000 ? 8 : 4);
    return !mismatchedRates;
}

void ConformProject::scanAudioFiles(const std::filesystem::path& audioFolder)
{
    takeList.clear();
    skipped.clear();
    mismatchedRates = false;
    projectRate = 0; // a folder without takes has no rate, not the previous folder's
    bool first = true;
    for (const ListedName& listed : listTakeNames(audioFolder)) {
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
}

void ConformProject::setOutputOptions(bool bits24, int channelMode)
{
    outputBits = bits24 ? 24 : 16;
    const bool known = channelMode >= 0 && channelMode <= 4;
    outputMode = known ? channelMode : 0;
    const bool singleChannel = outputMode >= 1 && outputMode <= 3;
    outputChannelCount = singleChannel ? 1 : 2;
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
    bytes = timelineFrames() * (outputBits / 8u) * outputChannelCount;
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
    outputSegment.reset(); // closes (and so finalises) files it still holds open
    outputFile1.reset();
    outputFile2.reset();
}

std::unique_ptr<BwfFile> ConformProject::createOutputFile(const std::string& path,
                                                          std::uint8_t channels)
{
    // What the file will hold once the whole timeline is written decides its header form.
    const std::uint64_t plannedBytes = timelineFrames() * (outputBits / 8u) * channels;
    auto file = std::make_unique<BwfFile>(pathFromUtf8(path), channels, projectRate, outputBits,
                                          timelineStart(), plannedBytes);
    errno = 0;
    if (!file->create()) {
        failure = {FailureKind::CreateOutput, utf8FromPath(pathFromUtf8(path).filename()), errno};
        return nullptr;
    }
    return file;
}

bool ConformProject::prepareOutput(const std::string& path)
{
    releaseOutputs();
    failure = {};
    if (path.empty() || !takeTimeline)
        return false;
    outputFile1 = createOutputFile(path, outputChannelCount);
    if (!outputFile1)
        return false;
    outputSegment = std::make_unique<TimelineSegment>(outputFile1.get(), nullptr, outputMode);
    return true;
}

bool ConformProject::prepareDualMonoOutput(const std::string& leftPath,
                                           const std::string& rightPath)
{
    releaseOutputs();
    failure = {};
    if (leftPath.empty() || rightPath.empty() || !takeTimeline)
        return false;
    outputFile1 = createOutputFile(leftPath, 1);
    if (!outputFile1)
        return false;
    outputFile2 = createOutputFile(rightPath, 1);
    if (!outputFile2) {
        // Half a pair is of no use: take away the left file just created.
        outputFile1.reset();
        (void)platform::removeFile(pathFromUtf8(leftPath));
        return false;
    }
    outputSegment = std::make_unique<TimelineSegment>(outputFile1.get(), outputFile2.get(),
                                                      outputMode);
    return true;
}

bool ConformProject::run(std::atomic<double>& progressPercent)
{
    cancelRequested.store(false);
    failure = {};
    if (!takeTimeline || !outputSegment)
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
    if (!outputConverter.bindOutput(outputSegment.get())) {
        failure = {FailureKind::WriteOutput, utf8FromPath(outputFile1->path().filename()), ENOMEM};
        return false; // its buffer could not be had
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
        if (!outputConverter.stageBlock(renderState.frames(), frameCount)) {
            noteWriteFailure(*outputFile1, errno);
            failed = true;
        } else if (outputConverter.stagedBlocks() == OutputConverter::maxStagedBlocks) {
            failed = !writeStagedBlocks(progressPercent, step, blocksWritten);
        }
    }
    if (!failed) // the last block, or the one rendered before a cancel
        (void)writeStagedBlocks(progressPercent, step, blocksWritten);
    closeOutputFiles();
    outputConverter.closeOutputs();
    outputSegment.reset();
    for (TimelineSegment* s = takeTimeline->first(); s != nullptr; s = s->next) {
        s->cache.releaseBuffer();
        s->take->close();
    }
    renderState.resetRender();
    return failure.kind == FailureKind::None;
}

// Header updates fall between two write calls, at the same block counts as if every block
// went out on its own.
static_assert(ConformProject::headerUpdateBlocks % OutputConverter::maxStagedBlocks == 0);

// Writes the staged blocks, then counts them: one progress step each, and a header update
// after every headerUpdateBlocks-th. False once a failure is noted.
bool ConformProject::writeStagedBlocks(std::atomic<double>& progressPercent, double step,
                                       std::uint64_t& blocksWritten)
{
    const std::size_t staged = outputConverter.stagedBlocks();
    const auto leftBytes = outputFile1->dataSize();
    errno = 0;
    if (!outputConverter.writeStaged()) {
        // The left file is written first; if it took the blocks, the right one failed.
        const bool leftFailed = outputFile1->dataSize() == leftBytes || !outputFile2;
        noteWriteFailure(leftFailed ? *outputFile1 : *outputFile2, errno);
        return false;
    }
    for (std::size_t i = 0; i < staged; ++i) {
        if (++blocksWritten % headerUpdateBlocks == 0 && !updateOutputHeaders())
            return false;
        progressPercent.store(progressPercent.load() + step);
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
    failure = {why.endReached ? FailureKind::TakeChanged : FailureKind::ReadTake,
               utf8FromPath(segment->take->path().filename()), why.systemError};
}

// Keeps exactly the whole frames that reached the disk (the same number in both files of a
// pair), so the header `close` writes declares nothing that isn't there.
void ConformProject::noteWriteFailure(const BwfFile& failed, int systemError)
{
    failure = {FailureKind::WriteOutput, utf8FromPath(failed.path().filename()), systemError};
    std::uint64_t frames = 0;
    std::uint64_t rightFrames = 0;
    if (!outputFile1->framesOnDisk(frames))
        return;
    if (outputFile2) {
        if (!outputFile2->framesOnDisk(rightFrames))
            return;
        frames = std::min(frames, rightFrames);
        (void)outputFile2->cutBackTo(frames);
    }
    (void)outputFile1->cutBackTo(frames);
}

bool ConformProject::updateOutputHeaders()
{
    for (BwfFile* file : {outputFile1.get(), outputFile2.get()}) {
        errno = 0;
        if (file != nullptr && !file->updateHeader()) {
            noteWriteFailure(*file, errno);
            return false;
        }
    }
    return true;
}

// A close that fails after the last block (its header rewrite or the system's close) fails
// the run. A file without samples (a cancel before the first block) keeps its placeholder.
void ConformProject::closeOutputFiles()
{
    for (BwfFile* file : {outputFile1.get(), outputFile2.get()}) {
        if (file == nullptr)
            continue;
        errno = 0;
        const bool closed = file->close();
        if (!closed && file->dataSize() != 0 && failure.kind == FailureKind::None)
            failure = {FailureKind::WriteOutput, utf8FromPath(file->path().filename()), errno};
    }
}

} // namespace tabrix
