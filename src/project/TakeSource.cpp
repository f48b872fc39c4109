#include "project/TakeSource.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

namespace tabrix {

SampleKind sampleKindOf(const BwfFile& take) noexcept
{
    switch (take.format().bitsPerSample) {
    case 8: return SampleKind::Unsigned8;
    case 16: return SampleKind::Signed16;
    case 24: return SampleKind::Signed24;
    case 32:
        return take.encoding() == SampleEncoding::Float ? SampleKind::Float32
                                                        : SampleKind::Signed32;
    default: return SampleKind::Silent;
    }
}

TakeSource::TakeSource(Take& take) : TakeSource(std::vector<Take*>{&take})
{
}

TakeSource::TakeSource(std::vector<Take*> family) : files(std::move(family))
{
    for (const Take* member : files)
        allFrameBytes += member->frameBytes();
    const std::uint32_t leadFrameBytes = lead().frameBytes();
    frames = leadFrameBytes == 0 ? 0 : lead().dataSize() / leadFrameBytes;
    collectTracks();
}

// Recorders number tracks and write only the armed ones, so a key may sit at different
// positions in different files; the first file that has a key decides where it is read.
void TakeSource::collectTracks()
{
    for (std::size_t m = 0; m < files.size(); ++m) {
        const Take& member = *files[m];
        for (std::uint16_t c = 0; c < member.format().channelCount; ++c) {
            const std::uint32_t key = member.trackKey(c);
            const bool known = std::any_of(trackList.begin(), trackList.end(),
                                           [key](const SourceTrack& t) { return t.key == key; });
            if (!known)
                trackList.push_back({key, member.trackName(c), static_cast<std::uint16_t>(m), c});
        }
    }
    std::stable_sort(trackList.begin(), trackList.end(),
                     [](const SourceTrack& a, const SourceTrack& b) { return a.key < b.key; });
}

bool TakeSource::sameRecording(const TakeSource* other) const noexcept
{
    if (other == nullptr)
        return false;
    if (other == this)
        return true;
    // A file without a TFID chunk is a recording of its own, and so is any source holding one.
    const Take& mine = lead();
    const auto allLike = [&mine](const TakeSource& source) {
        return std::all_of(source.files.begin(), source.files.end(), [&mine](const Take* t) {
            return t->hasTfid() && mine.hasTfid() && t->tfid() == mine.tfid();
        });
    };
    return allLike(*this) && allLike(*other);
}

std::uint32_t TakeSource::cacheCapacity() const noexcept
{
    const bool all24 = std::all_of(files.begin(), files.end(),
                                   [](const Take* t) { return t->format().bitsPerSample == 24; });
    return all24 ? capacity24Bit : capacityOther;
}

std::uint64_t TakeSource::refillFrames() const noexcept
{
    return allFrameBytes == 0 ? 0 : cacheCapacity() / allFrameBytes;
}

std::uint64_t TakeSource::planeOffset(std::size_t member) const noexcept
{
    std::uint64_t before = 0;
    for (std::size_t m = 0; m < member && m < files.size(); ++m)
        before += files[m]->frameBytes();
    return refillFrames() * before;
}

bool TakeSource::readFrames(std::uint8_t* into, std::uint64_t firstFrame, std::uint64_t frameCount,
                            const Take*& failed)
{
    std::uint8_t* plane = into;
    for (Take* member : files) {
        const std::uint64_t frameBytes = member->frameBytes();
        std::uint64_t bytesRead = 0;
        if (!member->readSamples(plane, firstFrame * frameBytes, frameCount * frameBytes,
                                 bytesRead)) {
            failed = member;
            return false;
        }
        plane += refillFrames() * frameBytes;
    }
    return true;
}

void TakeSource::close() noexcept
{
    for (Take* member : files)
        member->close();
}

LaneSource TakeSource::laneOf(const SourceTrack& track) const noexcept
{
    const Take& member = *files[track.member];
    const std::uint32_t sampleBytes = member.format().bitsPerSample / 8u;
    return {static_cast<std::uint32_t>(planeOffset(track.member) + track.channel * sampleBytes),
            member.frameBytes(), sampleKindOf(member)};
}

void TakeSource::bindLanes(const std::vector<std::uint32_t>* trackKeys)
{
    laneSources.clear();
    if (trackKeys == nullptr) {
        // A take plays its first two channels; a family, whose files may come in any order,
        // its two lowest tracks.
        std::vector<SourceTrack> pair;
        if (isFamily()) {
            pair = {trackList.front(), trackList.size() > 1 ? trackList[1] : trackList.front()};
        } else {
            const std::uint16_t right = lead().format().channelCount >= 2 ? 1 : 0;
            pair = {SourceTrack{0, {}, 0, 0}, SourceTrack{0, {}, 0, right}};
        }
        for (const SourceTrack& track : pair)
            laneSources.push_back(laneOf(track));
    } else {
        for (const std::uint32_t key : *trackKeys) {
            const auto found =
                std::lower_bound(trackList.begin(), trackList.end(), key,
                                 [](const SourceTrack& t, std::uint32_t k) { return t.key < k; });
            laneSources.push_back(found != trackList.end() && found->key == key ? laneOf(*found)
                                                                                : LaneSource{});
        }
    }
    const std::uint32_t sampleBytes = lead().format().bitsPerSample / 8u;
    framesAsLanes = !isFamily() && laneSources.size() == lead().format().channelCount;
    for (std::size_t l = 0; framesAsLanes && l < laneSources.size(); ++l)
        framesAsLanes = laneSources[l].kind != SampleKind::Silent &&
                        laneSources[l].byteOffset == l * sampleBytes;
}

TakeSources groupTakes(const TakeList& takes)
{
    // Files of one recording: the same family id, and the same place, rate, length and time.
    using FamilyKey = std::tuple<std::string, SamplePos, std::uint32_t, std::uint64_t, std::int64_t>;
    const auto keyOf = [](const Take& take) {
        const std::uint32_t frameBytes = take.frameBytes();
        return FamilyKey{take.ixml().familyUid, take.timeReference(), take.format().sampleRate,
                         frameBytes == 0 ? 0 : take.dataSize() / frameBytes, take.key()};
    };
    std::map<FamilyKey, std::vector<Take*>> families;
    for (Take* take = takes.head(); take != nullptr; take = TakeList::nextOf(take))
        if (!take->ixml().familyUid.empty())
            families[keyOf(*take)].push_back(take);

    TakeSources sources;
    for (Take* take = takes.head(); take != nullptr; take = TakeList::nextOf(take)) {
        if (take->ixml().familyUid.empty()) {
            sources.push_back(std::make_unique<TakeSource>(*take));
            continue;
        }
        std::vector<Take*>& family = families[keyOf(*take)];
        if (family.size() < 2)
            sources.push_back(std::make_unique<TakeSource>(*take));
        else if (family.front() == take) // the family takes its first file's place
            sources.push_back(std::make_unique<TakeSource>(family));
    }
    return sources;
}

} // namespace tabrix
