#include "audio/MarkerChunks.h"

#include "audio/ByteOrder.h"

namespace tabrix {

namespace {

void append(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.resize(out.size() + 4);
    storeU32le(&out[out.size() - 4], value);
}

void appendId(std::vector<std::uint8_t>& out, const char (&id)[5])
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(id[i]));
}

// A labl or note sub-chunk: the point's name, then the text with its terminating NUL.
std::vector<std::uint8_t> textChunk(const char (&id)[5], std::uint32_t name, const std::string& text)
{
    std::vector<std::uint8_t> body;
    append(body, name);
    body.insert(body.end(), text.begin(), text.end());
    body.push_back(0);
    return chunkBytes(id, body);
}

} // namespace

std::vector<std::uint8_t> chunkBytes(const char (&id)[5], std::span<const std::uint8_t> body)
{
    std::vector<std::uint8_t> out;
    out.reserve(8 + body.size() + 1);
    appendId(out, id);
    append(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 != 0)
        out.push_back(0);
    return out;
}

std::vector<std::uint8_t> cueChunk(const std::vector<CuePoint>& points)
{
    std::vector<std::uint8_t> body;
    append(body, static_cast<std::uint32_t>(points.size()));
    for (const CuePoint& point : points) {
        append(body, point.name);
        append(body, point.position);
        appendId(body, "data");
        append(body, 0); // dwChunkStart
        append(body, 0); // dwBlockStart
        append(body, point.position);
    }
    return chunkBytes("cue ", body);
}

std::vector<std::uint8_t> adtlChunk(const std::vector<CuePoint>& points)
{
    std::vector<std::uint8_t> body;
    appendId(body, "adtl");
    // Every label before the first note: common readers stop at a note, and the labels are
    // what an editor sees.
    for (const CuePoint& point : points) {
        const auto label = textChunk("labl", point.name, point.label);
        body.insert(body.end(), label.begin(), label.end());
    }
    for (const CuePoint& point : points) {
        const auto note = textChunk("note", point.name, point.note);
        body.insert(body.end(), note.begin(), note.end());
    }
    return chunkBytes("LIST", body);
}

} // namespace tabrix
