#include "project/TakeTimeline.h"

namespace tabrix {

namespace {

// A time reference counts frames since midnight; 2^40 frames are weeks even at 768 kHz. Takes
// beyond that are left off, so positions, spans and output sizes (frames x 8 bytes) can never
// wrap in 64 bits.
constexpr SamplePos maxTimelineFrames = SamplePos(1) << 40;

} // namespace

void TakeTimeline::build(const TakeSources& sources)
{
    clear();
    // Newest first: a segment placed earlier keeps every frame it overlaps.
    for (auto source = sources.rbegin(); source != sources.rend(); ++source) {
        auto* segment = new TimelineSegment(source->get());
        if (segment->length == 0 || segment->start >= maxTimelineFrames ||
            segment->length >= maxTimelineFrames - segment->start) {
            delete segment;
            continue;
        }
        head = head == nullptr ? segment : insert(head, segment);
    }
    while (head != nullptr && head->previous != nullptr)
        head = head->previous;
}

// Walks the chain from `at` instead of recursing, so thousands of segments can't exhaust the
// stack. The result is decided at the first segment compared, as a recursive walk would.
TimelineSegment* TakeTimeline::insert(TimelineSegment* at, TimelineSegment* segment)
{
    TimelineSegment* lead = nullptr;
    TimelineSegment* p = at;
    TimelineSegment* n = segment;
    for (;;) {
        if (n->end < p->start) {
            p->linkBefore(n);
            return lead != nullptr ? lead : n;
        }
        if (n->start > p->end) {
            if (lead == nullptr)
                lead = p;
            if (p->next == nullptr) {
                p->linkAfter(n);
                return lead;
            }
            p = p->next;
            continue;
        }
        if (n->start >= p->start && n->end <= p->end) {
            delete n; // lies within p
            return lead != nullptr ? lead : p;
        }
        if (n->start < p->start && n->end <= p->end) {
            n->setEnd(p->start);
            p->linkBefore(n);
            return lead != nullptr ? lead : n;
        }
        if (n->start < p->start) { // covers p and sticks out on both sides
            TimelineSegment* head = TimelineSegment::copySegment(*n);
            head->setEnd(p->start);
            p->linkBefore(head);
            if (lead == nullptr)
                lead = head;
        } else if (lead == nullptr) {
            lead = p;
        }
        n->setStart(p->end);
        if (p->next == nullptr) {
            p->linkAfter(n);
            return lead;
        }
        p = p->next;
    }
}

TimelineSegment* TakeTimeline::first() const noexcept
{
    TimelineSegment* segment = head;
    while (segment != nullptr && segment->previous != nullptr)
        segment = segment->previous;
    return segment;
}

TimelineSegment* TakeTimeline::last() const noexcept
{
    TimelineSegment* segment = head;
    while (segment != nullptr && segment->next != nullptr)
        segment = segment->next;
    return segment;
}

TimelineSegment* TakeTimeline::findOverlapping(SamplePos spanStart, SamplePos spanEnd,
                                               TimelineSegment* from) const noexcept
{
    for (TimelineSegment* s = from != nullptr ? from : first(); s != nullptr; s = s->next) {
        const bool beginsInside = s->start >= spanStart && s->start < spanEnd;
        const bool endsInside = s->end > spanStart && s->end <= spanEnd;
        const bool covers = s->start <= spanStart && s->end >= spanEnd;
        if (beginsInside || endsInside || covers)
            return s;
    }
    return nullptr;
}

void TakeTimeline::clear() noexcept
{
    for (TimelineSegment* s = first(); s != nullptr;) {
        TimelineSegment* following = s->next;
        delete s;
        s = following;
    }
    head = nullptr;
}

std::size_t TakeTimeline::segmentCount() const noexcept
{
    std::size_t count = 0;
    for (const TimelineSegment* s = first(); s != nullptr; s = s->next)
        ++count;
    return count;
}

} // namespace tabrix
