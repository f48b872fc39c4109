#include "project/TimelineSegment.h"

namespace tabrix {

TimelineSegment::TimelineSegment(TakeSource* take) : take(take)
{
    start = take->timeReference();
    length = take->frameCount(); // a partial frame isn't played
    channelMode = take->tracks().size() == 2 ? 0 : 1;
    end = start + length;
}

TimelineSegment* TimelineSegment::copySegment(const TimelineSegment& other)
{
    auto* copy = new TimelineSegment;
    copy->take = other.take;
    copy->channelMode = other.channelMode;
    copy->start = other.start;
    copy->length = other.length;
    copy->sourceOffset = other.sourceOffset;
    copy->end = copy->start + copy->length;
    return copy;
}

TimelineSegment::~TimelineSegment()
{
    // Releases the file handles as early as possible.
    if (take != nullptr)
        take->close();
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
