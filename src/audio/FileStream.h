#pragma once
#include "audio/BwfFormat.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace tabrix {

enum class StreamStatus : int { Ok = 0, IoFailure = 3, NotAllowed = 4 };

enum class StreamState : int { Closed = 0, Writing = 1, Reading = 3, Updating = 5 };

/// How `open` treats the file; other values (2 among them) are refused.
enum class OpenKind : int {
    Create = 1,     ///< "wb", state Writing
    ReadHeader = 3, ///< "rb", then reads the 8-byte RIFF header; state Reading
    Read = 4,       ///< "rb", state Reading
    Update = 5,     ///< "wb+", state Updating
};

/// The one path from the audio layer to the disk: a buffered stdio stream with an explicit
/// state, all-or-nothing transfers and 64-bit positions. It also carries the RIFF chunk header:
/// the id and a 32-bit count that is the RIFF size read by kind ReadHeader, plus every byte
/// written since.
class FileStream {
public:
    FileStream() = default;
    ~FileStream();
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    /// Closes any open file first, also for a refused kind. A failed open (or a failed header
    /// read) leaves it Closed. A file opened for writing is not buffered by the stream: a write
    /// that succeeds has handed every byte to the system, and one that fails leaves nothing
    /// behind to be written later.
    [[nodiscard]] StreamStatus open(const std::filesystem::path& path, OpenKind kind);
    /// Closes the handle (if any) and leaves the stream Closed in every case; IoFailure when
    /// the system reports that closing failed.
    StreamStatus close() noexcept;
    void flush() noexcept;

    /// NotAllowed unless Writing or Updating; on success adds `byteCount` to runningCount.
    [[nodiscard]] StreamStatus write(const std::uint8_t* from, std::uint64_t byteCount) noexcept;
    [[nodiscard]] StreamStatus tell(std::int64_t& position) noexcept;
    /// Flushes, then positions absolutely.
    [[nodiscard]] StreamStatus seekTo(std::uint64_t position) noexcept;
    /// Moves forward (never back) without flushing.
    [[nodiscard]] StreamStatus skip(std::uint64_t byteCount) noexcept;

    [[nodiscard]] StreamStatus readWord(std::array<std::uint8_t, 4>& into) noexcept;
    [[nodiscard]] StreamStatus readChunkHeader(std::array<std::uint8_t, 8>& into) noexcept;
    /// A count of 0 fails too.
    [[nodiscard]] StreamStatus readBytes(std::uint8_t* into, std::uint32_t byteCount) noexcept;
    /// On success `bytesRead` = `byteCount`; on failure it is left untouched.
    [[nodiscard]] StreamStatus readBlock(std::uint8_t* into, std::uint64_t byteCount,
                                         std::uint64_t& bytesRead) noexcept;
    /// The 26-byte body in reads of 8, 10 and 8 bytes; id and size stay as they are.
    [[nodiscard]] StreamStatus readTfid(TfidChunk& into) noexcept;
    /// The 602-byte fixed part; a longer chunk's coding history is skipped by repositioning and
    /// must lie within `fileBytes`. A `declaredBytes` below 602 fails without reading.
    [[nodiscard]] StreamStatus readBext(BextChunk& into, std::uint32_t declaredBytes,
                                        std::uint64_t fileBytes) noexcept;

    /// Length of the open file in bytes; the position is left where it was.
    [[nodiscard]] StreamStatus length(std::uint64_t& byteCount) noexcept;
    /// Length of the file as the system holds it, without repositioning: after a failed write
    /// this is what really reached the file.
    [[nodiscard]] StreamStatus storedLength(std::uint64_t& byteCount) noexcept;
    /// Cuts the file to `byteCount` bytes; the position is not moved.
    [[nodiscard]] StreamStatus truncate(std::uint64_t byteCount) noexcept;

    /// True when a read stopped at the end of the file (rather than on an error).
    bool atEnd() const noexcept { return handle != nullptr && std::feof(handle) != 0; }
    StreamState state() const noexcept { return streamState; }
    std::uint32_t runningCount() const noexcept { return riffCount; }
    const FourCc& riffId() const noexcept { return riffChunkId; }

private:
    FourCc riffChunkId = makeFourCc("RIFF");
    std::uint32_t riffCount = 0;
    StreamState streamState = StreamState::Closed;
    std::FILE* handle = nullptr;
};

} // namespace tabrix
