#include "project/ConformProject.h"

#include <algorithm>
#include <cctype>
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

// The names of the non-directory "*.wav" entries, in a repeatable order: byte order with
// ASCII letters folded (the order only decides among takes recorded at the same second).
std::vector<std::string> listTakeNames(const std::filesystem::path& audioFolder)
{
    std::vector<std::pair<std::string, std::string>> names; // folded, as found
    std::error_code error;
    for (std::filesystem::directory_iterator it(audioFolder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        std::string name = utf8FromPath(it->path().filename());
        if (isWavName(name))
            names.emplace_back(foldAscii(name), std::move(name));
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> ordered;
    ordered.reserve(names.size());
    for (auto& entry : names)
        ordered.push_back(std::move(entry.second));
    return ordered;
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
    scanAudioFiles(pathFromUtf8(projectFolder) / "Audio Files");
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
    mismatchedRates = false;
    projectRate = 0; // a folder without takes has no rate, not the previous folder's
    bool first = true;
    for (const std::string& name : listTakeNames(audioFolder)) {
        auto take = std::make_unique<Take>(audioFolder, name);
        if (!take->parse())
            continue;
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
    bytes = 0;
    if (!takeTimeline)
        return false;
    const TimelineSegment* first = takeTimeline->first();
    const TimelineSegment* last = takeTimeline->last();
    if (first != nullptr && last != nullptr)
        bytes = (last->end - first->start) * (outputBits / 8u) * outputChannelCount;
    return true;
}

SamplePos ConformProject::timelineStart() const noexcept
{
    const TimelineSegment* first = takeTimeline ? takeTimeline->first() : nullptr;
    return first != nullptr ? first->start : 0;
}

void ConformProject::releaseOutputs()
{
    outputSegment.reset(); // closes (and so finalises) files it still holds open
    outputFile1.reset();
    outputFile2.reset();
}

std::unique_ptr<BwfFile> ConformProject::createOutputFile(const std::string& path,
                                                          std::uint8_t channels) const
{
    auto file = std::make_unique<BwfFile>(pathFromUtf8(path), channels, projectRate, outputBits,
                                          timelineStart());
    if (!file->create())
        return nullptr;
    return file;
}

bool ConformProject::prepareOutput(const std::string& path)
{
    releaseOutputs();
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
    if (leftPath.empty() || rightPath.empty() || !takeTimeline)
        return false;
    outputFile1 = createOutputFile(leftPath, 1);
    if (!outputFile1)
        return false;
    outputFile2 = createOutputFile(rightPath, 1);
    if (!outputFile2) {
        outputFile1.reset(); // the left file stays on disk with its placeholder header
        return false;
    }
    outputSegment = std::make_unique<TimelineSegment>(outputFile1.get(), outputFile2.get(),
                                                      outputMode);
    return true;
}

bool ConformProject::run(std::atomic<double>& progressPercent)
{
    cancelRequested.store(false);
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
    if (!outputConverter.bindOutput(outputSegment.get()))
        return false;

    bool written = true;
    SamplePos position = from;
    while (position < to) {
        if (cancelRequested.load())
            break;
        const SamplePos previous = position;
        renderState.renderBlock(takeTimeline.get(), position, static_cast<std::int8_t>(fadeRateCode));
        const std::uint64_t frameCount = std::min(position, to) - previous;
        if (!outputConverter.convertBlock(renderState.frames(), frameCount)) {
            written = false; // disk full or device error: keep what was written, readable
            break;
        }
        progressPercent.store(progressPercent.load() + step);
    }
    outputConverter.closeOutputs();
    outputSegment.reset();
    for (TimelineSegment* s = takeTimeline->first(); s != nullptr; s = s->next) {
        s->cache.releaseBuffer();
        s->take->close();
    }
    renderState.resetRender();
    return written;
}

} // namespace tabrix
