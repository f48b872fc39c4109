#include "project/TimelineSegment.h"

namespace tabrix {

TimelineSegment::TimelineSegment(BwfFile* take, BwfFile* secondTake, std::int32_t modeHint)
    : take(take), secondTake(secondTake), channelMode(modeHint)
{
    start = take->timeReference();
    const std::uint32_t frameBytes = take->frameBytes();
    length = frameBytes == 0 ? 0 : take->dataSize() / frameBytes; // a partial frame isn't played
    if (secondTake != nullptr)
        channelMode = 4;
    else if (take->format().channelCount == 2)
        channelMode = 0;
    end = start + length;
}

TimelineSegment* TimelineSegment::copySegment(const TimelineSegment& other)
{
    auto* copy = new TimelineSegment;
    copy->take = other.take;
    copy->secondTake = other.secondTake;
    copy->channelMode = other.channelMode;
    copy->start = other.start;
    copy->length = other.length;
    copy->sourceOffset = other.sourceOffset;
    copy->end = copy->start + copy->length;
    return copy;
}

TimelineSegment::~TimelineSegment()
{
    // Releases the file handles as early as possible; an output file is finalised here.
    if (take != nullptr)
        take->close();
    if (secondTake != nullptr)
        secondTake->close();
}

void TimelineSegment::setEnd(SamplePos p) noexcept
{
    end = p;
    length = p - start;
}

void TimelineSegment::setStart(SamplePos p) noexcept
{
    sourceOffset += p - start;
    start = p;
    length = end - p;
}

void TimelineSegment::linkBefore(TimelineSegment* segment) noexcept
{
    segment->previous = previous;
    segment->next = this;
    if (previous != nullptr)
        previous->next = segment;
    previous = segment;
}

void TimelineSegment::linkAfter(TimelineSegment* segment) noexcept
{
    segment->next = next;
    segment->previous = this;
    if (next != nullptr)
        next->previous = segment;
    next = segment;
}

} // namespace tabrix
