#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The chunks an output carries after its audio: a marker at every take ("cue " points with
// their labels and notes in a "LIST" of type "adtl") and any other chunk given whole.
namespace tabrix {

/// One marker: where it is and what it says.
struct CuePoint {
    std::uint32_t name = 0;     ///< dwName: 1, 2, 3...
    std::uint32_t position = 0; ///< frames from the file's first frame
    std::string label;          ///< the labl text, e.g. "12A T3"
    std::string note;           ///< the note text: the take's file name
};

/// A chunk: id, 32-bit size and body, and a zero pad byte after an odd body.
std::vector<std::uint8_t> chunkBytes(const char (&id)[5], std::span<const std::uint8_t> body);

/// The "cue " chunk: the point count, then per point dwName, dwPosition, fccChunk "data",
/// dwChunkStart 0, dwBlockStart 0, dwSampleOffset = dwPosition.
std::vector<std::uint8_t> cueChunk(const std::vector<CuePoint>& points);

/// The "LIST" chunk of type "adtl": per point a "labl" and a "note" (dwName, then the text and
/// a NUL), each padded to an even size; all labels first, then all notes.
std::vector<std::uint8_t> adtlChunk(const std::vector<CuePoint>& points);

} // namespace tabrix
